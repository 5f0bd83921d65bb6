// tick: one timer tick of the scheduler on the data of the current folder; exit code 1 when the tick could
// not store its due task's occurrence (nothing of it was performed then), 4 when that went well but a later
// step (the advance warning, the removal of expired copies) could not store what it had to.
#include <cstdio>

#include <memory>
#include <string>

#include "cli/command.h"
#include "cli/options.h"
#include "cli/scheduler_session.h"

namespace tarvelo::cli {
namespace {

void defineTick(Commands& commands) {
    auto options = std::make_shared<SchedulerOptions>();
    CLI::App& tick = commands.add("tick", "one timer tick of the scheduler", [options] {
        SchedulerSession session(*options);
        return tickExitCode(session.tick());
    });
    tick.footer(std::string(kEffectsAsJson) +
                " Exit code 1: the due task could not be stored, so nothing of it was performed; 4: it was "
                "performed and stored (or none was due), but the advance warning or the removal of expired "
                "completed tasks could not be stored.");
    addAtOption(tick, options->at);
    addAnswerOption(tick, options->answer);
}

const Registration kTick{"tick", &defineTick};

}  // namespace
}  // namespace tarvelo::cli
