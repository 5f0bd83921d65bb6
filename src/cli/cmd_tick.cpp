// tick: one timer tick of the scheduler on the data of the current folder.
#include <cstdio>

#include "cli/command.h"
#include "cli/scheduler_session.h"

namespace tarvelo::cli {
namespace {

int runTick(const std::vector<std::string>& args) {
    const auto options = parseSchedulerOptions(args, true);
    if (!options) return 2;
    SchedulerSession session(*options);
    session.tick();
    return 0;
}

const Registration kTick{"tick", "tick [--at \"YYYY-MM-DD HH:MM:SS\"] [--answer yes|no]", &runTick};

}  // namespace
}  // namespace tarvelo::cli
