// How long moving a task on takes, directly and by stepping, and how fast `tarvelo96-cli advance` works
// through a batch beside the same batch moved on in this process. The batch benchmark runs the program built
// beside this one (or $TARVELO_CLI), so build tarvelo96-cli first.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tasks/recurrence.h"
#include "fakes/recurrence_reference.h"

namespace {

using namespace tarvelo;

class NoMessages : public platform::MessageBoxPort {
public:
    int show(const platform::MessageBoxRequest& request) override { return request.defaultButton; }
};

const StdDate kToday = 71611;  // 20 January 1997

Task everyMinute(int overdueDays) {
    Task task;
    task.scheduleType = ScheduleType::Custom;
    task.every = 1;
    task.everyType = RepetitionUnit::Minute;
    task.date = kToday - overdueDays;
    task.time = timeFromHms(8, 0);
    task.advanceWarnDate = task.date;
    task.advanceWarnTime = timeFromHms(7, 55);
    return task;
}

template <void (*Advance)(Task&, StdDate, StdTime, platform::MessageBoxPort&)>
void runAdvance(benchmark::State& state, const Task& task) {
    NoMessages messages;
    const StdTime now = timeFromHms(12, 34, 56, 78);
    for (auto _ : state) {
        Task moved = task;
        Advance(moved, kToday, now, messages);
        benchmark::DoNotOptimize(moved.date);
        benchmark::DoNotOptimize(moved.time);
    }
}

// Days overdue: a day, a year, ten years, a century.
void BM_AdvanceEveryMinuteDirect(benchmark::State& state) {
    runAdvance<&advanceTask>(state, everyMinute(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_AdvanceEveryMinuteDirect)->Arg(1)->Arg(365)->Arg(3652)->Arg(36524);

void BM_AdvanceEveryMinuteStepping(benchmark::State& state) {
    runAdvance<&reference::advanceTask>(state, everyMinute(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_AdvanceEveryMinuteStepping)->Arg(1)->Arg(365)->Arg(3652)->Unit(benchmark::kMillisecond);

// The other rules, ten years overdue, for scale: the weekday rules, and the month rule at its slowest
// (a day 31 that every month step keeps, so its months are all checked).
Task rule(const char* type, const char* unit, int every) {
    Task task = everyMinute(3652);
    task.scheduleType = ScheduleTypeWord::fromText(type);
    task.everyType = RepetitionUnitWord::fromText(unit);
    task.every = every;
    task.tuesday = 1;
    task.friday = 1;
    task.every2nd = 1;
    task.everyLast = 1;
    task.date = dateFromYmd(1987, 1, 31);
    return task;
}

void BM_AdvanceOtherRulesDirect(benchmark::State& state) {
    static const Task tasks[] = {rule("Day of Week", "", 1), rule("Day of Month", "", 1), rule("Monthly", "", 1),
                                     rule("Custom", "month(s)", 12), rule("Custom", "hour(s)", 7)};
    runAdvance<&advanceTask>(state, tasks[state.range(0)]);
}
BENCHMARK(BM_AdvanceOtherRulesDirect)->DenseRange(0, 4);

std::filesystem::path cliPath() {
    if (const char* env = std::getenv("TARVELO_CLI")) return env;
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return {};
    self[n] = '\0';
    return std::filesystem::path(self).parent_path().parent_path() / "src" / "tarvelo96-cli";
}

// A million random tasks of every kind, due within the last few years, each with the moment it is moved
// on from; the same every time.
struct BatchTask {
    Task task;
    StdDate refDate = 0;
    StdTime refTime = 0;
};

const std::vector<BatchTask>& batchTasks() {
    static const std::vector<BatchTask> batch = [] {
        static const char* types[] = {"Once",   "Day of Week", "Day of Month", "Monthly",
                                      "Yearly", "Custom",      "Custom",       "Custom"};
        static const char* units[] = {"minute(s)", "hour(s)", "day(s)", "week(s)", "month(s)", "year(s)"};
        std::uint64_t s = 7;
        auto next = [&s](std::uint64_t n) {
            s = s * 6364136223846793005ull + 1442695040888963407ull;
            return static_cast<int>((s >> 33) % n);
        };
        std::vector<BatchTask> tasks(1000000);
        for (BatchTask& b : tasks) {
            Task& t = b.task;
            t.date = kToday - next(2000);
            t.scheduleType = ScheduleTypeWord::fromText(types[next(8)]);
            t.monday = next(2);
            t.friday = next(2);
            t.every1st = next(2);
            t.everyLast = next(2);
            t.every = 1 + next(30);
            t.everyType = RepetitionUnitWord::fromText(units[next(6)]);
            t.time = 1 + next(kOneDay);
            t.advanceWarnDate = t.date - next(2);
            t.advanceWarnTime = 1 + next(kOneDay);
            b.refDate = kToday;
            b.refTime = 1 + next(kOneDay);
        }
        return tasks;
    }();
    return batch;
}

// The batch as `advance` reads it, one JSON object a line.
std::filesystem::path batchFile() {
    const auto path = std::filesystem::temp_directory_path() / ("recurrence_bench_" + std::to_string(::getpid()));
    std::ofstream out(path);
    std::string line;
    for (const BatchTask& b : batchTasks()) {
        const Task& t = b.task;
        line = "{\"scheduletype\": \"";
        line += t.scheduleType.text();
        line += "\", \"monday\": " + std::to_string(t.monday) + ", \"friday\": " + std::to_string(t.friday) +
                ", \"every1st\": " + std::to_string(t.every1st) + ", \"everylast\": " + std::to_string(t.everyLast) +
                ", \"every\": " + std::to_string(t.every) + ", \"everytype\": \"" +
                t.everyType.text() + "\", \"date\": " + std::to_string(t.date) +
                ", \"time\": " + std::to_string(t.time) + ", \"advancewarndate\": " + std::to_string(t.advanceWarnDate) +
                ", \"advancewarntime\": " + std::to_string(t.advanceWarnTime) + ", \"ref_date\": " +
                std::to_string(b.refDate) + ", \"ref_time\": " + std::to_string(b.refTime) + "}\n";
        out << line;
    }
    return path;
}

// The baseline of the batch below: the same million tasks moved on in this process, with no JSON read or
// written and no process started, so the difference is what the command line adds.
void BM_AdvanceBatchOfAMillionInProcess(benchmark::State& state) {
    const auto& batch = batchTasks();
    NoMessages messages;
    for (auto _ : state) {
        for (const BatchTask& b : batch) {
            Task moved = b.task;
            advanceTask(moved, b.refDate, b.refTime, messages);
            benchmark::DoNotOptimize(moved.date);
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(batch.size()));
}
BENCHMARK(BM_AdvanceBatchOfAMillionInProcess)->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_CliAdvanceBatchOfAMillion(benchmark::State& state) {
    const auto cli = cliPath();
    if (cli.empty() || !std::filesystem::exists(cli)) {
        state.SkipWithError("tarvelo96-cli not found: build it, or set TARVELO_CLI");
        return;
    }
    const auto input = batchFile();
    const std::string command = cli.string() + " advance < " + input.string() + " > /dev/null";
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const int rc = std::system(command.c_str());
        const auto end = std::chrono::steady_clock::now();
        if (rc != 0) state.SkipWithError("tarvelo96-cli advance failed");
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
    state.SetItemsProcessed(state.iterations() * 1000000);
    std::filesystem::remove(input);
}
BENCHMARK(BM_CliAdvanceBatchOfAMillion)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
