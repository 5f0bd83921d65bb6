#include "platform/terminal/json_platform.h"

#include <unistd.h>

#include "platform/terminal/system_clock.h"

namespace tarvelo::platform {

namespace {

std::unique_ptr<ClockPort> clockAt(std::optional<Moment> at) {
    if (at) return std::make_unique<FixedClock>(*at);
    return std::make_unique<SystemClock>();
}

// This very program: tarvelo96-cli is its own watcher.
std::string ownProgram() {
    char path[4096];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    return n > 0 ? std::string(path, static_cast<std::size_t>(n)) : std::string();
}

}  // namespace

JsonPlatform::JsonPlatform(std::optional<Moment> at, std::optional<int> answer)
    : messages(sink, answer), clock(clockAt(at)) {
    // The programs run under the watcher, which logs each run in the data file of the current folder.
    starter.watchWith({ownProgram(), absoluteFolder("")});
}

}  // namespace tarvelo::platform
