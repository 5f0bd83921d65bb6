// tick: one timer tick of the scheduler on the data of the current folder; exit code 1 when the tick could
// not store what it did (nothing of it was performed then).
#include <cstdio>

#include <memory>

#include "cli/command.h"
#include "cli/options.h"
#include "cli/scheduler_session.h"

namespace tarvelo::cli {
namespace {

void defineTick(Commands& commands) {
    auto options = std::make_shared<SchedulerOptions>();
    CLI::App& tick = commands.add("tick", "one timer tick of the scheduler", [options] {
        SchedulerSession session(*options);
        return session.tick() ? 0 : 1;
    });
    tick.footer(kEffectsAsJson);
    addAtOption(tick, options->at);
    addAnswerOption(tick, options->answer);
}

const Registration kTick{"tick", &defineTick};

}  // namespace
}  // namespace tarvelo::cli
