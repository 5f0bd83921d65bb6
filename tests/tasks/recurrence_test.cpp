#include "tasks/recurrence.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "fakes/fake_ports.h"

namespace tarvelo {
namespace {

StdDate ymd(int y, int m, int d) { return dateFromYmd(y, m, d); }
StdTime hm(int h, int m) { return timeFromHms(h, m); }

// Weekdays as letters, Sunday first ("-M-W---"), and ordinals as "1234L" with '-' for unticked.
void setWeekdays(Schedule& task, const std::string& days) {
    Byte* flags[7] = {&task.sunday, &task.monday, &task.tuesday, &task.wednesday,
                      &task.thursday, &task.friday, &task.saturday};
    for (int i = 0; i < 7; ++i) *flags[i] = days.size() > static_cast<std::size_t>(i) && days[i] != '-';
}

void setOrdinals(Schedule& task, const std::string& ordinals) {
    Byte* flags[5] = {&task.every1st, &task.every2nd, &task.every3rd, &task.every4th, &task.everyLast};
    for (int i = 0; i < 5; ++i) *flags[i] = ordinals.size() > static_cast<std::size_t>(i) && ordinals[i] != '-';
}

Schedule makeTask(const std::string& type, StdDate date, StdTime time = 1, const std::string& days = "",
                  const std::string& ordinals = "", std::int32_t every = 1, const std::string& unit = "") {
    Schedule task;
    task.scheduleType = type;
    task.date = date;
    task.time = time;
    setWeekdays(task, days);
    setOrdinals(task, ordinals);
    task.every = every;
    task.everyType = unit;
    return task;
}

struct NextCase {
    const char* name;
    Schedule task;
    StdDate refDate;
    StdTime refTime;
    StdDate wantDate;
    StdTime wantTime;
};

void PrintTo(const NextCase& c, std::ostream* os) { *os << c.name; }

class NextScheduleDateCases : public ::testing::TestWithParam<NextCase> {};

TEST_P(NextScheduleDateCases, shouldMoveTheTaskToItsNextOccurrence) {
    const NextCase& c = GetParam();
    // GIVEN the task, WHEN it is moved on past the reference moment
    Schedule task = c.task;
    test::FakeMessageBox messages;
    nextScheduleDate(task, c.refDate, c.refTime, messages);
    // THEN it lands on the expected moment and nobody is asked anything
    EXPECT_EQ(task.date, c.wantDate) << "got " << ymdFromDate(task.date).year << "-" << ymdFromDate(task.date).month
                                     << "-" << ymdFromDate(task.date).day;
    EXPECT_EQ(task.time, c.wantTime);
    EXPECT_EQ(task.completed, 0);
    EXPECT_EQ(messages.count(), 0u);
}

// Monday, 20 January 1997, as a literal: the cases are built before main(), when the date helpers'
// own constants may not be set yet.
constexpr StdDate kR = 71611;

TEST(RecurrenceFixture, shouldUseAMondayAsItsReferenceDay) {
    EXPECT_EQ(ymd(1997, 1, 20), kR);
    EXPECT_EQ(dayOfWeek(kR), 1);
}
const StdTime kNoon = hm(12, 0);

INSTANTIATE_TEST_SUITE_P(
    Rules, NextScheduleDateCases,
    ::testing::Values(
        NextCase{"monthlyCarriesJanuary31IntoMarch", makeTask("Monthly", ymd(1997, 1, 31)), ymd(1997, 1, 31), kNoon,
                 ymd(1997, 3, 3), 1},
        NextCase{"monthlyCarriesLessInALeapYear", makeTask("Monthly", ymd(1996, 1, 31)), ymd(1996, 1, 31), kNoon,
                 ymd(1996, 3, 2), 1},
        NextCase{"monthlyKeepsTheCarriedDay", makeTask("Monthly", ymd(1997, 1, 31)), ymd(1997, 3, 3), kNoon,
                 ymd(1997, 4, 3), 1},
        NextCase{"monthlyOverdueForYearsCarriesOnceThenKeepsItsDay", makeTask("Monthly", ymd(1990, 1, 31)),
                 ymd(1997, 6, 10), kNoon, ymd(1997, 7, 3), 1},
        NextCase{"monthlyOnADayInTheReferenceMonthLaterThanIt", makeTask("Monthly", ymd(1990, 5, 15)),
                 ymd(1997, 6, 10), kNoon, ymd(1997, 6, 15), 1},
        NextCase{"monthlyWrapsDecemberIntoJanuary", makeTask("Monthly", ymd(1996, 12, 15)), ymd(1996, 12, 15), kNoon,
                 ymd(1997, 1, 15), 1},
        NextCase{"yearlyMovesFebruary29ToMarch1", makeTask("Yearly", ymd(1996, 2, 29)), ymd(1996, 3, 5), kNoon,
                 ymd(1997, 3, 1), 1},
        NextCase{"yearlyStaysOnMarch1AfterTheCarry", makeTask("Yearly", ymd(1996, 2, 29)), ymd(2004, 2, 29), kNoon,
                 ymd(2004, 3, 1), 1},
        NextCase{"dayOfWeekWithoutWeekdaysIsTheDayAfterTheReference", makeTask("Day of Week", ymd(1996, 6, 3)),
                 ymd(1996, 6, 10), kNoon, ymd(1996, 6, 11), 1},
        NextCase{"dayOfWeekIsTheFirstSelectedWeekdayAfterTheReference",
                 makeTask("Day of Week", ymd(1990, 1, 1), 1, "-M-W---"), kR, kNoon, ymd(1997, 1, 22), 1},
        NextCase{"dayOfWeekWithOneWeekdayWaitsAWeek", makeTask("Day of Week", kR, 1, "-M-----"), kR, kNoon,
                 kR + 7, 1},
        NextCase{"dayOfWeekAlreadyAfterTheReferenceStays", makeTask("Day of Week", kR + 3, 1, "-M-----"), kR,
                 kNoon, kR + 3, 1},
        NextCase{"dayOfMonthSundayAndFirst", makeTask("Day of Month", ymd(1996, 11, 30), 1, "S------", "1----"),
                 ymd(1996, 11, 30), kNoon, ymd(1996, 12, 1), 1},
        NextCase{"dayOfMonthFridayAndLastIsTheMonthsLastDay",
                 makeTask("Day of Month", ymd(1997, 1, 20), 1, "-----F-", "----L"), ymd(1997, 1, 20), kNoon,
                 ymd(1997, 1, 31), 1},
        NextCase{"dayOfMonthFridayFourthAndLastTakesTheFourth",
                 makeTask("Day of Month", ymd(1997, 1, 20), 1, "-----F-", "---4L"), ymd(1997, 1, 20), kNoon,
                 ymd(1997, 1, 24), 1},
        NextCase{"dayOfMonthLastCanBeDay25", makeTask("Day of Month", ymd(1997, 2, 1), 1, "--T----", "----L"),
                 ymd(1997, 2, 1), kNoon, ymd(1997, 2, 25), 1},
        NextCase{"dayOfMonthWithoutOrdinalsBehavesLikeDayOfWeek",
                 makeTask("Day of Month", kR, 1, "-M-----", "-----"), kR, kNoon, kR + 7, 1},
        NextCase{"dayOfMonthWithoutWeekdaysTakesEveryDay", makeTask("Day of Month", ymd(1997, 1, 10), 1, "", "1----"),
                 ymd(1997, 1, 10), kNoon, ymd(1997, 2, 1), 1},
        NextCase{"dayOfMonthStepsOnceEvenFromAfterTheReference",
                 makeTask("Day of Month", ymd(1997, 3, 7), 1, "-----F-", "1----"), kR, kNoon, ymd(1997, 4, 4), 1},
        NextCase{"every90MinutesCrossesMidnight", makeTask("Custom", kR, hm(23, 0), "", "", 90, "minute(s)"), kR,
                 hm(23, 0) + 1, kR + 1, 180001},
        NextCase{"minutesReachTheReferenceTimeExactly",
                 makeTask("Custom", kR, hm(11, 0), "", "", 30, "minute(s)"), kR, hm(12, 0), kR, hm(12, 0)},
        NextCase{"aTaskAtTheReferenceMomentIsNotMoved",
                 makeTask("Custom", kR, kNoon, "", "", 30, "minute(s)"), kR, kNoon, kR, kNoon},
        NextCase{"minutesOverdueForDaysLandLaterToday",
                 makeTask("Custom", kR - 3, hm(0, 5), "", "", 7, "minute(s)"), kR, kNoon, kR, hm(12, 5)},
        NextCase{"dateRulesIgnoreTheTime", makeTask("Custom", kR, hm(23, 0), "", "", 1, "day(s)"), kR, hm(1, 0),
                 kR + 1, hm(23, 0)},
        NextCase{"every1441MinutesGoesADayAndAMinute",
                 makeTask("Custom", kR, kNoon, "", "", 1441, "minute(s)"), kR, kNoon + 1, kR + 1, hm(12, 1)},
        NextCase{"every1440MinutesFromNoTimeStaysOnTheDayAtItsEnd",
                 makeTask("Custom", kR - 1, 0, "", "", 1440, "minute(s)"), kR, 1, kR, kOneDay},
        NextCase{"every2880MinutesFromNoTimeStepsTheDateOnly",
                 makeTask("Custom", kR - 1, 0, "", "", 2880, "minute(s)"), kR, 1, kR + 1, 0},
        NextCase{"every25HoursCarriesTheRemainderPastMidnight",
                 makeTask("Custom", kR, hm(23, 0), "", "", 25, "hour(s)"), kR, hm(23, 0) + 1, kR + 2, 1},
        NextCase{"aTimePastTheDayIsBroughtBackAfterAStep",
                 makeTask("Custom", kR - 1, hm(25, 0), "", "", 30, "minute(s)"), kR, 1, kR, hm(1, 30)},
        NextCase{"aTimeFarPastTheDayCarriesManyDays",
                 makeTask("Custom", kR - 10, 5 * kOneDay + 1, "", "", 60, "minute(s)"), kR - 6, 1, kR - 5,
                 hm(1, 0)},
        NextCase{"every2DaysFiveDaysOverdue", makeTask("Custom", kR - 5, 1, "", "", 2, "day(s)"), kR, kNoon, kR + 1,
                 1},
        NextCase{"every2WeeksFromTheReferenceMonday", makeTask("Custom", kR, 1, "", "", 2, "week(s)"), kR, kNoon,
                 kR + 14, 1},
        NextCase{"every13MonthsCarriesTheDay", makeTask("Custom", ymd(1997, 1, 31), 1, "", "", 13, "month(s)"),
                 ymd(1997, 1, 31), kNoon, ymd(1998, 3, 3), 1},
        NextCase{"every12MonthsKeepsDay31", makeTask("Custom", ymd(1980, 1, 31), 1, "", "", 12, "month(s)"),
                 ymd(1997, 2, 1), kNoon, ymd(1998, 1, 31), 1},
        NextCase{"every4YearsKeepsFebruary29", makeTask("Custom", ymd(1996, 2, 29), 1, "", "", 4, "year(s)"),
                 ymd(1996, 2, 29), kNoon, ymd(2000, 2, 29), 1},
        NextCase{"every4YearsLosesFebruary29In2100", makeTask("Custom", ymd(2096, 2, 29), 1, "", "", 4, "year(s)"),
                 ymd(2096, 2, 29), kNoon, ymd(2100, 3, 1), 1},
        NextCase{"unitIsReadFromItsFirstThreeLettersInAnyCase",
                 makeTask("Custom", kR, 1, "", "", 1, "WEEKS"), kR, kNoon, kR + 7, 1},
        NextCase{"anUnknownTypeIsCustom", makeTask("Fortnightly", kR, 1, "", "", 3, "day(s)"), kR, kNoon, kR + 3,
                 1}));

TEST(NextScheduleDate, shouldCompleteAOnceTaskWithoutMovingIt) {
    // GIVEN a "Once" task, WHEN it is moved on, THEN it is completed and stays where it was
    Schedule task = makeTask("Once", kR - 3, hm(9, 30));
    test::FakeMessageBox messages;
    nextScheduleDate(task, kR, kNoon, messages);
    EXPECT_EQ(task.completed, 1);
    EXPECT_EQ(task.date, kR - 3);
    EXPECT_EQ(task.time, hm(9, 30));
}

TEST(NextScheduleDate, shouldRaiseACountBelowOneToOneAndStoreIt) {
    for (const std::int32_t every : {0, -1, std::numeric_limits<std::int32_t>::min()}) {
        Schedule task = makeTask("Custom", kR, 1, "", "", every, "day(s)");
        test::FakeMessageBox messages;
        nextScheduleDate(task, kR, kNoon, messages);
        EXPECT_EQ(task.every, 1) << every;
        EXPECT_EQ(task.date, kR + 1) << every;
    }
}

TEST(NextScheduleDate, shouldLeaveTheCountOfOtherRulesAlone) {
    Schedule task = makeTask("Monthly", kR, 1, "", "", 0, "");
    test::FakeMessageBox messages;
    nextScheduleDate(task, kR, kNoon, messages);
    EXPECT_EQ(task.every, 0);
}

TEST(NextScheduleDate, shouldAskForUnitsAndPushTheDateToTheDayAfterTheReference) {
    for (const char* unit : {"", "mi", "fortnight", " min"}) {
        // GIVEN a "Custom" task without a recognised unit, overdue
        Schedule task = makeTask("Custom", kR - 9, hm(8, 0), "", "", 5, unit);
        test::FakeMessageBox messages;
        // WHEN it is moved on
        nextScheduleDate(task, kR, kNoon, messages);
        // THEN the user is told once, and the task waits until tomorrow at its own time
        ASSERT_EQ(messages.count(), 1u) << unit;
        EXPECT_EQ(messages.last().caption, "Invalid Units");
        EXPECT_EQ(messages.last().text, "Custom repetition is not set up properly.  Select units.");
        EXPECT_EQ(messages.last().buttons, ui::kOk);
        EXPECT_EQ(messages.last().icon, ui::Icon::None);
        EXPECT_EQ(task.date, kR + 1);
        EXPECT_EQ(task.time, hm(8, 0));
    }
}

TEST(NextScheduleDate, shouldLeaveATaskWithoutUnitsThatIsAlreadyLater) {
    Schedule task = makeTask("Custom", kR + 4, hm(8, 0), "", "", 5, "");
    test::FakeMessageBox messages;
    nextScheduleDate(task, kR, kNoon, messages);
    EXPECT_EQ(messages.count(), 1u);
    EXPECT_EQ(task.date, kR + 4);
}

TEST(NextScheduleDate, shouldFollowSecondAndLastTuesdaysAndThursdaysThroughTheMonths) {
    // GIVEN Tuesday and Thursday with 2nd and Last ticked
    Schedule task = makeTask("Day of Month", ymd(1997, 1, 1), 1, "--T-T--", "-2--L");
    test::FakeMessageBox messages;
    std::vector<StdDate> got;
    // WHEN it is moved on again and again, each time from the occurrence just reached
    for (int i = 0; i < 8; ++i) {
        nextScheduleDate(task, task.date, kNoon, messages);
        got.push_back(task.date);
    }
    // THEN it falls on the second and the last of each weekday in each month
    const std::vector<StdDate> want = {ymd(1997, 1, 9),  ymd(1997, 1, 14), ymd(1997, 1, 28), ymd(1997, 1, 30),
                                       ymd(1997, 2, 11), ymd(1997, 2, 13), ymd(1997, 2, 25), ymd(1997, 2, 27)};
    EXPECT_EQ(got, want);
}

// Far outside the calendar the tasks still end up somewhere defined: never past kMaxDate, and never
// before the reference unless parked there.
TEST(NextScheduleDate, shouldParkATaskWhoseNextOccurrenceIsPastTheLastSupportedDay) {
    struct Case {
        const char* name;
        Schedule task;
        StdDate refDate;
        StdTime wantTime;
    };
    const Case cases[] = {
        {"years", makeTask("Custom", ymd(1996, 5, 1), hm(9, 0), "", "", 999999, "year(s)"), ymd(1996, 5, 1), hm(9, 0)},
        {"months", makeTask("Custom", ymd(1996, 5, 1), hm(9, 0), "", "", 999999, "month(s)"), ymd(1996, 5, 1),
         hm(9, 0)},
        {"weeks", makeTask("Custom", ymd(1996, 5, 1), hm(9, 0), "", "", 999999, "week(s)"), ymd(1996, 5, 1), hm(9, 0)},
        {"hours", makeTask("Custom", ymd(1996, 5, 1), hm(9, 0), "", "", std::numeric_limits<std::int32_t>::max(),
                           "hour(s)"),
         ymd(1996, 5, 1), kOneDay},
        {"monthlyFromTheLastDay", makeTask("Monthly", kMaxDate, 1), kMaxDate, 1},
        {"dayOfWeekFromTheLastDay", makeTask("Day of Week", kMaxDate, 1, "SMTWTFS"), kMaxDate, 1},
        {"dayOfMonthFromTheEndOfTheDates",
         makeTask("Day of Month", std::numeric_limits<StdDate>::max(), 1, "-M-----", "1----"), kR, 1},
        {"invalidUnitsOnTheLastDay", makeTask("Custom", kMaxDate, 1, "", "", 1, ""), kMaxDate, 1},
    };
    for (const Case& c : cases) {
        Schedule task = c.task;
        test::FakeMessageBox messages;
        nextScheduleDate(task, c.refDate, kNoon, messages);
        EXPECT_EQ(task.date, kMaxDate) << c.name;
        EXPECT_EQ(task.time, c.wantTime) << c.name;
    }
}

TEST(ValidScheduleDate, shouldAcceptOnlyTheDatesTheRuleCanFallOn) {
    const StdDate friday31 = ymd(1997, 1, 31);
    const StdDate friday24 = ymd(1997, 1, 24);
    const StdDate friday3 = ymd(1997, 1, 3);
    const StdDate monday = kR;
    struct Case {
        const char* name;
        Schedule task;
        StdDate date;
        bool want;
    };
    const Case cases[] = {
        {"onceAnyDate", makeTask("Once", 0), monday, true},
        {"monthlyAnyDate", makeTask("Monthly", 0), friday3, true},
        {"yearlyAnyDate", makeTask("Yearly", 0), friday3, true},
        {"dayOfWeekSelected", makeTask("Day of Week", 0, 1, "-----F-"), friday24, true},
        {"dayOfWeekNotSelected", makeTask("Day of Week", 0, 1, "-----F-"), monday, false},
        {"dayOfWeekNothingSelected", makeTask("Day of Week", 0, 1, ""), monday, false},
        {"dayOfMonthLastFriday", makeTask("Day of Month", 0, 1, "-----F-", "----L"), friday31, true},
        {"dayOfMonthFourthFridayIsNotTheLast", makeTask("Day of Month", 0, 1, "-----F-", "----L"), friday24, false},
        {"dayOfMonthFourthFriday", makeTask("Day of Month", 0, 1, "-----F-", "---4-"), friday24, true},
        {"dayOfMonthFirstFriday", makeTask("Day of Month", 0, 1, "-----F-", "1----"), friday3, true},
        {"dayOfMonthWrongWeekday", makeTask("Day of Month", 0, 1, "-M-----", "1234L"), friday3, false},
        {"dayOfMonthNoWeekday", makeTask("Day of Month", 0, 1, "", "1234L"), friday3, false},
        {"ownDateWhenGivenZero", makeTask("Day of Week", friday3, 1, "-----F-"), 0, true},
        {"ownDateWhenGivenZeroNotSelected", makeTask("Day of Week", monday, 1, "-----F-"), 0, false},
    };
    for (const Case& c : cases) EXPECT_EQ(validScheduleDate(c.task, c.date), c.want) << c.name;
}

TEST(ValidScheduleDate, shouldRefuseEveryDateForDayOfMonthWithoutOrdinalsAndAcceptEveryDateForCustom) {
    const Schedule noOrdinal = makeTask("Day of Month", 0, 1, "SMTWTFS", "");
    const Schedule custom = makeTask("Custom", 0, 1, "", "", 1, "day(s)");
    for (StdDate date = ymd(1996, 1, 1); date < ymd(1998, 1, 1); ++date) {
        ASSERT_FALSE(validScheduleDate(noOrdinal, date)) << date;
        ASSERT_TRUE(validScheduleDate(custom, date)) << date;
    }
}

TEST(ValidScheduleDate, shouldAgreeWithWhereTheRuleFalls) {
    // GIVEN every weekday and ordinal combination of a "Day of Month" task
    for (int days = 1; days < 128; days += 5) {
        for (int ordinals = 1; ordinals < 32; ++ordinals) {
            Schedule task = makeTask("Day of Month", ymd(1997, 1, 1));
            Byte* w[7] = {&task.sunday, &task.monday, &task.tuesday, &task.wednesday, &task.thursday, &task.friday,
                          &task.saturday};
            Byte* o[5] = {&task.every1st, &task.every2nd, &task.every3rd, &task.every4th, &task.everyLast};
            for (int i = 0; i < 7; ++i) *w[i] = (days >> i) & 1;
            for (int i = 0; i < 5; ++i) *o[i] = (ordinals >> i) & 1;
            // WHEN it is moved on through a year, THEN every date it reaches is valid and no valid date is skipped
            test::FakeMessageBox messages;
            StdDate previous = task.date;
            while (task.date < ymd(1998, 1, 1)) {
                nextScheduleDate(task, task.date, kNoon, messages);
                for (StdDate d = previous + 1; d < task.date; ++d) ASSERT_FALSE(validScheduleDate(task, d)) << d;
                ASSERT_TRUE(validScheduleDate(task, task.date));
                previous = task.date;
            }
        }
    }
}

class AdvanceTaskTest : public ::testing::Test {
protected:
    // Every hour, due at 10:00 on kR; moved on at 10:20 it goes to 11:00.
    Schedule hourly(StdDate warnDate, StdTime warnTime) {
        Schedule task = makeTask("Custom", kR, hm(10, 0), "", "", 1, "hour(s)");
        task.advanceWarnDate = warnDate;
        task.advanceWarnTime = warnTime;
        task.advanceWarned = 1;
        task.skipNextTime = 1;
        return task;
    }
    test::FakeMessageBox messages;
};

TEST_F(AdvanceTaskTest, shouldKeepTheWarningAtTheSameDistance) {
    Schedule task = hourly(kR - 1, hm(9, 45));
    advanceTask(task, kR, hm(10, 20), messages);
    EXPECT_EQ(task.date, kR);
    EXPECT_EQ(task.time, hm(11, 0));
    EXPECT_EQ(task.advanceWarnDate, kR - 1);
    EXPECT_EQ(task.advanceWarnTime, hm(10, 45));
    EXPECT_EQ(task.advanceWarned, 0);
    EXPECT_EQ(task.skipNextTime, 0);
}

TEST_F(AdvanceTaskTest, shouldGiveAZeroWarningFieldTheTasksNewValue) {
    struct Case {
        const char* name;
        StdDate warnDate;
        StdTime warnTime;
        StdDate wantDate;
        StdTime wantTime;
    };
    const Case cases[] = {
        {"zeroTimeBecomesTheTasksTime", kR - 2, 0, kR - 2, hm(11, 0)},
        {"zeroDateBecomesTheTasksDate", 0, hm(9, 0), kR, hm(10, 0)},
        {"noWarningStaysNone", 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        Schedule task = hourly(c.warnDate, c.warnTime);
        advanceTask(task, kR, hm(10, 20), messages);
        EXPECT_EQ(task.advanceWarnDate, c.wantDate) << c.name;
        EXPECT_EQ(task.advanceWarnTime, c.wantTime) << c.name;
        EXPECT_EQ(task.advanceWarned, 0) << c.name;
    }
}

TEST_F(AdvanceTaskTest, shouldNotCarryTheWarningTimeIntoTheWarningDate) {
    // GIVEN a task at 00:30 warned at 23:30 the day before
    Schedule task = makeTask("Custom", kR, hm(0, 30), "", "", 60, "minute(s)");
    task.advanceWarnDate = kR - 1;
    task.advanceWarnTime = hm(23, 30);
    // WHEN it moves on to 01:30
    advanceTask(task, kR, hm(0, 40), messages);
    // THEN the warning keeps its day distance and its time distance apart: 24:30 on the day before
    EXPECT_EQ(task.time, hm(1, 30));
    EXPECT_EQ(task.advanceWarnDate, kR - 1);
    EXPECT_EQ(task.advanceWarnTime, hm(24, 30));
}

TEST_F(AdvanceTaskTest, shouldLeaveAFinishedOnceTaskAsItWasButCompleted) {
    // GIVEN a "Once" task with a warning that was given
    Schedule task = makeTask("Once", kR, hm(10, 0));
    task.advanceWarnDate = kR - 1;
    task.advanceWarnTime = hm(9, 0);
    task.advanceWarned = 1;
    const Schedule before = task;
    // WHEN it is moved on
    advanceTask(task, kR, hm(10, 20), messages);
    // THEN only the completed flag changes; the warning is not turned into distances
    Schedule want = before;
    want.completed = 1;
    EXPECT_EQ(task, want);
}

TEST_F(AdvanceTaskTest, shouldMoveAWarningWithATaskWithoutUnits) {
    Schedule task = makeTask("Custom", kR - 3, hm(10, 0), "", "", 1, "");
    task.advanceWarnDate = kR - 4;
    task.advanceWarnTime = hm(10, 0);
    advanceTask(task, kR, hm(10, 20), messages);
    EXPECT_EQ(messages.captions(), std::vector<std::string>{"Invalid Units"});
    EXPECT_EQ(task.date, kR + 1);
    EXPECT_EQ(task.advanceWarnDate, kR);
    EXPECT_EQ(task.advanceWarnTime, hm(10, 0));
}

TEST_F(AdvanceTaskTest, shouldNotOverflowOnWarningDistancesOutOfAnyRange) {
    Schedule task = makeTask("Custom", std::numeric_limits<StdDate>::min(), 1, "", "", 1, "day(s)");
    task.advanceWarnDate = std::numeric_limits<StdDate>::max();
    task.advanceWarnTime = std::numeric_limits<StdTime>::min();
    advanceTask(task, kR, kNoon, messages);
    EXPECT_EQ(task.date, kR + 1);
    EXPECT_EQ(task.advanceWarnDate, std::numeric_limits<StdDate>::max());
    EXPECT_EQ(task.advanceWarnTime, std::numeric_limits<StdTime>::min());
}

TEST(RepetitionFits, shouldRefuseACountThatWouldPassTheLastSupportedDay) {
    const StdDate from = ymd(1996, 5, 1);
    const int maxYears = 9999 - 1996;
    const std::int32_t maxMonths = (9999 * 12 + 12) - (1996 * 12 + 5);
    const std::int32_t maxDays = kMaxDate - from;
    struct Case {
        const char* type;
        const char* unit;
        std::int32_t every;
        bool want;
    };
    const Case cases[] = {
        {"Custom", "year(s)", maxYears, true},
        {"Custom", "year(s)", maxYears + 1, false},
        {"Custom", "month(s)", maxMonths, true},
        {"Custom", "month(s)", maxMonths + 1, false},
        {"Custom", "day(s)", maxDays, true},
        {"Custom", "day(s)", maxDays + 1, false},
        {"Custom", "week(s)", maxDays / 7, true},
        {"Custom", "week(s)", maxDays / 7 + 1, false},
        {"Custom", "hour(s)", 999999, true},
        {"Custom", "minute(s)", 999999, true},
        {"Custom", "year(s)", 0, true},
        {"Custom", "", 999999, true},
        {"Yearly", "year(s)", 999999, true},
    };
    for (const Case& c : cases) {
        const Schedule task = makeTask(c.type, from, 1, "", "", c.every, c.unit);
        EXPECT_EQ(repetitionFits(task), c.want) << c.type << " " << c.unit << " " << c.every;
        // A count that does not fit parks the task on the last day.
        if (!c.want) {
            Schedule moved = task;
            test::FakeMessageBox messages;
            nextScheduleDate(moved, from, 1, messages);
            EXPECT_EQ(moved.date, kMaxDate) << c.unit << " " << c.every;
        }
    }
}

TEST(RepetitionFits, shouldAllowNothingFromPastTheLastDayAndJudgeAnUnsetDateFromTheFirst) {
    EXPECT_EQ(maxRepetitionCount(RepetitionUnit::Day, kMaxDate), 0);
    EXPECT_EQ(maxRepetitionCount(RepetitionUnit::Year, kMaxDate + 100), 0);
    EXPECT_EQ(maxRepetitionCount(RepetitionUnit::Year, kMinDate), 9999 - 1801);
    EXPECT_TRUE(repetitionFits(makeTask("Custom", 0, 1, "", "", 9999 - 1801, "year(s)")));
    EXPECT_FALSE(repetitionFits(makeTask("Custom", 0, 1, "", "", 9999 - 1800, "year(s)")));
}

}  // namespace
}  // namespace tarvelo
