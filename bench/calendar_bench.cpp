// The schedule as an iCalendar file and back, at 100,000 tasks, as whole tarvelo96-cli processes: export
// beside `list --json` of the same folder (the same tasks read and printed), and import of that file into
// an empty folder beside the same tasks stored in one transaction in process (the writes any import must
// make). Each is timed from fork to its end.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "bench/fixture.h"
#include "data/tables.h"
#include "fakes/rule_builders.h"
#include "store/store.h"
#include "tasks/next_dates.h"
#include "tasks/recurrence.h"

namespace {

using namespace tarvelo;

constexpr int kTasks = 100'000;

// The tarvelo96-cli built beside the benchmark, or $TARVELO_CLI (another build, to compare with).
const char* cli() {
    const char* named = std::getenv("TARVELO_CLI");
    return named ? named : TARVELO_CLI;
}

const std::string& scratch() {
    static const std::string folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "tarvelo-calendar-XXXXXX").string();
        return std::string(::mkdtemp(pattern.data()));
    }();
    return folder;
}

const std::string kIcs = scratch() + "/schedule.ics";

bool runIn(const std::string& folder, const std::vector<std::string>& args) {
    return bench::runProgram(cli(), folder, args);
}

bench::Side process(std::vector<std::string> args) {
    const std::string folder = bench::fixtureFolder(kTasks);
    return {[folder, args](benchmark::State& state) {
        if (!runIn(folder, args)) state.SkipWithError("tarvelo96-cli failed");
    }};
}

// A fresh empty folder for each import, made and removed outside the time taken.
const std::string kEmpty = scratch() + "/empty";
void freshFolder() {
    std::filesystem::remove_all(kEmpty);
    std::filesystem::create_directories(kEmpty);
}

bench::Side importProcess() {
    if (!std::filesystem::exists(kIcs) && !runIn(bench::fixtureFolder(kTasks), {"export", "--ics", kIcs})) std::abort();
    bench::Side side{[](benchmark::State& state) {
        if (!runIn(kEmpty, {"import", "--ics", kIcs})) state.SkipWithError("import failed");
    }};
    side.beforeBlock = freshFolder;
    return side;
}

// The fixture's tasks stored in one transaction into an empty folder: the writes of an import alone.
bench::Side storeInProcess() {
    bench::Side side{[](benchmark::State& state) {
        store::Table schedule(scheduleTableDef(), kEmpty);
        if (!schedule.create().ok() || !schedule.open().ok()) return state.SkipWithError("cannot make the table");
        std::mt19937 random(1996);
        store::Transaction tx;
        if (!tx.begin({&schedule}).ok()) return state.SkipWithError("no transaction");
        for (int id = 1; id <= kTasks; ++id) {
            store::Row row = scheduleBinding().toRow(bench::benchTask(id, random));
            if (!schedule.add(row).ok()) return state.SkipWithError("add failed");
        }
        if (!tx.commit().ok()) state.SkipWithError("commit failed");
    }};
    side.beforeBlock = freshFolder;
    return side;
}

// A task of each kind of rule, with the quirks that cost most: carried days, weekday searches, steps
// that cross midnight.
std::vector<Task> ruleMix() {
    using test::custom;
    using test::makeTask;
    const StdDate jan31 = dateFromYmd(2027, 1, 31);
    return {makeTask("Monthly", jan31, 1),
            makeTask("Yearly", dateFromYmd(2028, 2, 29), 1),
            makeTask("Day of Week", jan31, 1, "-M---F-"),
            makeTask("Day of Month", jan31, 1, "--T-T--", "-2--L"),
            custom(90, "minute(s)", jan31, timeFromHms(23, 0)),
            custom(5, "month(s)", jan31, 1),
            custom(3, "day(s)", jan31, 1)};
}

// The five next dates a form shows for the record being edited, beside one move on of the same task.
bench::Side fiveNextDates() {
    return {[mix = ruleMix()](benchmark::State&) {
        for (const Task& task : mix) benchmark::DoNotOptimize(nextDates(task, 5));
    }};
}
bench::Side oneMoveOn() {
    struct Quiet : platform::MessageBoxPort {
        int show(const platform::MessageBoxRequest& r) override { return r.defaultButton; }
    };
    return {[mix = ruleMix()](benchmark::State&) {
        Quiet quiet;
        for (Task task : mix) {
            nextScheduleDate(task, task.date, task.time + 1, quiet);
            benchmark::DoNotOptimize(task.date);
        }
    }};
}

}  // namespace

int main(int argc, char** argv) {
    bench::registerPair("export --ics / list --json, 100,000 tasks", [] { return process({"export", "--ics", kIcs}); },
                        [] { return process({"list", "--json"}); }, 1)
        ->Unit(benchmark::kMillisecond)
        ->MinTime(10.0);
    bench::registerPair("import --ics / the same tasks stored, 100,000", importProcess, storeInProcess, 1)
        ->Unit(benchmark::kMillisecond)
        ->MinTime(10.0);
    bench::registerPair("next dates: 5 of each of 7 rules / 1 move on of each", fiveNextDates, oneMoveOn, 1000);
    const int result = bench::runWithRatios(argc, argv);
    std::filesystem::remove_all(scratch());
    return result;
}
