#include "platform/watched_start.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <filesystem>
#include <vector>

#include "platform/helper_program.h"
#include "platform/program_exec.h"

namespace tarvelo::platform {
namespace {

// Between fork and exec only async-signal-safe calls: everything is prepared beforehand.
[[noreturn]] void execWatcher(const char* program, char* const* argv, int report) {
    if (report == kWatchReportFd) {
        ::fcntl(report, F_SETFD, 0);
    } else if (::dup2(report, kWatchReportFd) < 0) {
        ::_exit(127);
    }
    // The watcher outlives the starter: it must hold none of its descriptors (a window program's, a
    // pipe somebody reads to its end: `tick 2>&1 | cat` ends with the tick, not with the program), only
    // the report.
    const int null = ::open("/dev/null", O_RDWR);
    if (null >= 0) {
        ::dup2(null, STDIN_FILENO);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        if (null > kWatchReportFd) ::close(null);
    }
    ::close_range(kWatchReportFd + 1, UINT_MAX, 0);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::execv(program, argv);
    ::_exit(127);  // the report closes unwritten: not started
}

}  // namespace

std::string absoluteFolder(const std::string& folder) {
    std::error_code error;
    const auto path = std::filesystem::absolute(folder.empty() ? "." : folder, error);
    return (error ? std::filesystem::path(folder) : path.lexically_normal()).string();
}

WatchedStart startWatched(const Watcher& watcher, const std::string& commandLine, const std::string& folder,
                          const ProgramLabel& label) {
    if (watcher.program.empty() || ::access(watcher.program.c_str(), X_OK) != 0) return WatchedStart::noWatcher;

    std::vector<std::string> words{watcher.program,
                                   "--data=" + watcher.dataFolder,
                                   "--task=" + std::to_string(label.task),
                                   "--command=" + commandLine,
                                   "--description=" + label.description,
                                   "--start-in=" + folder};
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);

    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) return WatchedStart::notStarted;
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(report[0]);
        ::close(report[1]);
        return WatchedStart::notStarted;
    }
    if (child == 0) {
        ::close(report[0]);
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild != 0) ::_exit(grandchild < 0 ? 127 : 0);
        execWatcher(watcher.program.c_str(), argv.data(), report[1]);
    }
    ::close(report[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    // The watcher writes 0 once the program runs, the error of its start otherwise; a report closed
    // unwritten means the watcher itself failed.
    return PreparedProgram::readReport(report[0]) == 0 ? WatchedStart::started : WatchedStart::notStarted;
}

bool Watching::start(const std::string& commandLine, const std::string& folder, const ProgramLabel& label,
                     const std::function<bool()>& startDirectly) const {
    if (!watcher) return startDirectly();
    const WatchedStart watched = startWatched(*watcher, commandLine, folder, label);
    if (watched != WatchedStart::noWatcher) return watched == WatchedStart::started;
    const bool started = startDirectly();
    if (unwatched) unwatched(commandLine, label, started);
    return started;
}

Watcher watcherFor(const std::string& dataFolder) {
    return {helperProgram(kWatcherName), absoluteFolder(dataFolder)};
}

}  // namespace tarvelo::platform
