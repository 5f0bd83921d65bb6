#pragma once
// A task's program made ready to start in a child process: its command line split as every starter
// splits it (see command_line.h), its start-in folder judged, and the exec that runs it after a fork.
#include <optional>
#include <string>
#include <vector>

namespace tarvelo::platform {

class PreparedProgram {
public:
    // Nothing when the line holds no program (see splitCommandLine).
    static std::optional<PreparedProgram> prepare(const std::string& commandLine, const std::string& folder);

    // Everything between fork and exec is async-signal-safe, so the argument vector is built before the
    // fork: call this in the parent, then exec() in the child.
    char* const* argv();
    // In the child: enters the start-in folder (the current folder when it cannot), reads standard input
    // from /dev/null, writes standard output and error to output (-1: standard output to /dev/null and
    // standard error kept), clears the signal mask and runs the program. A failed exec writes its errno
    // to report and ends the child with 127.
    [[noreturn]] void exec(int output, int report);

    // In the parent, once its copy of the report's writing end is closed: the number a child wrote to
    // report (a failed exec's errno), or nothing when report closed unwritten (the exec succeeded). A
    // read that fails or breaks off counts as EIO. Closes report.
    static std::optional<int> readReport(int report);

private:
    std::string m_startIn;
    std::vector<std::string> m_words;
    std::vector<char*> m_argv;
};

}  // namespace tarvelo::platform
