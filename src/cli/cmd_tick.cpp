// tick: one timer tick of the scheduler on the data of the current folder; exit code 1 when the tick could
// not store what it did (nothing of it was performed then).
#include <cstdio>

#include "cli/command.h"
#include "cli/scheduler_session.h"

namespace tarvelo::cli {
namespace {

int runTick(const std::vector<std::string>& args) {
    const auto options = parseSchedulerOptions(args, true);
    if (!options) return 2;
    SchedulerSession session(*options);
    return session.tick() ? 0 : 1;
}

const Registration kTick{"tick", "tick [--at \"YYYY-MM-DD HH:MM:SS\"] [--answer yes|no]", &runTick};

}  // namespace
}  // namespace tarvelo::cli
