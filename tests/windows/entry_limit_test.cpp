// Entries of fixed-width text fields, as the category and to-do forms use them: characters are counted,
// not bytes, and what the user types or pastes holds no control character.
#include "widgets/entry_limit.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace tarvelo::widgets {
namespace {

class EntryLimitTest : public ::testing::Test {
protected:
    EntryLimitTest() {
        limitEntry(&entry, 20);
        entry.show();
        entry.setFocus();
    }
    // Typed key by key, letters beyond ASCII included (as a keyboard layout gives them).
    void type(const QString& text) {
        for (const QChar c : text) QTest::sendKeyEvent(QTest::Click, &entry, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    void paste(const QString& text) {
        QApplication::clipboard()->setText(text);
        entry.paste();
    }

    QLineEdit entry;
};

TEST_F(EntryLimitTest, TwentyCharactersOfTwoBytesEachAreTakenAndTheTwentyFirstIsRefused) {
    type(QString(21, QChar(0xE9)));  // "é" typed 21 times
    EXPECT_EQ(entry.text(), QString(20, QChar(0xE9)));
}

TEST_F(EntryLimitTest, ACharacterBeyondTheBmpCountsAsOne) {
    const QString calendar = QString::fromUtf8("\xF0\x9F\x93\x85");
    for (int i = 0; i < 21; ++i) paste(calendar);
    EXPECT_EQ(entry.text().toUcs4().size(), 20);
}

TEST_F(EntryLimitTest, APastedControlCharacterIsRefusedAndTheTextStays) {
    QTest::keyClicks(&entry, QStringLiteral("Work"));
    paste(QStringLiteral("\x1b[31mred\r\n"));
    EXPECT_EQ(entry.text(), QStringLiteral("Work"));
    paste(QStringLiteral(" Home"));
    EXPECT_EQ(entry.text(), QStringLiteral("Work Home"));
}

TEST_F(EntryLimitTest, ANameOfAnOlderFileWithAControlCharacterIsShownAndCanBeMended) {
    entry.setText(QStringLiteral("Old\x1bname"));  // as the form fills it
    EXPECT_EQ(entry.text(), QStringLiteral("Old\x1bname"));
    entry.setCursorPosition(4);
    QTest::keyClick(&entry, Qt::Key_Backspace);
    EXPECT_EQ(entry.text(), QStringLiteral("Oldname"));
}

}  // namespace
}  // namespace tarvelo::widgets
