// What the scheduler without a window holds while it idles: `tarvelo96-cli run` on 100,000 tasks of which
// none is due (dated from 2096 on), beside the same program on an empty folder, the baseline: the
// difference is what the tasks cost, the baseline what the program and its libraries cost. Each is read
// from /proc once the process has stopped using the CPU (its first tick done): its resident set (VmRSS),
// split into anonymous memory and pages of files (its libraries, mostly shared with every process using
// them), and its private pages (Private_Clean + Private_Dirty of smaps_rollup; the dirty ones alone are
// its own memory whatever else runs). $TARVELO_CLI names another build's program to compare with.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>

#include "bench/fixture.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const char* cli() {
    const char* named = std::getenv("TARVELO_CLI");
    return named ? named : TARVELO_CLI;
}

// The "Name: value kB" lines of a /proc file whose names are asked for, summed per name.
std::map<std::string, double> procFields(const std::string& path) {
    std::map<std::string, double> fields;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        const auto colon = line.find(':');
        if (colon == std::string::npos) continue;
        std::istringstream value(line.substr(colon + 1));
        double kib = 0;
        if (value >> kib) fields[line.substr(0, colon)] += kib;
    }
    return fields;
}

// User and system clock ticks the process has used.
long cpuTicks(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string skip;
    for (int i = 0; i < 11; ++i) fields >> skip;  // state .. cmajflt
    long user = 0, system = 0;
    fields >> user >> system;
    return user + system;
}

void BM_RunIdle(benchmark::State& state) {
    const int tasks = static_cast<int>(state.range(0));
    const fs::path root = fs::temp_directory_path() / ("tarvelo-service-bench-" + std::to_string(::getpid()));
    fs::create_directories(root / "data");
    fs::create_directories(root / "config");
    if (tasks > 0) {
        const std::string fixture = tarvelo::bench::fixtureFolder(tasks, tarvelo::dateFromYmd(2096, 1, 1));
        for (const char* file : {"SM.KTB", "SM.KTB-wal"})
            if (fs::exists(fs::path(fixture) / file)) fs::copy_file(fs::path(fixture) / file, root / "data" / file);
    }
    for (auto _ : state) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            const int null = ::open("/dev/null", O_RDWR);
            ::dup2(null, STDIN_FILENO);
            ::dup2(null, STDOUT_FILENO);
            ::dup2(null, STDERR_FILENO);
            if (::chdir((root / "data").c_str()) != 0) ::_exit(126);
            ::setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
            ::execl(cli(), cli(), "run", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        // Idle: no CPU used for a second, after its first tick.
        long last = -1;
        auto still = std::chrono::steady_clock::now();
        const auto until = still + 40s;
        while (std::chrono::steady_clock::now() < until) {
            std::this_thread::sleep_for(100ms);
            const long now = cpuTicks(pid);
            if (now != last) {
                last = now;
                still = std::chrono::steady_clock::now();
            } else if (std::chrono::steady_clock::now() - still > 1s) {
                break;
            }
        }
        const auto status = procFields("/proc/" + std::to_string(pid) + "/status");
        const auto rollup = procFields("/proc/" + std::to_string(pid) + "/smaps_rollup");
        state.counters["rss_kib"] = status.count("VmRSS") ? status.at("VmRSS") : 0;
        state.counters["rss_anon_kib"] = status.count("RssAnon") ? status.at("RssAnon") : 0;
        state.counters["rss_file_kib"] = status.count("RssFile") ? status.at("RssFile") : 0;
        const double clean = rollup.count("Private_Clean") ? rollup.at("Private_Clean") : 0;
        const double dirty = rollup.count("Private_Dirty") ? rollup.at("Private_Dirty") : 0;
        state.counters["private_kib"] = clean + dirty;
        state.counters["private_dirty_kib"] = dirty;
        ::kill(pid, SIGTERM);
        int exit = 0;
        ::waitpid(pid, &exit, 0);
        if (!WIFEXITED(exit) || WEXITSTATUS(exit) != 0) state.SkipWithError("run did not end cleanly");
    }
    fs::remove_all(root);
}
BENCHMARK(BM_RunIdle)->ArgName("tasks")->Arg(0)->Arg(100'000)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
