// What the watcher costs each started program: a program (`true`) started and waited for directly, the
// baseline, beside the same program started under `tarvelo96-cli watch`, which also keeps its run log
// entry (two commits). Counters per start: the CPU time of the processes started (user + system, ms) and
// the largest resident set among them (KiB), from the rusage of the children.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

double cpuMs(const rusage& r) {
    return (r.ru_utime.tv_sec + r.ru_stime.tv_sec) * 1e3 + (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e3;
}

// Starts argv and waits for it; the watcher's word on descriptor 3 is read and dropped.
void runAndWait(std::vector<std::string> words) {
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    int report[2];
    if (::pipe(report) != 0) std::abort();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(report[1], 3);
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(report[1]);
    char word[4];
    while (::read(report[0], word, sizeof word) > 0) {
    }
    ::close(report[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
}

void measure(benchmark::State& state, const std::vector<std::string>& words) {
    rusage before{}, after{};
    ::getrusage(RUSAGE_CHILDREN, &before);
    for (auto _ : state) runAndWait(words);
    ::getrusage(RUSAGE_CHILDREN, &after);
    state.counters["cpu_ms"] = (cpuMs(after) - cpuMs(before)) / static_cast<double>(state.iterations());
    state.counters["max_rss_kib"] = static_cast<double>(after.ru_maxrss);
}

void BM_ProgramStartedDirectly(benchmark::State& state) { measure(state, {"/bin/true"}); }
BENCHMARK(BM_ProgramStartedDirectly)->Unit(benchmark::kMillisecond)->Iterations(200);

void BM_ProgramStartedUnderTheWatcher(benchmark::State& state) {
    const auto folder = std::filesystem::temp_directory_path() / ("tarvelo-watch-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    measure(state, {TARVELO_CLI, "watch", "--data=" + folder.string(), "--task=1", "--command=true"});
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_ProgramStartedUnderTheWatcher)->Unit(benchmark::kMillisecond)->Iterations(200);

}  // namespace
