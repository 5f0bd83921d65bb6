#include "platform/terminal/posix_program_start.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/program_exec.h"

namespace tarvelo::platform {
namespace {

bool startDirectly(const std::string& commandLine, const std::string& folder) {
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

}  // namespace

bool PosixProgramStart::start(const std::string& commandLine, const std::string& folder, const ProgramLabel& label) {
    return m_watching.start(commandLine, folder, label, [&] { return startDirectly(commandLine, folder); });
}

}  // namespace tarvelo::platform
