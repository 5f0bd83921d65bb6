#include "platform/terminal/json_platform.h"

#include "platform/terminal/system_clock.h"

namespace tarvelo::platform {

namespace {

std::unique_ptr<ClockPort> clockAt(std::optional<Moment> at) {
    if (at) return std::make_unique<FixedClock>(*at);
    return std::make_unique<SystemClock>();
}

}  // namespace

JsonPlatform::JsonPlatform(std::optional<Moment> at, std::optional<int> answer)
    : messages(sink, answer), clock(clockAt(at)) {}

}  // namespace tarvelo::platform
