#include "platform/terminal/posix_program_start.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "platform/command_line.h"

namespace tarvelo::platform {
namespace {

// Everything between fork and exec is async-signal-safe: the argument vector is built beforehand.
[[noreturn]] void execChild(const char* folder, char* const* argv, int reportFd) {
    if (folder[0] != '\0' && ::chdir(folder) != 0) {
        // The folder was enterable a moment ago; starting in the current folder is the fallback either way.
    }
    // The scheduler's standard output carries its event lines; the program's output must not mix with them.
    const int null = ::open("/dev/null", O_RDWR);
    if (null >= 0) {
        ::dup2(null, STDIN_FILENO);
        ::dup2(null, STDOUT_FILENO);
        if (null > STDERR_FILENO) ::close(null);
    }
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::signal(SIGPIPE, SIG_DFL);
    ::execvp(argv[0], argv);
    const int error = errno;
    [[maybe_unused]] auto n = ::write(reportFd, &error, sizeof error);
    ::_exit(127);
}

}  // namespace

bool PosixProgramStart::start(const std::string& commandLine, const std::string& folder, const ProgramLabel& label) {
    if (m_watcher) {
        const WatchedStart watched = startWatched(*m_watcher, commandLine, folder, label);
        if (watched != WatchedStart::noWatcher) return watched == WatchedStart::started;
        std::fprintf(stderr, "tarvelo96-cli: %s cannot be executed: the program of task %d is not watched\n",
                     m_watcher->program.c_str(), label.task);
    }
    const auto line = platform::splitCommandLine(commandLine);
    if (!line) return false;
    const std::string startIn = platform::enterableFolder(folder);

    std::vector<std::string> words;
    words.push_back(line->program);
    words.insert(words.end(), line->arguments.begin(), line->arguments.end());
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);

    // The grandchild reports a failed exec through this pipe; a successful exec closes it (O_CLOEXEC), so
    // reading it to its end tells the two apart.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) return false;

    const pid_t child = ::fork();
    if (child < 0) {
        ::close(report[0]);
        ::close(report[1]);
        return false;
    }
    if (child == 0) {
        ::close(report[0]);
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild < 0) {
            const int error = errno;
            [[maybe_unused]] auto n = ::write(report[1], &error, sizeof error);
            ::_exit(127);
        }
        if (grandchild > 0) ::_exit(0);
        execChild(startIn.c_str(), argv.data(), report[1]);
    }

    ::close(report[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t got;
    do {
        got = ::read(report[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    ::close(report[0]);
    const bool childOk = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return childOk && got == 0;
}

}  // namespace tarvelo::platform
