#include "core/date.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace tarvelo {
namespace {

// Days from 1970-01-01 of a proleptic Gregorian date (H. Hinnant's days_from_civil), in 64 bits so that
// no input can overflow.
constexpr std::int64_t daysFromCivil(std::int64_t y, std::int64_t m, std::int64_t d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

Ymd civilFromDays(std::int64_t z) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t y = yoe + era * 400;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const std::int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const std::int64_t m = mp < 10 ? mp + 3 : mp - 9;
    return Ymd{static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

// 1 January 1801 is day 4.
// Constant-initialised, so dates built while other files initialise their statics are right too.
constexpr std::int64_t kEpochOffset = 4 - daysFromCivil(1801, 1, 1);

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

StdDate clampDate(std::int64_t v) {
    return static_cast<StdDate>(std::clamp<std::int64_t>(v, std::numeric_limits<StdDate>::min(),
                                                         std::numeric_limits<StdDate>::max()));
}

}  // namespace

const StdDate kMaxDate = dateFromYmd(9999, 12, 31);

bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return kDays[month - 1] + (month == 2 && isLeapYear(year) ? 1 : 0);
}

StdDate dateFromYmd(int year, int month, int day) {
    std::int64_t y = year < 100 && year >= 0 ? 1900 + year : year;
    // Bring the month into 1..12, carrying whole years; the day then carries through the day count.
    const std::int64_t m0 = static_cast<std::int64_t>(month) - 1;
    y += floorDiv(m0, 12);
    const std::int64_t m = m0 - floorDiv(m0, 12) * 12 + 1;
    // Years far outside any calendar would overflow the day count. The bound is wide enough (about 7.3e9
    // days) that even a day of +-2^31 cannot pull a clamped year back into the 32-bit range, so such
    // inputs still clamp to the right end of it.
    y = std::clamp<std::int64_t>(y, -20000000, 20000000);
    return clampDate(daysFromCivil(y, m, 1) + static_cast<std::int64_t>(day) - 1 + kEpochOffset);
}

Ymd ymdFromDate(StdDate date) {
    return civilFromDays(static_cast<std::int64_t>(date) - kEpochOffset);
}

int dayOfWeek(StdDate date) {
    const int r = date % 7;
    return r < 0 ? r + 7 : r;
}

StdTime timeFromHms(int hours, int minutes, int seconds, int hundredths) {
    const std::int64_t t = static_cast<std::int64_t>(hours) * kOneHour + static_cast<std::int64_t>(minutes) * kOneMinute +
                           static_cast<std::int64_t>(seconds) * 100 + hundredths + 1;
    return static_cast<StdTime>(std::clamp<std::int64_t>(t, std::numeric_limits<StdTime>::min(),
                                                         std::numeric_limits<StdTime>::max()));
}

Hms hmsFromTime(StdTime time) {
    std::int64_t h = static_cast<std::int64_t>(time) - 1;
    h = h - floorDiv(h, kOneDay) * kOneDay;
    return Hms{static_cast<int>(h / kOneHour), static_cast<int>(h / kOneMinute % 60), static_cast<int>(h / 100 % 60),
               static_cast<int>(h % 100)};
}

}  // namespace tarvelo
