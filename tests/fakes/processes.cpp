#include "fakes/processes.h"

#include "fakes/temp_folder.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace tarvelo::test {
namespace {

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

int counter() {
    static int n = 0;
    return ++n;
}

}  // namespace

SchedulerFolders::SchedulerFolders() {
    m_root = makeTempFolder("tarvelo-processes");
    m_data = m_root + "/data";
    m_config = m_root + "/config";
    std::filesystem::create_directories(m_data);
    std::filesystem::create_directories(m_config + "/tarvelo96");
}

SchedulerFolders::~SchedulerFolders() {
    std::error_code ignored;
    std::filesystem::permissions(m_data, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(m_root, ignored);
}

// Forks tarvelo96-cli with args in folders.data(); the child's output and error are set up by redirect
// (false: the child ends with 126). -1 when there is no program to run.
template <class Redirect>
pid_t startCli(const std::vector<std::string>& args, const SchedulerFolders& folders,
               const std::vector<std::pair<std::string, std::string>>& env, Redirect redirect) {
    const char* cli = std::getenv("TARVELO_CLI");
    if (!cli) {
        ADD_FAILURE() << "TARVELO_CLI is not set";
        return -1;
    }
    std::vector<std::string> words{cli};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (!std::freopen("/dev/null", "rb", stdin) || !redirect() || ::chdir(folders.data().c_str()) != 0)
            ::_exit(126);
        ::setenv("XDG_CONFIG_HOME", folders.config().c_str(), 1);
        ::unsetenv("TARVELO_ANSWER");
        for (const auto& [name, value] : env) ::setenv(name.c_str(), value.c_str(), 1);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}

CliProcess::CliProcess(const std::vector<std::string>& args, const SchedulerFolders& folders,
                       const std::vector<std::pair<std::string, std::string>>& env) {
    const int n = counter();
    m_outFile = folders.aside("cli-" + std::to_string(::getpid()) + "-" + std::to_string(n) + ".out");
    m_errFile = folders.aside("cli-" + std::to_string(::getpid()) + "-" + std::to_string(n) + ".err");
    m_pid = startCli(args, folders, env, [this] {
        return std::freopen(m_outFile.c_str(), "wb", stdout) && std::freopen(m_errFile.c_str(), "wb", stderr);
    });
}

std::optional<std::string> pipedCliIn(const SchedulerFolders& folders, const std::vector<std::string>& args,
                                      int timeoutMs) {
    int pipe[2];
    if (::pipe(pipe) != 0) return std::nullopt;
    const pid_t pid = startCli(args, folders, {}, [&pipe] {
        return ::dup2(pipe[1], STDOUT_FILENO) >= 0 && ::dup2(pipe[1], STDERR_FILENO) >= 0 && ::close(pipe[0]) == 0 &&
               ::close(pipe[1]) == 0;
    });
    ::close(pipe[1]);
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string text;
    bool closed = false;
    while (!closed && pid > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        pollfd readable{pipe[0], POLLIN, 0};
        if (left.count() <= 0 || ::poll(&readable, 1, static_cast<int>(left.count())) == 0) break;
        char buffer[4096];
        const ssize_t n = ::read(pipe[0], buffer, sizeof buffer);
        if (n > 0) text.append(buffer, static_cast<std::size_t>(n));
        closed = n == 0;
    }
    ::close(pipe[0]);
    if (pid > 0) {
        ::kill(pid, SIGKILL);  // gone already when the pipe closed in time
        ::waitpid(pid, nullptr, 0);
    }
    if (!closed) return std::nullopt;
    return text;
}

CliProcess::~CliProcess() {
    if (m_pid > 0 && !m_reaped) {
        kill(SIGKILL);
        wait();
    }
    std::remove(m_outFile.c_str());
    std::remove(m_errFile.c_str());
}

int CliProcess::wait() {
    if (m_pid <= 0) return -1;
    if (!m_reaped) {
        while (::waitpid(m_pid, &m_status, 0) < 0 && errno == EINTR) {
        }
        m_reaped = true;
    }
    return WIFEXITED(m_status) ? WEXITSTATUS(m_status) : -1;
}

std::optional<int> CliProcess::waitFor(int timeoutMs) {
    if (m_pid <= 0) return -1;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!m_reaped) {
        const pid_t got = ::waitpid(m_pid, &m_status, WNOHANG);
        if (got == m_pid) {
            m_reaped = true;
            break;
        }
        if (std::chrono::steady_clock::now() > end) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return WIFEXITED(m_status) ? WEXITSTATUS(m_status) : -1;
}

void CliProcess::kill(int signal) {
    if (m_pid > 0 && !m_reaped) ::kill(m_pid, signal);
}

std::string CliProcess::out() const { return contents(m_outFile); }
std::string CliProcess::err() const { return contents(m_errFile); }

LoneCli::LoneCli(const SchedulerFolders& folders) : m_built(std::getenv("TARVELO_CLI")) {
    const std::string alone = folders.aside("alone/tarvelo96-cli");
    std::filesystem::create_directories(std::filesystem::path(alone).parent_path());
    std::filesystem::copy_file(m_built, alone, std::filesystem::copy_options::overwrite_existing);
    ::setenv("TARVELO_CLI", alone.c_str(), 1);
}

LoneCli::~LoneCli() { ::setenv("TARVELO_CLI", m_built.c_str(), 1); }

CliResult runCliIn(const SchedulerFolders& folders, const std::vector<std::string>& args,
                   const std::vector<std::pair<std::string, std::string>>& env) {
    CliProcess p(args, folders, env);
    const int code = p.wait();
    return {code, p.out(), p.err()};
}

std::vector<std::string> fileLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

bool awaitLines(const std::string& path, std::size_t count, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (fileLines(path).size() < count) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

std::string appendLineCommand(const std::string& text, const std::string& log) {
    return "sh -c 'echo " + text + " >> \"" + log + "\"'";
}

}  // namespace tarvelo::test
