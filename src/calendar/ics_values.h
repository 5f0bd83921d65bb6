#pragma once
// iCalendar values (RFC 5545) that tasks need: DATE and DATE-TIME, DURATION, and RECUR (RRULE).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/date.h"

namespace tarvelo::calendar {

// A DATE-TIME (or a DATE) as written: local ("floating") or UTC. Seconds, no fractions.
struct DateTimeValue {
    Ymd day;
    int hour = 0;
    int minute = 0;
    int second = 0;
    bool utc = false;       // written with a trailing Z
    bool dateOnly = false;  // a DATE: the whole day
    friend bool operator==(const DateTimeValue&, const DateTimeValue&) = default;
};

// "19970131T173000" (floating), "19970131T173000Z" (UTC), "19970131" (a DATE); nothing for any other
// text or a date or time that does not exist (a leap second included).
std::optional<DateTimeValue> parseDateTime(std::string_view text);
// "19970131T173000", with a Z when utc; "19970131" for a DATE.
std::string formatDateTime(const DateTimeValue& value);
// The value of a date and a time of the day given in hundredths past midnight (0 .. 8,639,999): the
// hundredths are dropped.
DateTimeValue dateTimeAt(StdDate date, int hundredthsPastMidnight);

// A DURATION in seconds: "-P1DT2H30M", "PT0S", "P2W".
std::string formatDuration(std::int64_t seconds);
std::optional<std::int64_t> parseDuration(std::string_view text);

enum class Frequency { secondly, minutely, hourly, daily, weekly, monthly, yearly };

// A BYDAY entry: ordinal 0 for every such weekday in the period, 1 .. 53 or -1 .. -53 for one of them;
// weekday 0 = Sunday .. 6 = Saturday.
struct WeekdayNum {
    int ordinal = 0;
    int weekday = 0;
    friend bool operator==(const WeekdayNum&, const WeekdayNum&) = default;
};

// A RECUR value. The parts this program follows are fields; any other part read (COUNT, UNTIL,
// BYSETPOS, BYHOUR, ...) is listed by name in otherParts, so that nobody mistakes it for absent.
struct Recurrence {
    Frequency frequency = Frequency::daily;
    std::int64_t interval = 1;
    std::vector<WeekdayNum> byDay;
    std::vector<int> byMonthDay;
    std::vector<int> byMonth;
    std::optional<DateTimeValue> until;  // written, never read back: a bounded rule is not a task's
    std::vector<std::string> otherParts;
};

// "FREQ=WEEKLY;INTERVAL=2;BYDAY=TU,TH", INTERVAL left out when 1.
std::string formatRecurrence(const Recurrence& rule);
// A RECUR value, or what is wrong with it ("FREQ is missing", "BYDAY=XX is not a weekday").
std::optional<std::string> parseRecurrence(std::string_view text, Recurrence& out);

// "SU", "MO", ... "SA".
std::string_view weekdayCode(int weekday);

}  // namespace tarvelo::calendar
