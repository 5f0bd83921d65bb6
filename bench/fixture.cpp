#include "bench/fixture.h"

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <tuple>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <vector>

#include "data/tables.h"
#include "store/store.h"

namespace tarvelo::bench {

Task benchTask(int id, std::mt19937& random, StdDate today) {
    Task s;
    s.id = id;
    s.taskType = kTaskTypes[random() % 4];
    s.category = "Category " + std::to_string(random() % 40);
    s.description = "Task number " + std::to_string(id);
    s.command = "backup --folder /srv/data/" + std::to_string(id % 100);
    s.path = "/srv/data";
    s.scheduleType = ScheduleType::Custom;
    s.every = 1;
    s.everyType = RepetitionUnit::Day;
    s.time = 1 + static_cast<StdTime>(random() % kOneDay);
    s.message = "Reminder for task " + std::to_string(id);
    const unsigned kind = random() % 20;
    if (kind == 0) {  // a completed copy, younger than the expiry
        s.disabled = s.completed = 1;
        s.date = today - static_cast<StdDate>(random() % kExpiryDays);
    } else if (kind == 1) {  // switched off by the user, dated later
        s.disabled = 1;
        s.date = today + 2 + static_cast<StdDate>(random() % 3650);
    } else {
        s.date = today + 2 + static_cast<StdDate>(random() % 3650);
        if (kind < 6) {  // a warning still to come, or one already given
            s.advanceWarnDate = s.date - 1;
            s.advanceWarnTime = s.time;
            s.advanceWarned = kind < 4 ? 0 : 1;
        }
    }
    return s;
}

std::string fixtureFolder(int tasks, StdDate today) {
    const std::string folder = std::string(TARVELO_BENCH_FIXTURES) + "/" + std::to_string(tasks) +
                               (today == kToday ? "" : "-from-" + std::to_string(today));
    const std::string complete = folder + "/complete";
    if (std::filesystem::exists(complete)) return folder;

    std::fprintf(stderr, "building %s (once)\n", folder.c_str());
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    store::Table history(historyTableDef(), folder);
    store::Table schedule(scheduleTableDef(), folder);
    if (!history.create().ok() || !schedule.create().ok() || !schedule.open().ok()) {
        std::fprintf(stderr, "cannot make the fixture in %s\n", folder.c_str());
        std::abort();
    }
    std::mt19937 random(1996);
    store::Transaction tx;
    if (!tx.begin({&schedule}).ok()) std::abort();
    for (int id = 1; id <= tasks; ++id) {
        store::Row row = scheduleBinding().toRow(benchTask(id, random, today));
        if (!schedule.add(row).ok()) std::abort();
    }
    if (!tx.commit().ok()) std::abort();
    schedule.close();
    std::ofstream(complete) << tasks << "\n";
    return folder;
}

bool runProgram(const char* program, const std::string& folder, const std::vector<std::string>& args,
                const std::string& configFolder) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        if (::chdir(folder.c_str()) != 0) ::_exit(126);
        if (!configFolder.empty()) ::setenv("XDG_CONFIG_HOME", configFolder.c_str(), 1);
        std::vector<char*> argv{const_cast<char*>(program)};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(program, argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void measurePair(benchmark::State& state, const Side& measured, const Side& baseline, int block) {
    using Clock = std::chrono::steady_clock;
    std::vector<double> a, b;
    for (auto _ : state) {
        double seconds = 0;
        for (const Side* side : {&measured, &baseline}) {
            side->beforeBlock();
            const auto start = Clock::now();
            for (int i = 0; i < block; ++i) side->op(state);
            const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
            side->afterBlock();
            (side == &measured ? a : b).push_back(elapsed * 1e6 / block);
            seconds += elapsed;
        }
        state.SetIterationTime(seconds);  // the figures themselves are the counters
    }
    const auto median = [](std::vector<double> v) {
        if (v.empty()) return 0.0;
        std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
        return v[v.size() / 2];
    };
    state.counters["measured_us"] = median(a);
    state.counters["baseline_us"] = median(b);
}

benchmark::internal::Benchmark* registerPair(const std::string& figure, std::function<Side()> measured,
                                             std::function<Side()> baseline, int block) {
    return benchmark::RegisterBenchmark(figure.c_str(),
                                        [=](benchmark::State& state) {
                                            const Side m = measured();
                                            const Side b = baseline();
                                            measurePair(state, m, b, block);
                                        })
        ->UseManualTime()
        ->MinTime(2.0)
        ->Unit(benchmark::kMicrosecond);
}

namespace {

// Keeps the median of every benchmark as it is reported, in the order they ran.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (!single && !median) continue;
            const std::string name = run.run_name.function_name;
            if (run.counters.count("measured_us") && run.counters.count("baseline_us")) {
                m_pairs.emplace_back(name, run.counters.at("measured_us").value, run.counters.at("baseline_us").value);
                continue;
            }
            const double micros = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit) * 1e6;
            if (m_times.emplace(name, micros).second) m_order.push_back(name);
        }
    }

    void printRatios() const {
        std::printf("\n%-44s %14s %14s %8s\n", "figure", "measured us", "baseline us", "ratio");
        for (const auto& [figure, a, b] : m_pairs) {
            std::printf("%-44s %14.2f %14.2f %7.2fx\n", figure.c_str(), a, b, b > 0 ? a / b : 0.0);
        }
        for (std::size_t i = 0; i + 1 < m_order.size(); ++i) {
            const auto [figure, side] = split(m_order[i]);
            const auto [nextFigure, nextSide] = split(m_order[i + 1]);
            if (figure.empty() || figure != nextFigure) continue;
            const double a = m_times.at(m_order[i]), b = m_times.at(m_order[i + 1]);
            std::printf("%-44s %14.2f %14.2f %7.2fx   (%s / %s)\n", figure.c_str(), a, b, b > 0 ? a / b : 0.0,
                        side.c_str(), nextSide.c_str());
            ++i;
        }
    }

private:
    static std::pair<std::string, std::string> split(const std::string& name) {
        const auto open = name.rfind(" [");
        if (open == std::string::npos || name.back() != ']') return {};
        return {name.substr(0, open), name.substr(open + 2, name.size() - open - 3)};
    }

    std::map<std::string, double> m_times;
    std::vector<std::string> m_order;
    std::vector<std::tuple<std::string, double, double>> m_pairs;
};

}  // namespace

int runWithRatios(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
    return 0;
}

}  // namespace tarvelo::bench
