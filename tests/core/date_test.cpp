#include "core/date.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <limits>

namespace tarvelo {
namespace {

// The day count as the data files have always defined it, written out literally. It treats every fourth
// year but 1900 as a leap year, so it holds through 28 February 2100.
int literalFormula(int y, int m, int d) {
    static constexpr int kDaysBefore[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    int v = ((y - 1801) * 1461) / 4 + kDaysBefore[m - 1] + d + 3;
    if (y > 1900) v -= 1;
    const bool leap = y % 4 == 0 && y != 1900;
    if (m > 2 && leap) v += 1;
    return v;
}

TEST(StandardDate, shouldAgreeWithTheLiteralFormulaOnEveryDayFrom1801To2099) {
    StdDate previous = 3;
    for (int y = 1801; y <= 2099; ++y) {
        for (int m = 1; m <= 12; ++m) {
            for (int d = 1; d <= daysInMonth(y, m); ++d) {
                const StdDate date = dateFromYmd(y, m, d);
                ASSERT_EQ(date, literalFormula(y, m, d)) << y << "-" << m << "-" << d;
                ASSERT_EQ(date, previous + 1) << "days must be consecutive at " << y << "-" << m << "-" << d;
                ASSERT_EQ(ymdFromDate(date), (Ymd{y, m, d})) << date;
                previous = date;
            }
        }
    }
}

TEST(StandardDate, shouldKnowTheLandmarkDaysAndTheirWeekdays) {
    struct Case {
        Ymd ymd;
        StdDate date;
        int weekday;  // 0 = Sunday
    };
    const Case cases[] = {
        {{1801, 1, 1}, 4, 4},          // a Thursday
        {{1900, 2, 28}, 36221, 3},     // 1900 is no leap year:
        {{1900, 3, 1}, 36222, 4},      // March follows February 28
        {{1997, 1, 31}, 71622, 5},     // a Friday
        {{2000, 2, 29}, 72746, 2},     // 2000 is a leap year
        {{2100, 2, 28}, 109270, 0},    // the last day the literal formula covers
        {{2100, 3, 1}, 109271, 1},     // 2100 is no leap year
        {{9999, 12, 31}, 2994626, 5},  // the last supported day
    };
    for (const auto& c : cases) {
        EXPECT_EQ(dateFromYmd(c.ymd.year, c.ymd.month, c.ymd.day), c.date) << c.ymd.year << "-" << c.ymd.month;
        EXPECT_EQ(ymdFromDate(c.date), c.ymd) << c.date;
        EXPECT_EQ(dayOfWeek(c.date), c.weekday) << c.date;
    }
    EXPECT_EQ(kMaxDate, dateFromYmd(9999, 12, 31));
}

TEST(StandardDate, shouldCarryMonthsAndDaysBeyondTheirRangeWhenBuilding) {
    struct Case {
        int y, m, d;
        Ymd expected;
    };
    const Case cases[] = {
        {1997, 2, 31, {1997, 3, 3}},    // February 31 of a common year
        {1996, 2, 31, {1996, 3, 2}},    // ... and of a leap year
        {1997, 13, 1, {1998, 1, 1}},    // month 13 is January of the next year
        {1997, 25, 10, {1999, 1, 10}},
        {1997, 0, 15, {1996, 12, 15}},  // month 0 is December of the year before
        {1997, -11, 1, {1996, 1, 1}},
        {1997, 1, 0, {1996, 12, 31}},   // day 0 is the last day of the month before
        {1997, 3, -1, {1997, 2, 27}},
        {1997, 12, 32, {1998, 1, 1}},
        {1997, 1, 366, {1998, 1, 1}},
        {97, 1, 31, {1997, 1, 31}},     // a year below 100 counts as 1900 + year
        {0, 1, 1, {1900, 1, 1}},
        {99, 12, 31, {1999, 12, 31}},
        {100, 1, 1, {100, 1, 1}},       // 100 is a year of its own
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ymdFromDate(dateFromYmd(c.y, c.m, c.d)), c.expected) << c.y << "/" << c.m << "/" << c.d;
    }
    EXPECT_EQ(dateFromYmd(97, 1, 31), 71622);
}

TEST(StandardDate, shouldClampExtremeInputsToTheEndTheyPointTo) {
    constexpr StdDate kLow = std::numeric_limits<StdDate>::min();
    constexpr StdDate kHigh = std::numeric_limits<StdDate>::max();
    EXPECT_EQ(dateFromYmd(INT_MAX, INT_MAX, INT_MAX), kHigh);
    EXPECT_EQ(dateFromYmd(INT_MIN, INT_MIN, INT_MIN), kLow);
    EXPECT_EQ(dateFromYmd(INT_MAX, 1, 1), kHigh);
    EXPECT_EQ(dateFromYmd(INT_MIN, 1, 1), kLow);
    // A far year must not be pulled back into range by a large day the other way.
    EXPECT_EQ(dateFromYmd(INT_MAX, 1, INT_MIN), kHigh);
    EXPECT_EQ(dateFromYmd(INT_MIN, 1, INT_MAX), kLow);
    EXPECT_EQ(dateFromYmd(1997, INT_MAX, 1), kHigh);
    EXPECT_EQ(dateFromYmd(1997, INT_MIN, 1), kLow);
    // Within range a huge day is exact, not clamped.
    EXPECT_EQ(dateFromYmd(1997, 1, INT_MIN), static_cast<std::int64_t>(dateFromYmd(1997, 1, 1)) - 1 + INT_MIN);
}

TEST(StandardDate, shouldConvertEveryExtremeDayNumberBackAndForth) {
    const StdDate cases[] = {std::numeric_limits<StdDate>::min(), std::numeric_limits<StdDate>::min() + 1, -1, 0, 1,
                             std::numeric_limits<StdDate>::max() - 1, std::numeric_limits<StdDate>::max()};
    for (StdDate date : cases) {
        const Ymd ymd = ymdFromDate(date);
        EXPECT_GE(ymd.month, 1) << date;
        EXPECT_LE(ymd.month, 12) << date;
        EXPECT_GE(ymd.day, 1) << date;
        EXPECT_LE(ymd.day, 31) << date;
        if (ymd.year >= 100 || ymd.year < 0) {
            EXPECT_EQ(dateFromYmd(ymd.year, ymd.month, ymd.day), date) << date;
        }
        const int weekday = dayOfWeek(date);
        EXPECT_GE(weekday, 0) << date;
        EXPECT_LE(weekday, 6) << date;
    }
    // The week goes on across zero and negative days.
    for (StdDate date = -20; date < 20; ++date) EXPECT_EQ(dayOfWeek(date + 1), (dayOfWeek(date) + 1) % 7) << date;
    EXPECT_EQ(dayOfWeek(std::numeric_limits<StdDate>::min()), 5);  // -2^31 mod 7, as a floor modulo
}

TEST(StandardTime, shouldCountHundredthsSinceMidnightPlusOne) {
    struct Case {
        Hms hms;
        StdTime time;
    };
    const Case cases[] = {
        {{0, 0, 0, 0}, 1},          // midnight
        {{0, 1, 0, 0}, 6001},       // one minute
        {{1, 0, 0, 0}, 360001},     // one hour
        {{12, 0, 0, 0}, 4320001},   // noon
        {{17, 30, 0, 0}, 6300001},
        {{17, 30, 15, 50}, 6301551},
        {{23, 59, 55, 0}, 8639501},
        {{23, 59, 59, 99}, 8640000},  // the last hundredth of the day
    };
    for (const auto& c : cases) {
        EXPECT_EQ(timeFromHms(c.hms.hours, c.hms.minutes, c.hms.seconds, c.hms.hundredths), c.time);
        EXPECT_EQ(hmsFromTime(c.time), c.hms) << c.time;
    }
}

TEST(StandardTime, shouldBringTimesOutsideTheDayIntoItAndNeverOverflow) {
    EXPECT_EQ(hmsFromTime(kOneDay + 1), (Hms{0, 0, 0, 0}));
    EXPECT_EQ(hmsFromTime(0), (Hms{23, 59, 59, 99}));             // one hundredth before midnight
    EXPECT_EQ(hmsFromTime(1 - kOneHour), (Hms{23, 0, 0, 0}));     // a warning an hour before midnight
    EXPECT_EQ(timeFromHms(25, 0), 9000001);                        // no range check
    EXPECT_EQ(timeFromHms(INT_MAX, INT_MAX, INT_MAX, INT_MAX), std::numeric_limits<StdTime>::max());
    EXPECT_EQ(timeFromHms(INT_MIN, INT_MIN, INT_MIN, INT_MIN), std::numeric_limits<StdTime>::min());
    for (StdTime t : {std::numeric_limits<StdTime>::min(), std::numeric_limits<StdTime>::max()}) {
        const Hms hms = hmsFromTime(t);
        EXPECT_GE(hms.hours, 0);
        EXPECT_LE(hms.hours, 23);
        EXPECT_GE(hms.hundredths, 0);
    }
}

}  // namespace
}  // namespace tarvelo
