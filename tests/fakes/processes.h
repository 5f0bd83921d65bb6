#pragma once
// Real processes over one data folder, for the tests where two programs share the files: tarvelo96-cli
// started and left running (or killed), each with its output in files of its own.
#include <sys/types.h>

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tarvelo::test {

// A data folder and, beside it, a configuration folder of its own (XDG_CONFIG_HOME), so that nothing of
// the user's settings reaches the test. Both are removed afterwards.
class SchedulerFolders {
public:
    SchedulerFolders();
    ~SchedulerFolders();
    SchedulerFolders(const SchedulerFolders&) = delete;
    SchedulerFolders& operator=(const SchedulerFolders&) = delete;

    const std::string& data() const { return m_data; }
    const std::string& config() const { return m_config; }
    std::string file(const std::string& name) const { return m_data + "/" + name; }
    // A file beside the data folder (for logs the tasks' programs write).
    std::string aside(const std::string& name) const { return m_root + "/" + name; }

private:
    std::string m_root, m_data, m_config;
};

// Schedulers (the window program, `run`) that tick every 0.3 s rather than every five seconds, for tests
// in which they perform several tasks, one a tick.
inline const std::pair<std::string, std::string> kQuickTicks{"TARVELO_TICK_MS", "300"};

// tarvelo96-cli copied alone into folders.aside("alone"), as a broken installation leaves it: none of its
// helpers beside it nor where an installation keeps them. While it lives, it is the CLI the tests start.
class LoneCli {
public:
    explicit LoneCli(const SchedulerFolders& folders);
    ~LoneCli();
    LoneCli(const LoneCli&) = delete;
    LoneCli& operator=(const LoneCli&) = delete;

private:
    std::string m_built;
};

// One tarvelo96-cli process started in folders.data(). Its standard output and error go to files, so it
// never blocks on them; standard input is empty.
class CliProcess {
public:
    CliProcess(const std::vector<std::string>& args, const SchedulerFolders& folders,
               const std::vector<std::pair<std::string, std::string>>& env = {});
    ~CliProcess();  // a process still running is killed and reaped
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    // The exit code; -1 when it did not exit normally (it was killed).
    int wait();
    // The same when it ends within timeoutMs; nothing (and still running) otherwise.
    std::optional<int> waitFor(int timeoutMs);
    pid_t pid() const { return m_pid; }
    void kill(int signal);
    std::string out() const;
    std::string err() const;

private:
    pid_t m_pid = -1;
    int m_status = -1;
    bool m_reaped = false;
    std::string m_outFile, m_errFile;
};

// A whole tarvelo96-cli run in the folders: exit code and standard output.
struct CliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};
CliResult runCliIn(const SchedulerFolders& folders, const std::vector<std::string>& args,
                   const std::vector<std::pair<std::string, std::string>>& env = {});

// tarvelo96-cli's output and error through one pipe, as `tarvelo96-cli ARGS 2>&1 | cat` reads them: what
// was read once every process holding the pipe has closed it, or nothing when that takes longer than
// timeoutMs.
std::optional<std::string> pipedCliIn(const SchedulerFolders& folders, const std::vector<std::string>& args,
                                      int timeoutMs);

// The lines of a text file (none when it does not exist).
std::vector<std::string> fileLines(const std::string& path);
// Waits until the file has at least count lines, or timeoutMs has passed; true when it has them.
bool awaitLines(const std::string& path, std::size_t count, int timeoutMs);
// A command line for a task's program that appends text as one line to log, through sh.
std::string appendLineCommand(const std::string& text, const std::string& log);

}  // namespace tarvelo::test
