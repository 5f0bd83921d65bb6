// The keyed-table driver over a Schedule table of 1,000,000 tasks, built once per run in a temporary
// folder: positioning plus one read in the due-task key, 25-record pages at several depths of the date
// key, a put with change detection and an add.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "data/records.h"
#include "data/tables.h"
#include "store/store.h"

namespace {

using tarvelo::Schedule;
using tarvelo::ScheduleKey;
namespace store = tarvelo::store;

constexpr int kTasks = 1'000'000;
constexpr int kFirstDate = 80000;
constexpr int kDays = 3650;
constexpr int kTimesPerDay = 8'640'000;

int key(ScheduleKey k) { return static_cast<int>(k); }

Schedule makeTask(int id, std::mt19937& random) {
    Schedule s;
    s.id = id;
    s.taskType = tarvelo::kTaskTypes[random() % 4];
    s.category = "Category " + std::to_string(random() % 40);
    s.description = "Task number " + std::to_string(id);
    s.command = "notepad.exe C:\\DATA\\NOTES" + std::to_string(id % 100) + ".TXT";
    s.path = "C:\\DATA";
    s.scheduleType = tarvelo::ScheduleType::Once;
    s.date = kFirstDate + static_cast<int>(random() % kDays);
    s.time = 1 + static_cast<int>(random() % kTimesPerDay);
    s.disabled = random() % 10 == 0 ? 1 : 0;
    s.message = "Reminder for task " + std::to_string(id);
    return s;
}

// TARVELO_BENCH_FOLDER names a folder to keep the table in between runs (it is built there once);
// without it the table is built in a temporary folder and removed afterwards.
struct Fixture {
    std::string folder;
    bool keep = false;
    std::unique_ptr<store::Table> table;
    int nextId = kTasks + 1;

    Fixture() {
        if (const char* kept = std::getenv("TARVELO_BENCH_FOLDER")) {
            folder = kept;
            keep = true;
            std::filesystem::create_directories(folder);
            table = std::make_unique<store::Table>(tarvelo::scheduleTableDef(), folder);
            if (table->open().ok() && table->records() >= kTasks) {
                nextId = static_cast<int>(table->records()) + 1;
                return;
            }
            table.reset();
            std::filesystem::remove(folder + "/SM.KTB");
        } else {
            std::string pattern = (std::filesystem::temp_directory_path() / "tarvelo-bench-XXXXXX").string();
            folder = ::mkdtemp(pattern.data());
        }
        table = std::make_unique<store::Table>(tarvelo::scheduleTableDef(), folder);
        if (!table->create().ok() || !table->open().ok()) {
            std::fprintf(stderr, "cannot make the table: %s\n", store::lastError().driverMessage.c_str());
            std::abort();
        }
        std::mt19937 random(1996);
        store::Transaction tx;
        tx.begin({table.get()}, 2);
        for (int id = 1; id <= kTasks; ++id) {
            store::Row row = tarvelo::scheduleBinding().toRow(makeTask(id, random));
            if (!table->add(row).ok()) std::abort();
        }
        if (!tx.commit().ok()) std::abort();
    }
    ~Fixture() {
        table.reset();
        if (keep) return;
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

store::Row keyRow(int disabled, int date, int time) {
    Schedule s;
    s.disabled = static_cast<tarvelo::Byte>(disabled);
    s.date = date;
    s.time = time;
    return tarvelo::scheduleBinding().toRow(s);
}

// (1) What the due-task scan does: position at a moment in SCH:KEYDATEENABLED and read the next task.
void BM_SetAtAndNextInDueTaskKey(benchmark::State& state) {
    store::Table& t = *fixture().table;
    std::mt19937 random(7);
    std::vector<store::Row> moments;
    for (int i = 0; i < 1024; ++i)
        moments.push_back(keyRow(0, kFirstDate + static_cast<int>(random() % kDays), static_cast<int>(random() % kTimesPerDay)));
    store::Row out;
    std::size_t i = 0;
    for (auto _ : state) {
        t.setAt(key(ScheduleKey::keyDateEnabled), moments[i++ % moments.size()]);
        if (!t.next(out).ok()) state.SkipWithError("no record");
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(BM_SetAtAndNextInDueTaskKey)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);

// (2) A browse page: 25 records forward in SCH:KEYDATE from the key value at the given percentile.
void BM_PageOf25InDateKey(benchmark::State& state) {
    store::Table& t = *fixture().table;
    const int percentile = static_cast<int>(state.range(0));
    const int date = kFirstDate + kDays * percentile / 100;
    store::View view(t, key(ScheduleKey::keyDate));
    store::Row out;
    for (auto _ : state) {
        view.setAt(keyRow(0, date, 1));
        for (int i = 0; i < 25; ++i) {
            if (!view.next(out).ok()) state.SkipWithError("page ran out");
        }
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(BM_PageOf25InDateKey)->Arg(1)->Arg(50)->Arg(99)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);

// (3) Re-read a task by its position and write it back with change detection, each put durable on its own.
void BM_RereadAndPut(benchmark::State& state) {
    store::Table& t = *fixture().table;
    std::mt19937 random(11);
    store::Row row;
    for (auto _ : state) {
        Schedule probe;
        probe.id = 1 + static_cast<int>(random() % kTasks);
        if (!t.fetch(key(ScheduleKey::keyId), tarvelo::scheduleBinding().toRow(probe), row).ok()) state.SkipWithError("fetch");
        std::get<std::int64_t>(row.values[t.def().fieldIndex("SCH:LASTRUNDATE")]) += 1;
        if (!t.put(row).ok()) state.SkipWithError("put");
    }
}
BENCHMARK(BM_RereadAndPut)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

// The same with the writes batched in one transaction, which leaves the statement work alone.
void BM_RereadAndPutInTransaction(benchmark::State& state) {
    store::Table& t = *fixture().table;
    std::mt19937 random(13);
    store::Row row;
    store::Transaction tx;
    tx.begin({&t}, 2);
    for (auto _ : state) {
        Schedule probe;
        probe.id = 1 + static_cast<int>(random() % kTasks);
        if (!t.fetch(key(ScheduleKey::keyId), tarvelo::scheduleBinding().toRow(probe), row).ok()) state.SkipWithError("fetch");
        std::get<std::int64_t>(row.values[t.def().fieldIndex("SCH:LASTRUNDATE")]) += 1;
        if (!t.put(row).ok()) state.SkipWithError("put");
    }
    tx.commit();
}
BENCHMARK(BM_RereadAndPutInTransaction)->Unit(benchmark::kMicrosecond);

// (4) Adding a new task, durable on its own.
void BM_Add(benchmark::State& state) {
    Fixture& f = fixture();
    std::mt19937 random(17);
    for (auto _ : state) {
        store::Row row = tarvelo::scheduleBinding().toRow(makeTask(f.nextId++, random));
        if (!f.table->add(row).ok()) state.SkipWithError("add");
    }
}
BENCHMARK(BM_Add)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

}  // namespace
