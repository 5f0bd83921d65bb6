#pragma once
// Standard dates and times: the day and hundredth-of-a-second counts every record stores.
//
// A Standard date is a signed 32-bit day count in which day 4 is 1 January 1801 and the value modulo 7
// is the day of the week (0 = Sunday). It follows the Gregorian calendar; through 28 February 2100 it is
// exactly ((y - 1801) * 1461) div 4 + days before month m + d + 3, minus 1 after 1900, plus 1 after
// February of a leap year. 0 in a date field means that no date is set.
//
// A Standard time is hundredths of a second since midnight, plus one: 1 is midnight, 8,640,000 the last
// hundredth of the day. 0 in a time field means that no time is set.
//
// Every function here is defined for every 32-bit input (no overflow, no assertion); the dates that the
// program supports for scheduling are kMinDate .. kMaxDate.
#include <cstdint>

namespace tarvelo {

using StdDate = std::int32_t;
using StdTime = std::int32_t;

inline constexpr StdTime kOneMinute = 6000;
inline constexpr StdTime kOneHour = 360000;
inline constexpr StdTime kOneDay = 8640000;

struct Ymd {
    int year = 0;
    int month = 0;
    int day = 0;
    friend bool operator==(const Ymd&, const Ymd&) = default;
};

struct Hms {
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
    int hundredths = 0;
    friend bool operator==(const Hms&, const Hms&) = default;
};

// Builds a date from year, month and day. A year below 100 counts as 1900 + year; a month above 12 carries
// into the following years (below 1 into the previous ones), a day beyond the month's length into the
// following months (February 31 of a common year is March 3), a day below 1 into the previous ones.
// Results outside the 32-bit range are clamped to it.
StdDate dateFromYmd(int year, int month, int day);
Ymd ymdFromDate(StdDate date);
// 0 = Sunday .. 6 = Saturday, also for negative dates.
int dayOfWeek(StdDate date);
bool isLeapYear(int year);
int daysInMonth(int year, int month);

inline constexpr StdDate kMinDate = 4;        // 1 January 1801
extern const StdDate kMaxDate;                 // 31 December 9999

// Hours, minutes, seconds and hundredths to a Standard time (no range check: 25:00 gives 9,000,001).
StdTime timeFromHms(int hours, int minutes, int seconds = 0, int hundredths = 0);
// The parts of a time; a time outside 1 .. kOneDay is first brought into the day.
Hms hmsFromTime(StdTime time);

}  // namespace tarvelo
