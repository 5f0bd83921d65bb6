#include "calendar/time_zone.h"

#include <ctime>

namespace tarvelo::calendar {
namespace {

constexpr std::int64_t kDaySeconds = 86400;

std::int64_t floorDiv(std::int64_t a, std::int64_t b) { return a / b - (a % b != 0 && a < 0); }

class SystemTimeZone : public TimeZone {
public:
    std::int64_t offsetAt(std::int64_t utcSeconds) const override {
        const std::time_t t = static_cast<std::time_t>(utcSeconds);
        std::tm local{};
        if (::localtime_r(&t, &local) == nullptr) return 0;
        return local.tm_gmtoff;
    }
    std::int64_t utcOf(const DateTimeValue& v) const override {
        std::tm local{};
        local.tm_year = v.day.year - 1900;
        local.tm_mon = v.day.month - 1;
        local.tm_mday = v.day.day;
        local.tm_hour = v.hour;
        local.tm_min = v.minute;
        local.tm_sec = v.second;
        local.tm_isdst = -1;
        const std::time_t t = std::mktime(&local);
        if (t == static_cast<std::time_t>(-1)) return secondsOf(v);
        return static_cast<std::int64_t>(t);
    }
};

}  // namespace

const TimeZone& systemTimeZone() {
    static const SystemTimeZone zone;
    return zone;
}

std::int64_t secondsOf(const DateTimeValue& v) {
    const std::int64_t days = std::int64_t{dateFromYmd(v.day.year, v.day.month, v.day.day)} - dateFromYmd(1970, 1, 1);
    return days * kDaySeconds + v.hour * 3600 + v.minute * 60 + v.second;
}

DateTimeValue dateTimeOfSeconds(std::int64_t seconds, bool utc) {
    const std::int64_t days = floorDiv(seconds, kDaySeconds);
    const std::int64_t rest = seconds - days * kDaySeconds;
    DateTimeValue v = dateTimeAt(static_cast<StdDate>(dateFromYmd(1970, 1, 1) + days), static_cast<int>(rest * 100));
    v.utc = utc;
    return v;
}

DateTimeValue localOf(const DateTimeValue& utc, const TimeZone& zone) {
    const std::int64_t at = secondsOf(utc);
    return dateTimeOfSeconds(at + zone.offsetAt(at), false);
}

bool steadyOffset(std::int64_t utcSeconds, const TimeZone& zone) {
    const std::int64_t first = zone.offsetAt(utcSeconds);
    for (int month = 1; month <= 24; ++month) {
        if (zone.offsetAt(utcSeconds + month * 30 * kDaySeconds) != first) return false;
    }
    return true;
}

}  // namespace tarvelo::calendar
