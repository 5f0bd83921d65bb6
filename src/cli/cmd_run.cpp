// run: the scheduler without a display, a tick every five seconds until SIGINT or SIGTERM, or until its
// standard output is gone.
#include <signal.h>

#include <cerrno>
#include <ctime>

#include <memory>

#include "cli/command.h"
#include "cli/data_folder.h"
#include "cli/options.h"
#include "cli/scheduler_session.h"
#include "engine/scheduler_presence.h"

namespace tarvelo::cli {
namespace {

constexpr int kTickSeconds = 5;

int runScheduler(const SchedulerOptions& options) {
    // The two signals stay blocked and are taken with sigtimedwait between ticks: a signal never interrupts
    // a tick half-way, and the wait for the next tick ends as soon as one arrives. Started programs get
    // an empty mask of their own.
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    if (sigprocmask(SIG_BLOCK, &stop, nullptr) != 0) return 1;

    SchedulerSession session(options);
    const SchedulerPresence presence(dataFolder());
    for (;;) {
        // A failed tick has printed its error; the next one tries again.
        (void)session.tick();
        // Nobody reads any more (`run | head -n1`): the tick was completed, the run ends here.
        if (session.outputLost()) return 1;
        timespec wait{kTickSeconds, 0};
        int got;
        do {
            got = sigtimedwait(&stop, nullptr, &wait);
        } while (got < 0 && errno == EINTR);
        if (got == SIGINT || got == SIGTERM) break;
    }
    return 0;
}

void defineRun(Commands& commands) {
    auto options = std::make_shared<SchedulerOptions>();
    CLI::App& run = commands.add("run", "the scheduler: a tick every five seconds until SIGINT or SIGTERM",
                                 [options] { return runScheduler(*options); });
    run.footer(kEffectsAsJson);
    addAnswerOption(run, options->answer);
}

const Registration kRun{"run", &defineRun};

}  // namespace
}  // namespace tarvelo::cli
