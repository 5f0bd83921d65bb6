#include "platform/terminal/posix_program_start.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "platform/program_exec.h"

namespace tarvelo::platform {

bool PosixProgramStart::start(const std::string& commandLine, const std::string& folder, const ProgramLabel& label) {
    if (m_watcher) {
        const WatchedStart watched = startWatched(*m_watcher, commandLine, folder, label);
        if (watched != WatchedStart::noWatcher) return watched == WatchedStart::started;
        std::fprintf(stderr, "tarvelo96-cli: %s cannot be executed: the program of task %d is not watched\n",
                     m_watcher->program.c_str(), label.task);
    }
    auto program = PreparedProgram::prepare(commandLine, folder);
    if (!program) return false;
    program->argv();

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
        program->exec(-1, report[1]);
    }

    ::close(report[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    const bool execFailed = PreparedProgram::readReport(report[0]).has_value();
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && !execFailed;
}

}  // namespace tarvelo::platform
