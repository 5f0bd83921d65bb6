#include "fakes/cli_run.h"

#include "fakes/temp_folder.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace tarvelo::test {
namespace {

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

bool dropRoot(unsigned user) { return ::setgroups(0, nullptr) == 0 && ::setgid(user) == 0 && ::setuid(user) == 0; }

CliOutcome runCli(const std::vector<std::string>& args, const CliRun& how) {
    const char* cli = std::getenv("TARVELO_CLI");
    if (!cli) ADD_FAILURE() << "TARVELO_CLI is not set";
    if (!cli) return {};
    const std::string dir = makeTempFolder("tarvelo_cli");
    if (dir.empty()) return {};
    const std::string in = std::string(dir) + "/in", out = std::string(dir) + "/out", err = std::string(dir) + "/err";
    std::ofstream(in, std::ios::binary) << how.input;
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (!std::freopen(in.c_str(), "rb", stdin) || !std::freopen(out.c_str(), "wb", stdout) ||
            !std::freopen(err.c_str(), "wb", stderr))
            ::_exit(126);
        if (!how.folder.empty() && ::chdir(how.folder.c_str()) != 0) ::_exit(126);
        if (how.answerEnv) ::setenv("TARVELO_ANSWER", how.answerEnv->c_str(), 1);
        else ::unsetenv("TARVELO_ANSWER");
        for (const auto& [name, value] : how.env) ::setenv(name.c_str(), value.c_str(), 1);
        if (how.fileSizeLimit) {
            // A write beyond the limit fails with EFBIG, as one on a full disk fails with ENOSPC; ignored,
            // the signal the kernel sends with it does not end the program first.
            const rlimit limit{static_cast<rlim_t>(*how.fileSizeLimit), static_cast<rlim_t>(*how.fileSizeLimit)};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0 || std::signal(SIGXFSZ, SIG_IGN) == SIG_ERR) ::_exit(124);
        }
        // The redirected files are open already, so they stay writable after root is dropped.
        if (how.asNobody && ::geteuid() == 0 && !dropRoot(how.user)) ::_exit(125);
        std::vector<char*> argv{const_cast<char*>(cli)};
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(cli, argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    CliOutcome o;
    o.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    o.out = readAll(out);
    o.err = readAll(err);
    std::remove(in.c_str());
    std::remove(out.c_str());
    std::remove(err.c_str());
    ::rmdir(dir.c_str());
    return o;
}

}  // namespace tarvelo::test
