// The schedule search over 1,000,000 tasks, built once per run in a temporary folder (or kept in
// $TARVELO_BENCH_FOLDER): a full scan in slices of 100 tasks, "equals" on the next date with the reads
// counted, and the tag count from its cache; each beside the raw reading it stands on, measured in the
// same run.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/fixture.h"
#include "data/data_files.h"
#include "data/tables.h"
#include "search/schedule_scan.h"
#include "search/search_fields.h"
#include "data/tags.h"
#include "store/store.h"
#include "platform/ports.h"

namespace {

namespace search = tarvelo::search;
namespace platform = tarvelo::platform;
using tarvelo::kScheduleTable;
using tarvelo::Tags;
namespace store = tarvelo::store;
using tarvelo::DataFiles;
using tarvelo::TableId;

constexpr int kTasks = 1'000'000;
constexpr int kTags = 100'000;
constexpr int kFirstDate = 80000;
constexpr int kDays = 3650;

const char* const kTypes[] = {"Run Program", "Display Message", "Both", "None"};

store::Row makeTask(int id, std::mt19937& random) {
    const store::TableDef& def = tarvelo::scheduleTableDef();
    store::Row row;
    for (const auto& f : def.fields) {
        const bool text = f.type == store::FieldType::String || f.type == store::FieldType::CString ||
                          f.type == store::FieldType::Memo;
        row.values.push_back(text ? store::Value(std::string()) : store::Value(std::int64_t{0}));
    }
    const auto set = [&](const char* name, store::Value v) { row.values[def.fieldIndex(name)] = std::move(v); };
    set("SCH:ID", std::int64_t{id});
    set("SCH:TASKTYPE", std::string(kTypes[random() % 4]));
    set("SCH:CATEGORY", "Category " + std::to_string(random() % 40));
    set("SCH:DESCRIPTION", "Task number " + std::to_string(id));
    set("SCH:COMMAND", "notepad.exe C:\\DATA\\NOTES" + std::to_string(id % 100) + ".TXT");
    set("SCH:SCHEDULETYPE", std::string("Once"));
    set("SCH:DATE", std::int64_t{kFirstDate + static_cast<int>(random() % kDays)});
    set("SCH:TIME", std::int64_t{1 + static_cast<int>(random() % 8'640'000)});
    set("SCH:DISABLED", std::int64_t{random() % 10 == 0 ? 1 : 0});
    set("SCH:MESSAGE", "Reminder for task " + std::to_string(id));
    return row;
}

struct Fixture {
    std::string folder;
    bool keep = false;
    tarvelo::bench::QuietBox boxes;
    tarvelo::bench::AbortHalt halt;
    tarvelo::DataWarning warn{boxes, halt};
    std::unique_ptr<DataFiles> files;
    platform::LoopRunner loop;
    std::unique_ptr<Tags> tags;

    Fixture() {
        if (const char* kept = std::getenv("TARVELO_BENCH_FOLDER")) {
            folder = std::string(kept) + "/search";
            keep = true;
        } else {
            std::string pattern = (std::filesystem::temp_directory_path() / "tarvelo-bench-XXXXXX").string();
            folder = ::mkdtemp(pattern.data());
        }
        std::filesystem::create_directories(folder);
        files = std::make_unique<DataFiles>(warn, folder);
        files->use(TableId::schedule);
        files->use(TableId::tagFile);
        tags = std::make_unique<Tags>(*files, loop);
        store::Table& schedule = files->table(TableId::schedule);
        if (schedule.records().value >= kTasks) return;
        std::mt19937 random(1996);
        store::Transaction tx;
        if (!tx.begin({&schedule}).ok()) std::abort();
        for (int id = 1; id <= kTasks; ++id) {
            store::Row row = makeTask(id, random);
            if (!schedule.add(row).ok()) std::abort();
        }
        if (!tx.commit().ok()) std::abort();
        Tags::Batch batch(*tags, "bench");
        for (int id = 1; id <= kTags; ++id) tags->tag(kScheduleTable, id * 7, std::to_string(id * 7));
        batch.commit();
    }
    ~Fixture() {
        tags.reset();
        files.reset();
        if (keep) return;
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

const search::SearchField& field(const char* name) { return *search::searchFieldNamed(name); }

// Baseline: every task read through the driver in SCH:KEYID order, nothing compared.
void BM_RawReadAllTasks(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state) {
        store::View view(f.files->table(TableId::schedule), static_cast<int>(tarvelo::ScheduleKey::keyId));
        store::Row row;
        std::int64_t n = 0;
        for (store::Status s = view.setToStart(); s.ok() && view.next(row).ok();) ++n;
        if (n != kTasks) state.SkipWithError("short read");
    }
}
BENCHMARK(BM_RawReadAllTasks)->Unit(benchmark::kMillisecond)->Iterations(3);

// Baseline: bare SQLite stepping every row and reading every column: no driver, no record built.
void BM_BareSqliteAllRows(benchmark::State& state) {
    Fixture& f = fixture();
    sqlite3* db = nullptr;
    sqlite3_open_v2((f.folder + "/SM.KTB").c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    for (auto _ : state) {
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(db, "SELECT * FROM Schedule", -1, &s, nullptr);
        std::int64_t n = 0, sum = 0;
        while (sqlite3_step(s) == SQLITE_ROW) {
            const int cols = sqlite3_column_count(s);
            for (int c = 0; c < cols; ++c) {
                if (sqlite3_column_type(s, c) == SQLITE_TEXT) sum += sqlite3_column_bytes(s, c);
                else sum += sqlite3_column_int64(s, c);
            }
            ++n;
        }
        sqlite3_finalize(s);
        benchmark::DoNotOptimize(sum);
        if (n != kTasks) state.SkipWithError("short read");
    }
    sqlite3_close(db);
}
BENCHMARK(BM_BareSqliteAllRows)->Unit(benchmark::kMillisecond)->Iterations(3);

// Baseline: bare SQLite stepping every row and reading only the columns the full scan below reads (the
// row id, the task's ID, the command it tests), in table order as the scan reads, and for comparison in
// the ID index's order.
void BM_BareSqliteScanColumns(benchmark::State& state) {
    Fixture& f = fixture();
    sqlite3* db = nullptr;
    sqlite3_open_v2((f.folder + "/SM.KTB").c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    const char* sql = state.range(0) ? "SELECT _id, ID, COMMAND FROM Schedule ORDER BY ID, _id"
                                     : "SELECT _id, ID, COMMAND FROM Schedule";
    for (auto _ : state) {
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(db, sql, -1, &s, nullptr);
        std::int64_t n = 0, sum = 0;
        while (sqlite3_step(s) == SQLITE_ROW) {
            sum += sqlite3_column_int64(s, 0) + sqlite3_column_int64(s, 1) + sqlite3_column_bytes(s, 2);
            ++n;
        }
        sqlite3_finalize(s);
        benchmark::DoNotOptimize(sum);
        if (n != kTasks) state.SkipWithError("short read");
    }
    sqlite3_close(db);
    state.SetLabel(state.range(0) ? "in ID order" : "in table order, as the scan");
}
BENCHMARK(BM_BareSqliteScanColumns)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

// A search no key serves ("command contains zzz"): every task read and tested, 100 to a slice as the
// progress window's timer runs them, each followed by the progress it shows. Reports the mean slice, the
// slowest and the 99.9th percentile (the slowest alone is at the mercy of whatever else the machine ran at
// that moment), and the first, which also counts the tasks for the percentage.
void BM_FullScanInSlices(benchmark::State& state) {
    Fixture& f = fixture();
    std::vector<double> times;
    double firstSlice = 0;
    std::int64_t slices = 0;
    for (auto _ : state) {
        search::ScheduleScan scan(*f.files, *f.tags,
                                  {search::makeCriterion(field("command"), search::MatchType::contains,
                                                         std::string("zzz"))},
                                  search::SearchTask::edit);
        search::FindNextJob job(scan);
        slices = 0;
        for (;;) {
            const auto start = std::chrono::steady_clock::now();
            const auto step = job.runSlice();
            // What the progress window shows after each slice; the first asks for the total once.
            benchmark::DoNotOptimize(job.progress());
            times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
            if (slices == 0) firstSlice = std::max(firstSlice, times.back());
            ++slices;
            if (step == tarvelo::platform::SlicedJob::Step::done) break;
        }
        if (scan.recordsRead() != kTasks) state.SkipWithError("not a full scan");
    }
    state.counters["slices"] = static_cast<double>(slices);
    std::sort(times.begin(), times.end());
    double total = 0;
    for (double t : times) total += t;
    state.counters["mean_slice_ms"] = times.empty() ? 0 : total / static_cast<double>(times.size());
    state.counters["p999_slice_ms"] = times.empty() ? 0 : times[times.size() * 999 / 1000];
    state.counters["slowest_slice_ms"] = times.empty() ? 0 : times.back();
    state.counters["first_slice_ms"] = firstSlice;
}
BENCHMARK(BM_FullScanInSlices)->Unit(benchmark::kMillisecond)->Iterations(3);

// The total the percentage is taken of, counted once per search, beside bare SQLite's count.
void BM_CountForThePercentage(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state) {
        const auto count = f.files->table(TableId::schedule).records();
        if (count.value != kTasks) state.SkipWithError("wrong count");
    }
}
BENCHMARK(BM_CountForThePercentage)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_BareSqliteCount(benchmark::State& state) {
    Fixture& f = fixture();
    sqlite3* db = nullptr;
    sqlite3_open_v2((f.folder + "/SM.KTB").c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    for (auto _ : state) {
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(db, "SELECT count(*) FROM Schedule", -1, &s, nullptr);
        std::int64_t n = 0;
        if (sqlite3_step(s) == SQLITE_ROW) n = sqlite3_column_int64(s, 0);
        sqlite3_finalize(s);
        if (n != kTasks) state.SkipWithError("wrong count");
    }
    sqlite3_close(db);
}
BENCHMARK(BM_BareSqliteCount)->Unit(benchmark::kMillisecond)->Iterations(5);

// "Equals" on a next date: the reads are the matches plus the one later task that ends the scan.
void BM_EqualsOnNextDate(benchmark::State& state) {
    Fixture& f = fixture();
    std::int64_t reads = 0;
    std::int64_t fetched = 0;
    std::int64_t matches = 0;
    for (auto _ : state) {
        search::ScheduleScan scan(*f.files, *f.tags,
                                  {search::makeCriterion(field("date"), search::MatchType::equals,
                                                         std::int64_t{kFirstDate + kDays / 2})},
                                  search::SearchTask::edit);
        store::Row match;
        matches = 0;
        while (scan.read(search::kScanSlice, match) != search::ScheduleScan::Result::end) {
        }
        reads = scan.recordsRead();
        fetched = scan.recordsFetched();
        matches = scan.found();
    }
    state.counters["reads"] = static_cast<double>(reads);
    state.counters["fetched"] = static_cast<double>(fetched);
    state.counters["matches"] = static_cast<double>(matches);
    state.counters["table"] = kTasks;
}
BENCHMARK(BM_EqualsOnNextDate)->Unit(benchmark::kMicrosecond);

// Baseline: the same tasks read raw in SCH:KEYDATE from that date.
void BM_RawReadOneDate(benchmark::State& state) {
    Fixture& f = fixture();
    const store::TableDef& def = tarvelo::scheduleTableDef();
    store::Row from = makeTask(0, *std::make_unique<std::mt19937>(1).get());
    from.values[def.fieldIndex("SCH:DATE")] = std::int64_t{kFirstDate + kDays / 2};
    from.values[def.fieldIndex("SCH:TIME")] = std::int64_t{0};
    for (auto _ : state) {
        store::View view(f.files->table(TableId::schedule), static_cast<int>(tarvelo::ScheduleKey::keyDate));
        store::Row row;
        for (store::Status s = view.setAt(from); s.ok() && view.next(row).ok();) {
            if (std::get<std::int64_t>(row.values[def.fieldIndex("SCH:DATE")]) != kFirstDate + kDays / 2) break;
        }
    }
}
BENCHMARK(BM_RawReadOneDate)->Unit(benchmark::kMicrosecond);

// The tag count from its cache, and (baseline) the walk that fills the cache.
void BM_CntTagCached(benchmark::State& state) {
    Fixture& f = fixture();
    if (f.tags->countTags(kScheduleTable) != kTags) state.SkipWithError("tags");
    for (auto _ : state) benchmark::DoNotOptimize(f.tags->countTags(kScheduleTable));
}
BENCHMARK(BM_CntTagCached)->Unit(benchmark::kNanosecond);

void BM_CntTagWalk(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state) {
        Tags fresh(*f.files, f.loop);
        if (fresh.countTags(kScheduleTable) != kTags) state.SkipWithError("tags");
    }
}
BENCHMARK(BM_CntTagWalk)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
