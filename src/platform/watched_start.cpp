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
                          const ProgramLabel& label, WatchReport* report) {
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

    int reportPipe[2];
    if (::pipe2(reportPipe, O_CLOEXEC) != 0) return WatchedStart::notStarted;
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(reportPipe[0]);
        ::close(reportPipe[1]);
        return WatchedStart::notStarted;
    }
    if (child == 0) {
        ::close(reportPipe[0]);
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild != 0) ::_exit(grandchild < 0 ? 127 : 0);
        execWatcher(watcher.program.c_str(), argv.data(), reportPipe[1]);
    }
    ::close(reportPipe[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    // The watcher writes its word once the program runs or could not start; a report closed unwritten,
    // or cut short, means the watcher itself failed.
    WatchReport word;
    ssize_t got;
    do {
        got = ::read(reportPipe[0], &word, sizeof word);
    } while (got < 0 && errno == EINTR);
    ::close(reportPipe[0]);
    if (got != static_cast<ssize_t>(sizeof word)) return WatchedStart::notStarted;
    if (report) *report = word;
    return word.error == 0 ? WatchedStart::started : WatchedStart::notStarted;
}

bool Watching::start(const std::string& commandLine, const std::string& folder, const ProgramLabel& label,
                     const std::function<bool()>& startDirectly) const {
    if (!watcher) return startDirectly();
    WatchReport report;
    const WatchedStart outcome = startWatched(*watcher, commandLine, folder, label, &report);
    if (outcome == WatchedStart::started && watched) watched(commandLine, label, report);
    if (outcome != WatchedStart::noWatcher) return outcome == WatchedStart::started;
    const bool started = startDirectly();
    if (unwatched) unwatched(commandLine, label, started);
    return started;
}

Watcher watcherFor(const std::string& dataFolder) {
    return {helperProgram(kWatcherName), absoluteFolder(dataFolder)};
}

}  // namespace tarvelo::platform
