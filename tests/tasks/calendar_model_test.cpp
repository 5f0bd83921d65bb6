#include "tasks/calendar_model.h"

#include <gtest/gtest.h>

#include <string>

#include "data/records.h"
#include "fakes/fake_ports.h"

namespace tarvelo {
namespace {

class FixedClock : public platform::ClockPort {
public:
    explicit FixedClock(StdDate today) : m_today(today) {}
    platform::Moment now() override { return {m_today, timeFromHms(12, 0)}; }

private:
    StdDate m_today;
};

// One line per row: each cell is its day (two places), "--" for a hidden blank, a day in brackets when
// greyed out. Easier to read in a failure than 42 assertions.
std::string render(const CalendarModel& model) {
    std::string out;
    for (int i = 0; i < kCalendarCells; ++i) {
        const CalendarCell& c = model.cells()[static_cast<std::size_t>(i)];
        std::string cell;
        if (!c.visible) cell = "--";
        else if (c.day < 10) cell = " " + std::to_string(c.day);
        else cell = std::to_string(c.day);
        if (c.visible && !c.enabled) cell = "(" + cell + ")";
        out += cell;
        out += (i % 7 == 6) ? "\n" : " ";
    }
    return out;
}

class CalendarModelTest : public ::testing::Test {
protected:
    CalendarModel open(StdDate date, std::string checkMode = "", std::function<bool(StdDate)> fits = {}) {
        return CalendarModel(CalendarOptions{date, "", std::move(checkMode), std::move(fits)}, clock, messages);
    }
    FixedClock clock{dateFromYmd(1996, 6, 12)};
    test::FakeMessageBox messages;
};

TEST_F(CalendarModelTest, GivenJune1996_WhenFilled_ThenDayOneIsOnTheSeventhButtonAndTheBlanksAreHidden) {
    CalendarModel model = open(dateFromYmd(1996, 6, 20));
    EXPECT_EQ(model.month(), 6);
    EXPECT_EQ(model.year(), 1996);
    EXPECT_EQ(model.firstCell(), 6);
    EXPECT_EQ(render(model),
              "-- -- -- -- -- --  1\n"
              " 2  3  4  5  6  7  8\n"
              " 9 10 11 12 13 14 15\n"
              "16 17 18 19 20 21 22\n"
              "23 24 25 26 27 28 29\n"
              "30 -- -- -- -- -- --\n");
    EXPECT_EQ(model.focusCell(), 6 + 19);
}

TEST_F(CalendarModelTest, GivenFebruary1997_WhenFilled_ThenFiveRowsAndTheLastEightButtonsHidden) {
    CalendarModel model = open(dateFromYmd(1997, 2, 1));
    EXPECT_EQ(render(model),
              "-- -- -- -- -- --  1\n"
              " 2  3  4  5  6  7  8\n"
              " 9 10 11 12 13 14 15\n"
              "16 17 18 19 20 21 22\n"
              "23 24 25 26 27 28 --\n"
              "-- -- -- -- -- -- --\n");
}

TEST_F(CalendarModelTest, GivenZeroDate_WhenOpened_ThenTodaysMonthIsShownAndCloseReturnsZero) {
    CalendarModel model = open(0);
    EXPECT_EQ(model.month(), 6);
    EXPECT_EQ(model.year(), 1996);
    EXPECT_EQ(model.focusCell(), 6 + 11);
    model.nextMonth();
    EXPECT_EQ(model.closeResult(), 0);
}

TEST_F(CalendarModelTest, GivenAMondaysOnlyCheck_WhenMovingToTheNextMonth_ThenOnlyThatMonthsMondaysAreEnabled) {
    auto mondays = [](StdDate d) { return dayOfWeek(d) == 1; };
    CalendarModel model = open(dateFromYmd(1996, 6, 20), "", mondays);
    model.nextMonth();
    EXPECT_EQ(render(model),  // July 1996 starts on a Monday
              "--  1 ( 2) ( 3) ( 4) ( 5) ( 6)\n"
              "( 7)  8 ( 9) (10) (11) (12) (13)\n"
              "(14) 15 (16) (17) (18) (19) (20)\n"
              "(21) 22 (23) (24) (25) (26) (27)\n"
              "(28) 29 (30) (31) -- -- --\n"
              "-- -- -- -- -- -- --\n");
}

TEST_F(CalendarModelTest, GivenCheckModeNone_WhenFilled_ThenEveryDayIsEnabledWhateverTheRule) {
    CalendarModel model = open(dateFromYmd(1996, 6, 20), "None", [](StdDate) { return false; });
    for (const CalendarCell& c : model.cells()) {
        if (c.visible) {
            EXPECT_TRUE(c.enabled) << c.day;
        }
    }
}

TEST_F(CalendarModelTest, GivenYesterday_WhenPicked_ThenTheQuestionIsAskedAndYesReturnsIt) {
    CalendarModel model = open(0);
    const int yesterday = model.firstCell() + 10;
    messages.answer(platform::kNo);
    EXPECT_FALSE(model.pickDay(yesterday).has_value());
    ASSERT_EQ(messages.count(), 1u);
    const platform::MessageBoxRequest& ask = messages.last();
    EXPECT_EQ(ask.caption, "Confirm");
    EXPECT_EQ(ask.text, "You have selected a date earlier than today.  Do you wish to use this date?");
    EXPECT_EQ(ask.icon, platform::Icon::Question);
    EXPECT_EQ(ask.buttons, platform::kYes + platform::kNo);
    EXPECT_EQ(ask.defaultButton, platform::kNo);

    messages.answer(platform::kYes);
    EXPECT_EQ(model.pickDay(yesterday), dateFromYmd(1996, 6, 11));
}

struct ArrowCase {
    const char* name;
    int year, month;
    void (CalendarModel::*arrow)();
    int wantYear, wantMonth;
};

class CalendarArrowTest : public CalendarModelTest, public ::testing::WithParamInterface<ArrowCase> {};

TEST_P(CalendarArrowTest, GivenAMonth_WhenAnArrowIsPressed_ThenTheShownMonthWrapsAsRequired) {
    const ArrowCase& c = GetParam();
    CalendarModel model = open(dateFromYmd(c.year, c.month, 1));
    (model.*c.arrow)();
    EXPECT_EQ(model.year(), c.wantYear);
    EXPECT_EQ(model.month(), c.wantMonth);
    // The grid follows the month shown.
    EXPECT_EQ(model.firstCell(), dayOfWeek(dateFromYmd(c.wantYear, c.wantMonth, 1)));
}

INSTANTIATE_TEST_SUITE_P(
    Arrows, CalendarArrowTest,
    ::testing::Values(ArrowCase{"MonthBackFromJanuary1801", 1801, 1, &CalendarModel::previousMonth, 1800, 12},
                      ArrowCase{"MonthBackMidYear", 1996, 6, &CalendarModel::previousMonth, 1996, 5},
                      ArrowCase{"MonthOnFromDecember", 1996, 12, &CalendarModel::nextMonth, 1997, 1},
                      ArrowCase{"MonthOnFromDecember2099", 2099, 12, &CalendarModel::nextMonth, 2100, 1},
                      ArrowCase{"YearOnFrom2099", 2099, 3, &CalendarModel::nextYear, 1801, 3},
                      ArrowCase{"YearBackFrom1801", 1801, 3, &CalendarModel::previousYear, 2099, 3},
                      ArrowCase{"YearOn", 1996, 2, &CalendarModel::nextYear, 1997, 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CalendarModelTest, GivenAMonthOutOfRange_WhenEntered_ThenTheMessageIsShownAndTheGridKeepsItsMonth) {
    CalendarModel model = open(dateFromYmd(1996, 6, 20));
    const std::string before = render(model);
    for (int bad : {0, 13, -1, 99}) {
        EXPECT_FALSE(model.enterMonth(bad)) << bad;
        EXPECT_EQ(model.month(), 6);
        EXPECT_EQ(render(model), before);
    }
    ASSERT_EQ(messages.count(), 4u);
    EXPECT_EQ(messages.last().caption, "Error Message");
    EXPECT_EQ(messages.last().text, "Month should be between 1 to 12");
    EXPECT_EQ(messages.last().icon, platform::Icon::Exclamation);
    EXPECT_EQ(messages.last().buttons, platform::kOk);

    EXPECT_TRUE(model.enterMonth(2));
    EXPECT_EQ(model.firstCell(), dayOfWeek(dateFromYmd(1996, 2, 1)));
    EXPECT_EQ(model.cells()[static_cast<std::size_t>(model.firstCell() + 28)].day, 29);  // leap year
}

TEST_F(CalendarModelTest, GivenYear1800_WhenEntered_ThenTheRangeMessageIsShownAndTheGridKeepsItsMonth) {
    CalendarModel model = open(dateFromYmd(1996, 6, 20));
    const std::string before = render(model);
    EXPECT_FALSE(model.enterYear(1800));
    EXPECT_FALSE(model.enterYear(2100));
    EXPECT_EQ(model.year(), 1996);
    EXPECT_EQ(render(model), before);
    ASSERT_EQ(messages.count(), 2u);
    EXPECT_EQ(messages.last().caption, "Error Message");
    EXPECT_EQ(messages.last().text, "Year should be between 1801 to 2099");

    EXPECT_TRUE(model.enterYear(1801));
    EXPECT_TRUE(model.enterYear(2099));
    EXPECT_EQ(model.year(), 2099);
}

}  // namespace
}  // namespace tarvelo
