#pragma once
// The real tarvelo96 as a test starts it: on the offscreen platform, in the data folder of its
// SchedulerFolders and with their configuration folder, with its output in a file beside them.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "fakes/processes.h"

namespace tarvelo::test {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Long enough for a start on a loaded machine, well inside the test's own timeout.
constexpr auto kStartLimit = 20s;
constexpr auto kStopLimit = 20s;

// Whether the process has a handler of its own for sig: the program catches SIGTERM once it can close
// down cleanly, and a signal sent before then would end it as the default does.
inline bool catches(pid_t pid, int sig) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("SigCgt:", 0) == 0) return (std::stoull(line.substr(7), nullptr, 16) >> (sig - 1)) & 1u;
    }
    return false;
}

// The desktop program, running in folders.data() with its output in a file beside it.
class DesktopProcess {
public:
    // args: its command line after the program's name; env: variables set for it.
    explicit DesktopProcess(const SchedulerFolders& folders, const std::vector<std::string>& args = {},
                            const std::vector<std::pair<std::string, std::string>>& env = {},
                            const std::string& logName = "tarvelo96.log")
        : m_log(folders.aside(logName)) {
        std::vector<char*> argv{const_cast<char*>(TARVELO_DESKTOP)};
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        m_pid = ::fork();
        if (m_pid == 0) {
            if (!std::freopen("/dev/null", "rb", stdin) || !std::freopen(m_log.c_str(), "wb", stdout) ||
                ::dup2(::fileno(stdout), STDERR_FILENO) < 0 || ::chdir(folders.data().c_str()) != 0)
                ::_exit(126);
            ::setenv("XDG_CONFIG_HOME", folders.config().c_str(), 1);
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
            for (const auto& [name, value] : env) ::setenv(name.c_str(), value.c_str(), 1);
            ::execv(TARVELO_DESKTOP, argv.data());
            ::_exit(127);
        }
    }
    ~DesktopProcess() {
        if (!m_status) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }

    pid_t pid() const { return m_pid; }
    // The wait status once it has ended within limit; nothing while it runs.
    std::optional<int> ended(Clock::duration limit) {
        for (const auto end = Clock::now() + limit; !m_status && Clock::now() < end;) {
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_status = status;
            } else {
                std::this_thread::sleep_for(10ms);
            }
        }
        return m_status;
    }
    bool readyToStop(Clock::duration limit) {
        for (const auto end = Clock::now() + limit; Clock::now() < end; std::this_thread::sleep_for(20ms)) {
            if (ended(0s) || catches(m_pid, SIGTERM)) return !m_status;
        }
        return false;
    }
    std::string log() const {
        std::ifstream in(m_log);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private:
    std::string m_log;
    pid_t m_pid = -1;
    std::optional<int> m_status;
};

}  // namespace tarvelo::test
