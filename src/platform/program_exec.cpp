#include "platform/program_exec.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "core/fixed_text.h"
#include "platform/command_line.h"

namespace tarvelo::platform {

std::optional<PreparedProgram> PreparedProgram::prepare(const std::string& commandLine, const std::string& folder) {
    const auto line = splitCommandLine(trimRight(commandLine));
    if (!line) return std::nullopt;
    PreparedProgram program;
    program.m_startIn = enterableFolder(folder);
    program.m_words.push_back(line->program);
    program.m_words.insert(program.m_words.end(), line->arguments.begin(), line->arguments.end());
    return program;
}

char* const* PreparedProgram::argv() {
    m_argv.clear();
    for (auto& w : m_words) m_argv.push_back(w.data());
    m_argv.push_back(nullptr);
    return m_argv.data();
}

void PreparedProgram::exec(int output, int report) {
    if (!m_startIn.empty() && ::chdir(m_startIn.c_str()) != 0) {
        // The folder was enterable a moment ago; the current folder is the fallback either way.
    }
    const int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);  // closed by the exec; its copies stay
    if (null >= 0) ::dup2(null, STDIN_FILENO);
    if (output >= 0) {
        ::dup2(output, STDOUT_FILENO);
        ::dup2(output, STDERR_FILENO);
    } else if (null >= 0) {
        ::dup2(null, STDOUT_FILENO);
    }
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::signal(SIGPIPE, SIG_DFL);
    ::execvp(m_argv[0], m_argv.data());
    const int error = errno;
    [[maybe_unused]] auto n = ::write(report, &error, sizeof error);
    ::_exit(127);
}

std::optional<int> PreparedProgram::readReport(int report) {
    int word = 0;
    ssize_t got;
    do {
        got = ::read(report, &word, sizeof word);
    } while (got < 0 && errno == EINTR);
    ::close(report);
    if (got == 0) return std::nullopt;
    return got == static_cast<ssize_t>(sizeof word) ? word : EIO;
}

}  // namespace tarvelo::platform
