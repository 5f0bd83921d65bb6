#include "tasks/recurrence.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "fakes/fake_ports.h"
#include "fakes/case_names.h"
#include "fakes/rule_builders.h"

namespace tarvelo {
namespace {

using test::custom;
using test::makeTask;

constexpr std::int32_t kLo = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kHi = std::numeric_limits<std::int32_t>::max();

StdDate ymd(int y, int m, int d) { return dateFromYmd(y, m, d); }
StdTime hm(int h, int m) { return timeFromHms(h, m); }

// Monday, 20 January 1997, as a literal: the cases are built before main(), when the date helpers' own
// constants may not be set yet.
constexpr StdDate kR = 71611;

TEST(RecurrenceFixture, shouldUseAMondayAsItsReferenceDay) {
    EXPECT_EQ(ymd(1997, 1, 20), kR);
    EXPECT_EQ(dayOfWeek(kR), 1);
}

struct NextCase {
    const char* name;
    Task task;
    StdDate refDate;
    StdTime refTime;
    StdDate wantDate;
    StdTime wantTime;
};

void PrintTo(const NextCase& c, std::ostream* os) { *os << c.name; }

class NextScheduleDateCases : public ::testing::TestWithParam<NextCase> {};

TEST_P(NextScheduleDateCases, shouldMoveTheTaskToItsNextOccurrence) {
    const NextCase& c = GetParam();
    Task task = c.task;
    test::FakeMessageBox messages;
    nextScheduleDate(task, c.refDate, c.refTime, messages);
    const Ymd got = ymdFromDate(task.date);
    EXPECT_EQ(task.date, c.wantDate) << "got " << got.year << "-" << got.month << "-" << got.day;
    EXPECT_EQ(task.time, c.wantTime);
    EXPECT_EQ(messages.count(), 0u);
}

const StdTime kNoon = hm(12, 0);

INSTANTIATE_TEST_SUITE_P(
    Rules, NextScheduleDateCases,
    ::testing::Values(
        NextCase{"monthlyCarriesJanuary31", makeTask("Monthly", ymd(1997, 1, 31)), ymd(1997, 1, 31), kNoon,
                 ymd(1997, 3, 3), 1},
        NextCase{"monthlyCarriesLessInALeapYear", makeTask("Monthly", ymd(1996, 1, 31)), ymd(1996, 1, 31), kNoon,
                 ymd(1996, 3, 2), 1},
        NextCase{"monthlyKeepsTheCarriedDay", makeTask("Monthly", ymd(1997, 1, 31)), ymd(1997, 3, 3), kNoon,
                 ymd(1997, 4, 3), 1},
        NextCase{"monthlyYearsOverdue", makeTask("Monthly", ymd(1990, 1, 31)), ymd(1997, 6, 10), kNoon, ymd(1997, 7, 3),
                 1},
        NextCase{"yearlyFebruary29ToMarch1", makeTask("Yearly", ymd(1996, 2, 29)), ymd(1996, 3, 5), kNoon,
                 ymd(1997, 3, 1), 1},
        NextCase{"yearlyStaysOnMarch1", makeTask("Yearly", ymd(1996, 2, 29)), ymd(2004, 2, 29), kNoon, ymd(2004, 3, 1),
                 1},
        NextCase{"dayOfWeekNoWeekdayIsTheDayAfter", makeTask("Day of Week", ymd(1996, 6, 3)), ymd(1996, 6, 10), kNoon,
                 ymd(1996, 6, 11), 1},
        NextCase{"dayOfWeekFirstSelectedAfter", makeTask("Day of Week", ymd(1990, 1, 1), 1, "-M-W---"), kR, kNoon,
                 kR + 2, 1},
        NextCase{"dayOfWeekOneWeekdayWaitsAWeek", makeTask("Day of Week", kR, 1, "-M-----"), kR, kNoon, kR + 7, 1},
        NextCase{"dayOfMonthSundayFirst", makeTask("Day of Month", ymd(1996, 11, 30), 1, "S------", "1----"),
                 ymd(1996, 11, 30), kNoon, ymd(1996, 12, 1), 1},
        NextCase{"dayOfMonthFridayLast", makeTask("Day of Month", kR, 1, "-----F-", "----L"), kR, kNoon,
                 ymd(1997, 1, 31), 1},
        NextCase{"dayOfMonthFridayFourthOrLast", makeTask("Day of Month", kR, 1, "-----F-", "---4L"), kR, kNoon,
                 ymd(1997, 1, 24), 1},
        NextCase{"dayOfMonthLastCanBeDay25", makeTask("Day of Month", ymd(1997, 2, 1), 1, "--T----", "----L"),
                 ymd(1997, 2, 1), kNoon, ymd(1997, 2, 25), 1},
        NextCase{"dayOfMonthNoOrdinalIsDayOfWeek", makeTask("Day of Month", kR, 1, "-M-----"), kR, kNoon, kR + 7, 1},
        NextCase{"dayOfMonthNoWeekdayTakesAnyDay", makeTask("Day of Month", ymd(1997, 1, 10), 1, "", "1----"),
                 ymd(1997, 1, 10), kNoon, ymd(1997, 2, 1), 1},
        NextCase{"dayOfMonthStepsEvenWhenLater", makeTask("Day of Month", ymd(1997, 3, 7), 1, "-----F-", "1----"), kR,
                 kNoon, ymd(1997, 4, 4), 1},
        NextCase{"every90MinutesCrossesMidnight", custom(90, "minute(s)", kR, hm(23, 0)), kR, hm(23, 0) + 1, kR + 1,
                 180001},
        NextCase{"minutesReachTheReferenceExactly", custom(30, "minute(s)", kR, hm(11, 0)), kR, kNoon, kR, kNoon},
        NextCase{"aTaskAtTheReferenceIsNotMoved", custom(30, "minute(s)", kR, kNoon), kR, kNoon, kR, kNoon},
        NextCase{"minutesDaysOverdueLandToday", custom(7, "minute(s)", kR - 3, hm(0, 5)), kR, kNoon, kR, hm(12, 5)},
        NextCase{"dateRulesIgnoreTheTime", custom(1, "day(s)", kR, hm(23, 0)), kR, hm(1, 0), kR + 1, hm(23, 0)},
        NextCase{"every1441MinutesSplits", custom(1441, "minute(s)", kR, kNoon), kR, kNoon + 1, kR + 1, hm(12, 1)},
        NextCase{"every1440MinutesFromNoTimeIsAllTime", custom(1440, "minute(s)", kR - 1, 0), kR, 1, kR, kOneDay},
        NextCase{"every2880MinutesFromNoTimeIsAllDays", custom(2880, "minute(s)", kR - 1, 0), kR, 1, kR + 1, 0},
        NextCase{"every25HoursRemainderPastMidnight", custom(25, "hour(s)", kR, hm(23, 0)), kR, hm(23, 0) + 1, kR + 2,
                 1},
        NextCase{"aTimePastTheDayIsNormalised", custom(30, "minute(s)", kR - 1, hm(25, 0)), kR, 1, kR, hm(1, 30)},
        NextCase{"aTimeFarPastTheDayCarriesDays", custom(60, "minute(s)", kR - 10, 5 * kOneDay + 1), kR - 6, 1, kR - 5,
                 hm(1, 0)},
        NextCase{"every2DaysFiveDaysOverdue", custom(2, "day(s)", kR - 5), kR, kNoon, kR + 1, 1},
        NextCase{"every2WeeksFromTheReference", custom(2, "week(s)", kR), kR, kNoon, kR + 14, 1},
        NextCase{"every13MonthsCarriesTheDay", custom(13, "month(s)", ymd(1997, 1, 31)), ymd(1997, 1, 31), kNoon,
                 ymd(1998, 3, 3), 1},
        NextCase{"every4YearsLosesFebruary29In2100", custom(4, "year(s)", ymd(2096, 2, 29)), ymd(2096, 2, 29), kNoon,
                 ymd(2100, 3, 1), 1}),
    test::NamedBy<&NextCase::name>());

TEST(NextScheduleDate, shouldCompleteAOnceTaskWithoutMovingIt) {
    Task task = makeTask("Once", kR - 3, hm(9, 30));
    test::FakeMessageBox messages;
    nextScheduleDate(task, kR, kNoon, messages);
    EXPECT_EQ(task.completed, 1);
    EXPECT_EQ(task.date, kR - 3);
    EXPECT_EQ(task.time, hm(9, 30));
}

TEST(NextScheduleDate, shouldRaiseACountBelowOneToOneAndStoreIt) {
    for (const std::int32_t every : {0, -1, kLo}) {
        Task task = custom(every, "day(s)", kR);
        test::FakeMessageBox messages;
        nextScheduleDate(task, kR, kNoon, messages);
        EXPECT_EQ(task.every, 1) << every;
        EXPECT_EQ(task.date, kR + 1) << every;
    }
}

TEST(NextScheduleDate, shouldAskForUnitsAndPushADueTaskToTheDayAfterTheReference) {
    struct Case {
        const char* unit;
        StdDate date;
        StdDate want;
    };
    for (const Case& c : {Case{"", kR - 9, kR + 1}, Case{"mi", kR, kR + 1}, Case{" min", kR - 1, kR + 1},
                          Case{"fortnight", kR + 4, kR + 4}}) {
        Task task = custom(5, c.unit, c.date, hm(8, 0));
        test::FakeMessageBox messages;
        nextScheduleDate(task, kR, kNoon, messages);
        ASSERT_EQ(messages.count(), 1u) << c.unit;
        EXPECT_EQ(messages.last().caption, "Invalid Units");
        EXPECT_EQ(messages.last().text, "Custom repetition is not set up properly.  Select units.");
        EXPECT_EQ(messages.last().buttons, platform::kOk);
        EXPECT_EQ(messages.last().icon, platform::Icon::None);
        EXPECT_EQ(task.date, c.want) << c.unit;
        EXPECT_EQ(task.time, hm(8, 0));
    }
}

TEST(NextScheduleDate, shouldFollowSecondAndLastTuesdaysAndThursdaysThroughTheMonths) {
    Task task = makeTask("Day of Month", ymd(1997, 1, 1), 1, "--T-T--", "-2--L");
    test::FakeMessageBox messages;
    std::vector<StdDate> got;
    for (int i = 0; i < 8; ++i) {
        nextScheduleDate(task, task.date, kNoon, messages);
        got.push_back(task.date);
    }
    const std::vector<StdDate> want = {ymd(1997, 1, 9),  ymd(1997, 1, 14), ymd(1997, 1, 28), ymd(1997, 1, 30),
                                       ymd(1997, 2, 11), ymd(1997, 2, 13), ymd(1997, 2, 25), ymd(1997, 2, 27)};
    EXPECT_EQ(got, want);
}

TEST(NextScheduleDate, shouldParkATaskWhoseNextOccurrenceIsPastTheLastSupportedDay) {
    struct Case {
        const char* name;
        Task task;
        StdDate refDate;
        StdTime wantTime;
    };
    const StdDate d = ymd(1996, 5, 1);
    const Case cases[] = {
        {"years", custom(999999, "year(s)", d, 9), d, 9},
        {"months", custom(999999, "month(s)", d, 9), d, 9},
        {"weeks", custom(999999, "week(s)", d, 9), d, 9},
        {"hours", custom(kHi, "hour(s)", d, 9), d, kOneDay},
        {"monthlyFromTheLastDay", makeTask("Monthly", kMaxDate), kMaxDate, 1},
        {"dayOfWeekFromTheLastDay", makeTask("Day of Week", kMaxDate, 1, "SMTWTFS"), kMaxDate, 1},
        {"dayOfMonthFromTheLastDate", makeTask("Day of Month", kHi, 1, "-M-----", "1----"), kR, 1},
        {"invalidUnitsOnTheLastDay", custom(1, "", kMaxDate), kMaxDate, 1},
    };
    for (const Case& c : cases) {
        Task task = c.task;
        test::FakeMessageBox messages;
        nextScheduleDate(task, c.refDate, kNoon, messages);
        EXPECT_EQ(task.date, kMaxDate) << c.name;
        EXPECT_EQ(task.time, c.wantTime) << c.name;
    }
}

TEST(ValidScheduleDate, shouldAcceptOnlyTheDatesTheRuleCanFallOn) {
    const StdDate fri31 = ymd(1997, 1, 31), fri24 = ymd(1997, 1, 24), fri3 = ymd(1997, 1, 3);
    struct Case {
        const char* name;
        Task task;
        StdDate date;
        bool want;
    };
    const Case cases[] = {
        {"onceAny", makeTask("Once", 0), kR, true},
        {"monthlyAny", makeTask("Monthly", 0), fri3, true},
        {"dayOfWeekSelected", makeTask("Day of Week", 0, 1, "-----F-"), fri24, true},
        {"dayOfWeekNotSelected", makeTask("Day of Week", 0, 1, "-----F-"), kR, false},
        {"dayOfMonthLast", makeTask("Day of Month", 0, 1, "-----F-", "----L"), fri31, true},
        {"dayOfMonthFourthIsNotLast", makeTask("Day of Month", 0, 1, "-----F-", "----L"), fri24, false},
        {"dayOfMonthFourth", makeTask("Day of Month", 0, 1, "-----F-", "---4-"), fri24, true},
        {"dayOfMonthWrongWeekday", makeTask("Day of Month", 0, 1, "-M-----", "1234L"), fri3, false},
        {"dayOfMonthNoWeekday", makeTask("Day of Month", 0, 1, "", "1234L"), fri3, false},
        {"zeroIsTheOwnDate", makeTask("Day of Week", fri3, 1, "-----F-"), 0, true},
        {"zeroIsTheOwnDateNotSelected", makeTask("Day of Week", kR, 1, "-----F-"), 0, false},
    };
    for (const Case& c : cases) EXPECT_EQ(validScheduleDate(c.task, c.date), c.want) << c.name;
}

TEST(ValidScheduleDate, shouldHoldExactlyOnTheDatesDayOfMonthFallsOn) {
    // GIVEN weekday and ordinal combinations, including none ticked
    for (int days = 0; days < 128; days += 9) {
        for (int ordinals = 0; ordinals < 32; ++ordinals) {
            Task task = makeTask("Day of Month", ymd(1997, 1, 1));
            Byte* w[7] = {&task.sunday,   &task.monday, &task.tuesday, &task.wednesday,
                          &task.thursday, &task.friday, &task.saturday};
            Byte* o[5] = {&task.every1st, &task.every2nd, &task.every3rd, &task.every4th, &task.everyLast};
            for (int i = 0; i < 7; ++i) *w[i] = (days >> i) & 1;
            for (int i = 0; i < 5; ++i) *o[i] = (ordinals >> i) & 1;
            // WHEN it is moved on through a year, THEN the dates it reaches are valid and those it skips are not;
            // without an ordinal no date is valid
            test::FakeMessageBox messages;
            for (StdDate previous = task.date; task.date < ymd(1998, 1, 1); previous = task.date) {
                nextScheduleDate(task, task.date, kNoon, messages);
                for (StdDate d = previous + 1; d < task.date; ++d) ASSERT_FALSE(validScheduleDate(task, d)) << d;
                ASSERT_EQ(validScheduleDate(task, task.date), ordinals != 0 && days != 0) << task.date;
            }
        }
    }
}

TEST(AdvanceTask, shouldKeepTheWarningAtItsDistanceInDaysAndInTimeApart) {
    struct Case {
        const char* name;
        Task task;
        StdDate warnDate;
        StdTime warnTime;
        StdDate wantDate;
        StdTime wantTime;
    };
    // Moved on at 10:20: hourly from 10:00 to 11:00, every 60 minutes from 00:30 to 10:30.
    const Case cases[] = {
        {"sameDistance", custom(1, "hour(s)", kR, hm(10, 0)), kR - 1, hm(9, 45), kR - 1, hm(10, 45)},
        {"zeroTimeBecomesTheTasksTime", custom(1, "hour(s)", kR, hm(10, 0)), kR - 2, 0, kR - 2, hm(11, 0)},
        {"zeroDateBecomesTheTasksDate", custom(1, "hour(s)", kR, hm(10, 0)), 0, hm(9, 0), kR, hm(10, 0)},
        {"noWarningStaysNone", custom(1, "hour(s)", kR, hm(10, 0)), 0, 0, 0, 0},
        {"timeNotCarriedIntoTheDate", custom(60, "minute(s)", kR, hm(0, 30)), kR - 1, hm(23, 30), kR - 1, hm(33, 30)},
        {"invalidUnitsMovesTheWarning", custom(1, "", kR - 3, hm(10, 0)), kR - 4, hm(10, 0), kR, hm(10, 0)},
        {"distancesBeyondAnyRangeClamp", custom(1, "day(s)", kLo), kHi, kLo, kHi, kLo},
    };
    for (const Case& c : cases) {
        Task task = c.task;
        task.advanceWarnDate = c.warnDate;
        task.advanceWarnTime = c.warnTime;
        task.advanceWarned = 1;
        task.skipNextTime = 1;
        test::FakeMessageBox messages;
        advanceTask(task, kR, hm(10, 20), messages);
        EXPECT_EQ(task.advanceWarnDate, c.wantDate) << c.name;
        EXPECT_EQ(task.advanceWarnTime, c.wantTime) << c.name;
        EXPECT_EQ(task.advanceWarned, 0) << c.name;
        EXPECT_EQ(task.skipNextTime, 0) << c.name;
    }
}

TEST(AdvanceTask, shouldLeaveAFinishedOnceTaskAsItWasButCompleted) {
    // GIVEN a "Once" task whose warning was given, WHEN it is moved on, THEN only `completed` changes: the
    // warning is not left holding distances
    Task task = makeTask("Once", kR, hm(10, 0));
    task.advanceWarnDate = kR - 1;
    task.advanceWarnTime = hm(9, 0);
    task.advanceWarned = 1;
    Task want = task;
    want.completed = 1;
    test::FakeMessageBox messages;
    advanceTask(task, kR, hm(10, 20), messages);
    EXPECT_EQ(task, want);
}

TEST(RepetitionFits, shouldRefuseACountThatWouldPassTheLastSupportedDayAndParkItThere) {
    const StdDate from = ymd(1996, 5, 1);
    const std::int32_t days = kMaxDate - from;
    const std::int32_t months = (9999 * 12 + 12) - (1996 * 12 + 5);
    struct Case {
        const char* unit;
        std::int32_t every;
        bool want;
    };
    for (const Case& c :
         {Case{"year(s)", 9999 - 1996, true}, Case{"year(s)", 9999 - 1995, false}, Case{"month(s)", months, true},
          Case{"month(s)", months + 1, false}, Case{"day(s)", days, true}, Case{"day(s)", days + 1, false},
          Case{"week(s)", days / 7, true}, Case{"week(s)", days / 7 + 1, false}, Case{"hour(s)", 999999, true},
          Case{"minute(s)", 999999, true}, Case{"year(s)", 0, true}, Case{"", 999999, true}}) {
        Task task = custom(c.every, c.unit, from);
        EXPECT_EQ(repetitionFits(task), c.want) << c.unit << " " << c.every;
        test::FakeMessageBox messages;
        nextScheduleDate(task, from, 1, messages);
        if (!c.want) {
            EXPECT_EQ(task.date, kMaxDate) << c.unit << " " << c.every;
        }
    }
    EXPECT_TRUE(repetitionFits(makeTask("Yearly", from, 1, "", "", 999999, "year(s)")));
    // From past the last day nothing fits; an unset date is judged from the first.
    EXPECT_EQ(maxRepetitionCount(RepetitionUnit::Day, kMaxDate + 100), 0);
    EXPECT_TRUE(repetitionFits(custom(9999 - 1801, "year(s)", 0)));
    EXPECT_FALSE(repetitionFits(custom(9999 - 1800, "year(s)", 0)));
}

}  // namespace
}  // namespace tarvelo
