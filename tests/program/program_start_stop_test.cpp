// The real tarvelo96, started as a user starts it (on the offscreen platform, in a data folder and a
// configuration folder of its own) and stopped as a session ends: SIGTERM closes it down, it exits 0,
// and the data files are closed and whole (the command line's check of every table finds nothing).
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include "fakes/json_lines.h"
#include "fakes/processes.h"

namespace tarvelo::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Long enough for a start on a loaded machine, well inside the test's own timeout.
constexpr auto kStartLimit = 20s;
constexpr auto kStopLimit = 20s;

// Whether the process has a handler of its own for sig: the program catches SIGTERM once it can close
// down cleanly, and a signal sent before then would end it as the default does.
bool catches(pid_t pid, int sig) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("SigCgt:", 0) == 0) return (std::stoull(line.substr(7), nullptr, 16) >> (sig - 1)) & 1u;
    }
    return false;
}

// The desktop program, running in folders.data() with its output in a file beside it.
class DesktopProcess {
public:
    explicit DesktopProcess(const SchedulerFolders& folders) : m_log(folders.aside("tarvelo96.log")) {
        m_pid = ::fork();
        if (m_pid == 0) {
            if (!std::freopen("/dev/null", "rb", stdin) || !std::freopen(m_log.c_str(), "wb", stdout) ||
                ::dup2(::fileno(stdout), STDERR_FILENO) < 0 || ::chdir(folders.data().c_str()) != 0)
                ::_exit(126);
            ::setenv("XDG_CONFIG_HOME", folders.config().c_str(), 1);
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
            ::execl(TARVELO_DESKTOP, TARVELO_DESKTOP, static_cast<char*>(nullptr));
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

TEST(ProgramStartStop, SigtermClosesTheRunningProgramDownCleanlyAndKeepsItsData) {
    SchedulerFolders folders;
    const CliResult added = runCliIn(folders, {"add", "--json", R"({"description":"Report"})"});
    ASSERT_EQ(added.exitCode, 0) << added.err;

    DesktopProcess program(folders);
    ASSERT_TRUE(program.readyToStop(kStartLimit)) << "the program did not get ready to close down\n" << program.log();
    ASSERT_EQ(::kill(program.pid(), SIGTERM), 0);
    const std::optional<int> status = program.ended(kStopLimit);

    ASSERT_TRUE(status) << "still running after SIGTERM\n" << program.log();
    ASSERT_TRUE(WIFEXITED(*status)) << "ended by signal " << WTERMSIG(*status) << "\n" << program.log();
    EXPECT_EQ(WEXITSTATUS(*status), 0) << program.log();
    for (const char* name : {"SM.KTB-wal", "TagFile_.KTB-wal"})
        EXPECT_FALSE(std::filesystem::exists(folders.file(name))) << name << ": a connection was left open";
    const CliResult check = runCliIn(folders, {"check"});
    EXPECT_EQ(check.exitCode, 0) << check.out << check.err;
    const auto tasks = jsonLines(runCliIn(folders, {"list", "--json"}).out);
    ASSERT_EQ(tasks.size(), 1u);
    EXPECT_EQ(tasks[0]["description"], "Report");
}

}  // namespace
}  // namespace tarvelo::test
