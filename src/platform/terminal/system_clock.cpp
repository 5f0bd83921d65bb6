#include "platform/terminal/system_clock.h"

#include <ctime>

#include "core/date.h"

namespace tarvelo::platform {

platform::Moment SystemClock::now() {
    timespec ts{};
    ::clock_gettime(CLOCK_REALTIME, &ts);
    std::tm local{};
    ::localtime_r(&ts.tv_sec, &local);
    const int seconds = local.tm_sec > 59 ? 59 : local.tm_sec;  // a leap second stays within the day
    return {dateFromYmd(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday),
            timeFromHms(local.tm_hour, local.tm_min, seconds, static_cast<int>(ts.tv_nsec / 10'000'000))};
}

}  // namespace tarvelo::platform
