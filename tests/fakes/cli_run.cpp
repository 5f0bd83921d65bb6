#include "fakes/cli_run.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

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

CliOutcome runCli(const std::vector<std::string>& args, const CliRun& how) {
    const char* cli = std::getenv("TARVELO_CLI");
    if (!cli) ADD_FAILURE() << "TARVELO_CLI is not set";
    if (!cli) return {};
    char dir[] = "/tmp/tarvelo_cli_XXXXXX";
    if (!::mkdtemp(dir)) return {};
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
        // The redirected files are open already, so they stay writable after root is dropped.
        if (how.asNobody && ::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(125);
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
    ::rmdir(dir);
    return o;
}

}  // namespace tarvelo::test
