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
#include "store/store.h"

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
        if (!tx.begin({&schedule}, 2).ok()) return state.SkipWithError("no transaction");
        for (int id = 1; id <= kTasks; ++id) {
            store::Row row = scheduleBinding().toRow(bench::benchTask(id, random));
            if (!schedule.add(row).ok()) return state.SkipWithError("add failed");
        }
        if (!tx.commit().ok()) state.SkipWithError("commit failed");
    }};
    side.beforeBlock = freshFolder;
    return side;
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
    const int result = bench::runWithRatios(argc, argv);
    std::filesystem::remove_all(scratch());
    return result;
}
