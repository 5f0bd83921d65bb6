// What the watcher costs each started program: a program started and waited for directly, the baseline,
// beside the same program started under the floor of any watcher and under tarvelo96-watch, which also
// stores the run's end (one commit; its starter adds the "running" entry, whose commit is measured
// too). Counters per start: the CPU time of the processes started (user + system, ms), the largest
// resident set among them (KiB), from the rusage of the children; and, for a program that runs a while
// (`sleep`), the private memory of the process started (see privateKib) sampled while it runs: what it
// costs beyond the shared libraries' pages, which every process using them shares.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "data/record_table.h"
#include "data/tables.h"
#include "runlog/run_log.h"
#include "store/store.h"

namespace {

using namespace tarvelo;

double cpuMs(const rusage& r) {
    return (r.ru_utime.tv_sec + r.ru_stime.tv_sec) * 1e3 + (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e3;
}

// Private_Clean + Private_Dirty of pid, and Private_Dirty alone (KiB; 0 when they cannot be read). The
// clean ones are pages of files no other process maps at the moment (the watcher's own program, a library
// only it loaded); the dirty ones are its own memory whatever else runs.
std::pair<double, double> privateKib(pid_t pid) {
    std::ifstream rollup("/proc/" + std::to_string(pid) + "/smaps_rollup");
    double clean = 0, dirty = 0;
    for (std::string line; std::getline(rollup, line);) {
        double* sum = line.rfind("Private_Clean:", 0) == 0 ? &clean : line.rfind("Private_Dirty:", 0) == 0 ? &dirty : nullptr;
        if (!sum) continue;
        std::istringstream fields(line.substr(line.find(':') + 1));
        fields >> *sum;
    }
    return {clean + dirty, dirty};
}

struct Run {
    double privateKib = 0;
    double privateDirtyKib = 0;
    long maxRssKib = 0;
};

// Starts argv and waits for it; a watcher's word on descriptor 3 is read (the program runs then). With
// sampleMs, the private memory of the process is read that long after its start, while it runs.
Run runAndWait(std::vector<std::string> words, bool watcher, int sampleMs) {
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) std::abort();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(report[1], 3);  // without O_CLOEXEC: the watcher writes its word there
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(report[1]);
    if (watcher) {
        int word = 0;
        if (::read(report[0], &word, sizeof word) != sizeof word) std::abort();
    }
    ::close(report[0]);
    Run run;
    if (sampleMs > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(sampleMs));
        std::tie(run.privateKib, run.privateDirtyKib) = privateKib(pid);
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    run.maxRssKib = usage.ru_maxrss;
    return run;
}

void measure(benchmark::State& state, const std::vector<std::string>& words, bool watcher, int sampleMs = 0) {
    rusage before{}, after{};
    double privateSum = 0, dirtySum = 0;
    long maxRss = 0;
    ::getrusage(RUSAGE_CHILDREN, &before);
    for (auto _ : state) {
        const Run run = runAndWait(words, watcher, sampleMs);
        privateSum += run.privateKib;
        dirtySum += run.privateDirtyKib;
        maxRss = std::max(maxRss, run.maxRssKib);
    }
    ::getrusage(RUSAGE_CHILDREN, &after);
    state.counters["cpu_ms"] = (cpuMs(after) - cpuMs(before)) / static_cast<double>(state.iterations());
    state.counters["max_rss_kib"] = static_cast<double>(maxRss);
    if (sampleMs > 0) {
        state.counters["private_kib"] = privateSum / static_cast<double>(state.iterations());
        state.counters["private_dirty_kib"] = dirtySum / static_cast<double>(state.iterations());
    }
}

// A data folder of its own for the watcher's entries, removed afterwards.
struct BenchFolder {
    BenchFolder() { std::filesystem::create_directories(path); }
    ~BenchFolder() { std::filesystem::remove_all(path); }
    std::string data() const { return "--data=" + path.string(); }
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("tarvelo-watch-bench-" + std::to_string(::getpid()));
};

// The folder's data file held open as a scheduler (the window, or `run`) holds it: its run log open.
struct HeldFolder : BenchFolder {
    HeldFolder() {
        if (!held.create().ok() || !held.open().ok()) std::abort();
    }
    store::Table held{tableDef(TableId::runLog), path.string()};
};

void BM_ProgramStartedDirectly(benchmark::State& state) { measure(state, {"/bin/true"}, false); }
BENCHMARK(BM_ProgramStartedDirectly)->Unit(benchmark::kMillisecond)->Iterations(200);

// The floor of any watcher that links SQLite: a process that only starts the program and waits for it.
void BM_ProgramStartedUnderTheFloorOfAWatcher(benchmark::State& state) {
    measure(state, {TARVELO_WATCHER_FLOOR, "/bin/true"}, false);
}
BENCHMARK(BM_ProgramStartedUnderTheFloorOfAWatcher)->Unit(benchmark::kMillisecond)->Iterations(200);

void BM_ProgramStartedUnderTheWatcher(benchmark::State& state) {
    const BenchFolder folder;
    measure(state, {TARVELO_WATCHER, folder.data(), "--task=1", "--command=true"}, true);
}
BENCHMARK(BM_ProgramStartedUnderTheWatcher)->Unit(benchmark::kMillisecond)->Iterations(200);

// The usual case: a scheduler (the window, or `run`) holds the data file open, so the watcher's
// connection is not the last one and makes no checkpoint on closing.
void BM_ProgramStartedUnderTheWatcherBesideAScheduler(benchmark::State& state) {
    const HeldFolder folder;
    measure(state, {TARVELO_WATCHER, folder.data(), "--task=1", "--command=true"}, true);
}
BENCHMARK(BM_ProgramStartedUnderTheWatcherBesideAScheduler)->Unit(benchmark::kMillisecond)->Iterations(200);

// What the starter adds to each start: the run's "running" entry, one commit on the thread that starts
// the program (the window's), with the file open as a scheduler holds it. Wall time.
void BM_StarterAddsTheRunningEntry(benchmark::State& state) {
    HeldFolder folder;
    const RecordTable<RunEntry> log(folder.held);
    RunEntry entry;
    entry.task = 1;
    entry.description = "Nightly backup";
    entry.command = "/usr/bin/backup --all";
    entry.state = std::string(runlog::stateText(runlog::RunState::running));
    entry.bootId = runlog::currentBootId();
    std::int32_t watcher = 0;
    for (auto _ : state) {
        RunEntry run = entry;
        run.watcher = ++watcher;
        run.startTime = watcher;
        if (!runlog::addRunning(log, run).ok()) std::abort();
    }
}
BENCHMARK(BM_StarterAddsTheRunningEntry)->Unit(benchmark::kMillisecond)->Iterations(200)->UseRealTime();

// While the program runs: the program itself (the baseline), then the watcher waiting for it.
void BM_RunningProgramItself(benchmark::State& state) { measure(state, {"/bin/sleep", "0.3"}, false, 150); }
BENCHMARK(BM_RunningProgramItself)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_WatcherWaitingForTheProgram(benchmark::State& state) {
    const BenchFolder folder;
    measure(state, {TARVELO_WATCHER, folder.data(), "--task=1", "--command=sleep 0.3"}, true, 150);
}
BENCHMARK(BM_WatcherWaitingForTheProgram)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
