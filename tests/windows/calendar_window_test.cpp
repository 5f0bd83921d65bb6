// The Calendar dialog driven through its buttons and entries.
#include "tasks/windows/calendar_dialog.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>

#include "core/profile.h"
#include "fakes/fake_engine_ports.h"
#include "fakes/fake_ports.h"
#include "qt_environment.h"

namespace tarvelo {
namespace {

class CalendarWindowTest : public testing::Test {
protected:
    void SetUp() override { test::clearIniFiles(); }

    std::unique_ptr<CalendarDialog> open(StdDate date, std::string checkMode = "",
                                         std::function<bool(StdDate)> fits = {}) {
        auto dialog = std::make_unique<CalendarDialog>(CalendarOptions{date, "", std::move(checkMode), std::move(fits)},
                                                       clock, messages);
        dialog->show();
        dialog->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        return dialog;
    }
    // Hidden buttons as "--", greyed ones in brackets, one row a line.
    static std::string grid(const CalendarDialog& d) {
        std::string out;
        for (int i = 0; i < kCalendarCells; ++i) {
            QPushButton* b = d.dayButton(i);
            std::string cell = b->isVisible() ? b->text().toStdString() : "--";
            if (b->isVisible() && !b->isEnabled()) cell = "(" + cell + ")";
            out += cell + (i % 7 == 6 ? "\n" : " ");
        }
        return out;
    }
    static void saveShot(QWidget& w, const char* name) {
        if (const char* dir = std::getenv("TARVELO_SCREENSHOT_DIR"))
            w.grab().save(QString::fromLocal8Bit(dir) + QLatin1Char('/') + QLatin1String(name));
    }

    test::FakeClock clock{{dateFromYmd(1996, 6, 12), timeFromHms(12, 0)}};
    test::FakeMessageBox messages;
};

TEST_F(CalendarWindowTest, GivenJune1996_WhenShown_ThenTheBlanksAreHiddenAndTheCaptionIsSelectDate) {
    auto d = open(dateFromYmd(1996, 6, 20));
    saveShot(*d, "calendar-june-1996.png");
    EXPECT_EQ(d->windowTitle().toStdString(), "Select Date");
    EXPECT_EQ(grid(*d),
              "-- -- -- -- -- -- 1\n"
              "2 3 4 5 6 7 8\n"
              "9 10 11 12 13 14 15\n"
              "16 17 18 19 20 21 22\n"
              "23 24 25 26 27 28 29\n"
              "30 -- -- -- -- -- --\n");
    EXPECT_EQ(d->monthEntry()->text().toStdString(), "6");
    EXPECT_EQ(d->yearEntry()->text().toStdString(), "1996");
    EXPECT_EQ(QApplication::focusWidget(), d->dayButton(6 + 19));
}

TEST_F(CalendarWindowTest, GivenOpenedWithZero_WhenClosedByButtonOrCloseBox_ThenZeroIsReturned) {
    auto d = open(0);
    QTest::mouseClick(d->monthOn(), Qt::LeftButton);
    QTest::mouseClick(d->closeButton(), Qt::LeftButton);
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(d->result(), 0);

    auto e = open(dateFromYmd(1996, 7, 4));
    e->close();
    EXPECT_EQ(e->result(), dateFromYmd(1996, 7, 4));
    // The position was kept under the dialog's own section.
    EXPECT_FALSE(ProfileFile("Tarvelo96.INI", test::iniFolder()).read("Calendar", "XPosit").empty());
}

TEST_F(CalendarWindowTest, GivenAMonthOutOfRange_WhenEntered_ThenTheMessageShowsAndTheFocusReturns) {
    auto d = open(dateFromYmd(1996, 6, 20));
    const std::string before = grid(*d);
    d->monthEntry()->setFocus();
    d->monthEntry()->selectAll();
    QTest::keyClicks(d->monthEntry(), QStringLiteral("13"));
    QTest::keyClick(d->monthEntry(), Qt::Key_Tab);
    QTest::qWait(20);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().text, "Month should be between 1 to 12");
    EXPECT_EQ(grid(*d), before);
    EXPECT_EQ(QApplication::focusWidget(), d->monthEntry());

    d->yearEntry()->setFocus();
    d->yearEntry()->selectAll();
    QTest::keyClicks(d->yearEntry(), QStringLiteral("1800"));
    QTest::keyClick(d->yearEntry(), Qt::Key_Tab);
    QTest::qWait(20);
    ASSERT_EQ(messages.count(), 2u);
    EXPECT_EQ(messages.last().text, "Year should be between 1801 to 2099");
    EXPECT_EQ(QApplication::focusWidget(), d->yearEntry());

    d->monthEntry()->setFocus();
    d->monthEntry()->selectAll();
    QTest::keyClicks(d->monthEntry(), QStringLiteral("2"));
    QTest::keyClick(d->monthEntry(), Qt::Key_Tab);
    EXPECT_EQ(d->dayButton(4)->text().toStdString(), "1");  // February 1996
}

}  // namespace
}  // namespace tarvelo
