// run: the scheduler without a display, a tick every five seconds until SIGINT or SIGTERM, or until its
// standard output is gone. Messages and advance warnings go to the desktop's notification service when
// the session has one; the event loop stays open for the actions the user chooses on them.
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <memory>

#include "cli/command.h"
#include "cli/data_folder.h"
#include "cli/options.h"
#include "cli/scheduler_session.h"
#include "engine/scheduler.h"
#include "engine/scheduler_presence.h"
#include "platform/dbus/dbus_notifications.h"

namespace tarvelo::cli {
namespace {

int runScheduler(const SchedulerOptions& options) {
    // The two signals stay blocked and are read from a descriptor by the event loop between ticks: a
    // signal never interrupts a tick half-way, and the wait for the next tick ends as soon as one
    // arrives. Started programs get an empty mask of their own.
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    if (sigprocmask(SIG_BLOCK, &stop, nullptr) != 0) return 1;
    const int stopFd = ::signalfd(-1, &stop, SFD_CLOEXEC | SFD_NONBLOCK);
    if (stopFd < 0) return 1;

    int argc = 1;
    char name[] = "tarvelo96-cli";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    platform::DBusNotifications desktop(QStringLiteral("Tarvelo '96"));
    SchedulerSession session(options);
    session.notifyThrough(desktop);
    const SchedulerPresence presence(dataFolder());

    int exitCode = 0;
    const auto tick = [&] {
        // A failed tick has printed its error; the next one tries again.
        (void)session.tick();
        // Nobody reads any more (`run | head -n1`): the tick was completed, the run ends here.
        if (session.outputLost()) {
            exitCode = 1;
            QCoreApplication::quit();
        }
    };
    // A reader that goes away while nothing is due (`run | head -n1` on a quiet folder) would be noticed
    // only at the next line written, perhaps days later. The writing end of a pipe never polls readable;
    // it polls as an error once its reader is gone, which wakes a read notifier at once.
    std::unique_ptr<QSocketNotifier> readerGone;
    struct stat output {};
    if (::fstat(STDOUT_FILENO, &output) == 0 && S_ISFIFO(output.st_mode)) {
        readerGone = std::make_unique<QSocketNotifier>(STDOUT_FILENO, QSocketNotifier::Read);
        QObject::connect(readerGone.get(), &QSocketNotifier::activated, &app, [&exitCode, &readerGone] {
            pollfd pipe{STDOUT_FILENO, 0, 0};
            if (::poll(&pipe, 1, 0) == 1 && (pipe.revents & (POLLERR | POLLHUP))) {
                exitCode = 1;
                QCoreApplication::quit();
            }
            readerGone->setEnabled(false);  // a pipe opened for reading too: nothing to learn from it
        });
    }
    QSocketNotifier stopped(stopFd, QSocketNotifier::Read);
    QObject::connect(&stopped, &QSocketNotifier::activated, &app, [stopFd] {
        signalfd_siginfo info;
        (void)!::read(stopFd, &info, sizeof info);
        QCoreApplication::quit();
    });
    QTimer ticks;
    ticks.setInterval(tickInterval());
    QObject::connect(&ticks, &QTimer::timeout, &app, tick);
    QTimer::singleShot(0, &app, tick);
    ticks.start();
    QCoreApplication::exec();
    ::close(stopFd);
    return exitCode;
}

void defineRun(Commands& commands) {
    auto options = std::make_shared<SchedulerOptions>();
    CLI::App& run = commands.add("run", "the scheduler: a tick every five seconds until SIGINT or SIGTERM",
                                 [options] { return runScheduler(*options); });
    run.footer(std::string(kEffectsAsJson) +
               " Messages and advance warnings are shown as desktop notifications (with the action \"Add to To Do "
               "List\") when the session has a notification service, and then printed as \"notification\" events.");
    addAnswerOption(run, options->answer);
}

const Registration kRun{"run", &defineRun};

}  // namespace
}  // namespace tarvelo::cli
