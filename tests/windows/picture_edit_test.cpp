// The date and time entries: what a person types, what they show, and how a text that does not fit is
// refused.
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>
#include <gtest/gtest.h>

#include "core/picture.h"
#include "widgets/date_edit.h"
#include "widgets/time_edit.h"
#include "fakes/case_names.h"

namespace tarvelo {
namespace {

// A window with the entry under test and a plain line edit after it, to leave the entry for.
template <class Entry>
class EntryWindow {
public:
    EntryWindow() {
        auto* layout = new QVBoxLayout(&window);
        entry = new Entry(&window);
        next = new QLineEdit(&window);
        layout->addWidget(entry);
        layout->addWidget(next);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    // Types text into the entry (replacing what it shows) and leaves it with Tab.
    void typeAndLeave(const QString& text) {
        entry->setFocus();
        QLineEdit* line = entry->template findChild<QLineEdit*>();
        if (!line) line = reinterpret_cast<QLineEdit*>(entry);
        line->selectAll();
        QTest::keyClicks(QApplication::focusWidget(), text);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::qWait(20);
    }

    QWidget window;
    Entry* entry = nullptr;
    QLineEdit* next = nullptr;
};

class DateEditTypedTest : public testing::TestWithParam<const char*> {};

TEST_P(DateEditTypedTest, GivenWhatAPersonTypes_WhenTheDateEntryIsLeft_ThenItIsAcceptedAndShownInD3) {
    EntryWindow<widgets::DateEdit> w;
    QSignalSpy accepted(w.entry, &widgets::DateEdit::accepted);
    w.typeAndLeave(QString::fromUtf8(GetParam()));
    ASSERT_EQ(accepted.count(), 1);
    EXPECT_EQ(accepted.at(0).at(0).value<StdDate>(), dateFromYmd(1997, 1, 31));
    EXPECT_EQ(w.entry->date(), dateFromYmd(1997, 1, 31));
    EXPECT_EQ(w.entry->text().toStdString(), "Jan 31, 1997");
    EXPECT_EQ(QApplication::focusWidget(), w.next);
}

INSTANTIATE_TEST_SUITE_P(Forms, DateEditTypedTest, testing::Values("Jan 31, 1997", "1/31/1997", "1997-01-31"),
    [](const testing::TestParamInfo<const char*>& info) { return test::caseName(info.param); });

TEST(DateEditTest, GivenAnImpossibleDate_WhenTheEntryIsLeft_ThenItIsRefusedShownAgainAndKeepsTheFocus) {
    EntryWindow<widgets::DateEdit> w;
    w.entry->setDate(dateFromYmd(1996, 6, 10));
    QSignalSpy accepted(w.entry, &widgets::DateEdit::accepted);
    QSignalSpy refused(w.entry, &widgets::DateEdit::refused);
    w.typeAndLeave(QStringLiteral("Feb 30, 1997"));
    EXPECT_EQ(accepted.count(), 0);
    EXPECT_EQ(refused.count(), 1);
    EXPECT_EQ(w.entry->text().toStdString(), "Jun 10, 1996");
    EXPECT_EQ(w.entry->date(), dateFromYmd(1996, 6, 10));
    EXPECT_EQ(QApplication::focusWidget(), w.entry);
}

// A dialog with the entry and a default button, as the task form and the wizards have.
template <class Entry>
struct EntryDialog {
    EntryDialog() {
        auto* layout = new QVBoxLayout(&dialog);
        entry = new Entry(&dialog);
        button = new QPushButton(QStringLiteral("&OK"), &dialog);
        button->setDefault(true);
        layout->addWidget(entry);
        layout->addWidget(button);
        dialog.show();
        dialog.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
    }
    // Types text over what the entry shows and presses Enter.
    void typeAndEnter(const QString& text) {
        entry->setFocus();
        QLineEdit* line = entry->template findChild<QLineEdit*>();
        if (!line) line = reinterpret_cast<QLineEdit*>(entry);
        line->selectAll();
        QTest::keyClicks(QApplication::focusWidget(), text);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTest::qWait(20);
    }
    QDialog dialog;
    Entry* entry = nullptr;
    QPushButton* button = nullptr;
};

template <class Entry>
void expectEnterOnRefusedTextKeepsTheDefaultButtonStill(const QString& bad, const QString& good) {
    EntryDialog<Entry> d;
    QSignalSpy clicked(d.button, &QPushButton::clicked);
    QSignalSpy refused(d.entry, &Entry::refused);
    QSignalSpy accepted(d.entry, &Entry::accepted);

    d.typeAndEnter(bad);
    EXPECT_EQ(refused.count(), 1);
    EXPECT_EQ(clicked.count(), 0) << "the refused text must not reach the default button";
    EXPECT_EQ(QApplication::focusWidget(), d.entry);

    d.typeAndEnter(good);
    EXPECT_EQ(accepted.count(), 1);
    EXPECT_EQ(clicked.count(), 1) << "an accepted text lets Enter fire the default button";
}

TEST(DateEditTest, GivenARefusedDate_WhenEnterIsPressed_ThenTheFocusStaysAndTheDefaultButtonDoesNotFire) {
    expectEnterOnRefusedTextKeepsTheDefaultButtonStill<widgets::DateEdit>(QStringLiteral("Feb 30, 1997"),
                                                                     QStringLiteral("Feb 28, 1997"));
}

TEST(TimeEditTest, GivenARefusedTime_WhenEnterIsPressed_ThenTheFocusStaysAndTheDefaultButtonDoesNotFire) {
    expectEnterOnRefusedTextKeepsTheDefaultButtonStill<widgets::TimeEdit>(QStringLiteral("25:00"), QStringLiteral("17:30"));
}

TEST(TimeEditTest, GivenTypedTimes_WhenTheEntryIsLeft_ThenTheyShowInT3OrAreRefused) {
    EntryWindow<widgets::TimeEdit> w;
    w.entry->setTime(timeFromHms(9, 0));
    QSignalSpy accepted(w.entry, &widgets::TimeEdit::accepted);
    QSignalSpy refused(w.entry, &widgets::TimeEdit::refused);

    w.typeAndLeave(QStringLiteral("17:30"));
    ASSERT_EQ(accepted.count(), 1);
    EXPECT_EQ(w.entry->time(), timeFromHms(17, 30));
    EXPECT_EQ(w.entry->text().toStdString(), "5:30PM");

    for (const char* bad : {"25:00", "13:00PM", "abc"}) {
        w.typeAndLeave(QString::fromLatin1(bad));
        EXPECT_EQ(w.entry->text().toStdString(), "5:30PM") << bad;
        EXPECT_EQ(QApplication::focusWidget(), w.entry) << bad;
    }
    EXPECT_EQ(refused.count(), 3);
    EXPECT_EQ(accepted.count(), 1);
}

TEST(TimeEditTest, GivenATimeWithSeconds_WhenTheEntryIsLeftUnchanged_ThenTheSecondsAreKept) {
    EntryWindow<widgets::TimeEdit> w;
    w.entry->setTime(timeFromHms(14, 0, 30));
    QSignalSpy accepted(w.entry, &widgets::TimeEdit::accepted);
    w.entry->setFocus();
    QTest::keyClick(w.entry, Qt::Key_Tab);
    EXPECT_EQ(accepted.count(), 0);
    EXPECT_EQ(w.entry->time(), timeFromHms(14, 0, 30));
}

TEST(TimeEditTest, GivenTheArrows_WhenStepped_ThenTheTimeMovesByAMinuteAndWrapsAtMidnight) {
    EntryWindow<widgets::TimeEdit> w;
    w.entry->setTime(timeFromHms(23, 59));
    w.entry->stepBy(1);
    EXPECT_EQ(w.entry->time(), timeFromHms(0, 0));
    EXPECT_EQ(w.entry->text().toStdString(), "12:00AM");
    w.entry->stepBy(-2);
    EXPECT_EQ(w.entry->time(), timeFromHms(23, 58));
    w.entry->setTime(0);
    w.entry->stepBy(1);
    EXPECT_EQ(w.entry->time(), timeFromHms(0, 1));
}

}  // namespace
}  // namespace tarvelo
