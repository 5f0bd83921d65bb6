#pragma once
// The local time zone as calendars need it: tasks are kept in local time, a calendar may give a moment
// in UTC. The system's zone (the TZ variable, else /etc/localtime) is the program's; tests give zones
// of their own.
#include <cstdint>

#include "calendar/ics_values.h"

namespace tarvelo::calendar {

class TimeZone {
public:
    virtual ~TimeZone() = default;
    // How far local time is ahead of UTC at that moment, in seconds (negative west of Greenwich).
    virtual std::int64_t offsetAt(std::int64_t utcSeconds) const = 0;
    // The UTC moment of a local date and time; of two (when clocks are put back) the earlier, and for a
    // local time that does not exist (when clocks are put forward) the moment the offset before it gives.
    virtual std::int64_t utcOf(const DateTimeValue& local) const = 0;
};

// The zone of the running system.
const TimeZone& systemTimeZone();

// Seconds since 1970-01-01 00:00:00 of a date and time read as UTC (the zone plays no part), and back.
std::int64_t secondsOf(const DateTimeValue& value);
DateTimeValue dateTimeOfSeconds(std::int64_t seconds, bool utc);

// The local date and time of a UTC value.
DateTimeValue localOf(const DateTimeValue& utc, const TimeZone& zone);
// Whether local time keeps one offset from UTC over the two years from that moment (sampled monthly): a
// rule repeating in UTC then repeats alike in local time.
bool steadyOffset(std::int64_t utcSeconds, const TimeZone& zone);

}  // namespace tarvelo::calendar
