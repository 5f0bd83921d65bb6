// The schedule browse over 200,000 tasks (about 55 a day over ten years): the "Day Schedule" page of one
// day, a thumb drag on "All by Date", and the first page of "Selected" with every 10th and with every
// 10,000th task tagged — beside the raw baseline of one SQLite statement reading a page by date from the
// same file.
//
// "Selected" reads up to 3,000 tagged tasks directly (every 67th and every 10,000th here); with more it
// tests each task in date order for a tag, which meets a page of tagged tasks soon (every 10th and every
// 66th).
//
// Every other task runs a program and has runs in the run log (1 to 3 each); the "LastResults" cases read
// the browse with its Last Result column filled, one more statement per page, beside the same cases
// without it.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "bench/fixture.h"
#include "data/data_files.h"
#include "data/schedule_browse.h"
#include "data/tables.h"
#include "data/tags.h"
#include "runlog/run_log.h"
#include "runlog/run_log_list.h"
#include "store/store.h"

namespace {

namespace store = tarvelo::store;

constexpr int kTasks = 200'000;
constexpr int kDays = 3650;
constexpr tarvelo::StdDate kFirstDay = 80000;
constexpr int kRows = 25;


struct Fixture {
    std::string folder;
    tarvelo::bench::QuietBox box;
    tarvelo::bench::AbortHalt halt;
    tarvelo::DataWarning warn{box, halt};
    std::unique_ptr<tarvelo::DataFiles> files;
    tarvelo::platform::LoopRunner runner;
    std::unique_ptr<tarvelo::Tags> tags;
    std::unique_ptr<tarvelo::TableUse> schedule;
    std::unique_ptr<tarvelo::TableUse> tagFile;
    std::unique_ptr<tarvelo::TableUse> runLog;
    std::unique_ptr<tarvelo::runlog::RunLogLastRuns> lastRuns;
    sqlite3* raw = nullptr;

    Fixture() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tarvelo-schedule-bench-XXXXXX").string();
        folder = ::mkdtemp(pattern.data());
        files = std::make_unique<tarvelo::DataFiles>(warn, folder);
        schedule = std::make_unique<tarvelo::TableUse>(*files, tarvelo::TableId::schedule);
        tagFile = std::make_unique<tarvelo::TableUse>(*files, tarvelo::TableId::tagFile);
        runLog = std::make_unique<tarvelo::TableUse>(*files, tarvelo::TableId::runLog);
        lastRuns = std::make_unique<tarvelo::runlog::RunLogLastRuns>(files->table(tarvelo::TableId::runLog));
        tags = std::make_unique<tarvelo::Tags>(*files, runner);
        std::mt19937 random(1996);
        store::Transaction tx;
        if (!tx.begin({&files->table(tarvelo::TableId::schedule)}).ok()) std::abort();
        auto table = files->schedule();
        auto log = files->runLog();
        for (int id = 1; id <= kTasks; ++id) {
            tarvelo::Task task;
            task.id = id;
            task.taskType = id % 2 == 0 ? tarvelo::TaskType::RunProgram : tarvelo::TaskType::DisplayMessage;
            task.scheduleType = tarvelo::ScheduleType::Once;
            task.description = "Task " + std::to_string(id);
            task.date = kFirstDay + static_cast<int>(random() % kDays);
            task.time = 1 + static_cast<int>(random() % 8'640'000);
            if (!table.add(task).ok()) std::abort();
            for (int run = 0; id % 2 == 0 && run <= id % 3; ++run) {
                tarvelo::RunEntry entry;
                entry.task = id;
                entry.startDate = task.date - 1 - run;
                entry.startTime = task.time;
                entry.state = "ended";
                entry.exitStatus = run == 0 ? id % 5 : 0;
                if (!log.add(entry).ok()) std::abort();
            }
        }
        if (!tx.commit().ok()) std::abort();
        if (sqlite3_open_v2((folder + "/SM.KTB").c_str(), &raw, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) std::abort();
    }
    ~Fixture() {
        sqlite3_close(raw);
        lastRuns.reset();
        runLog.reset();
        tags.reset();
        tagFile.reset();
        schedule.reset();
        files.reset();
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }

    // Tags every `every`-th task (by row), and nothing else.
    void tagEvery(int every) {
        tags->clearTags(tarvelo::kScheduleTable);
        tarvelo::Tags::Batch batch(*tags, "bench");
        for (int row = every; row <= kTasks; row += every) {
            tags->tag(tarvelo::kScheduleTable, row, std::to_string(row));
        }
        batch.commit();
    }

    std::unique_ptr<tarvelo::ScheduleBrowse> browse(tarvelo::ScheduleTab tab, bool lastResults = false) {
        auto b = std::make_unique<tarvelo::ScheduleBrowse>(
            files->table(tarvelo::TableId::schedule), warn, kFirstDay + kDays / 2, false,
            [this](std::int64_t row) { return tags->isTagged(tarvelo::kScheduleTable, row); },
            &files->table(tarvelo::TableId::tagFile), lastResults ? lastRuns.get() : nullptr);
        b->setRowCount(kRows);
        b->selectTab(tab);
        return b;
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

// "Select Day": the page of another day, read from a range of the date key.
void daySchedule(benchmark::State& state, bool lastResults) {
    auto browse = fixture().browse(tarvelo::ScheduleTab::daySchedule, lastResults);
    int day = 0;
    for (auto _ : state) {
        browse->setSelectedDay(kFirstDay + 100 + (day++ % 3000));
        if (browse->entryCount() == 0) state.SkipWithError("an empty day");
    }
}
void BM_DaySchedule(benchmark::State& state) { daySchedule(state, false); }
void BM_DayScheduleLastResults(benchmark::State& state) { daySchedule(state, true); }
BENCHMARK(BM_DaySchedule)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DayScheduleLastResults)->Unit(benchmark::kMicrosecond);

// A thumb drag to the middle of "All by Date".
void allByDateThumbDrag(benchmark::State& state, bool lastResults) {
    auto browse = fixture().browse(tarvelo::ScheduleTab::allByDate, lastResults);
    for (auto _ : state) {
        browse->dragThumb(static_cast<int>(state.range(0)));
        if (browse->entryCount() != kRows) state.SkipWithError("the page is not full");
        int shown = 0;
        for (int row = 0; lastResults && row < kRows; ++row) shown += !browse->cell(row, tarvelo::kLastResultColumn).text.empty();
        if (lastResults && shown == 0) state.SkipWithError("no last results");
    }
}
void BM_AllByDateThumbDrag(benchmark::State& state) { allByDateThumbDrag(state, false); }
void BM_AllByDateThumbDragLastResults(benchmark::State& state) { allByDateThumbDrag(state, true); }
BENCHMARK(BM_AllByDateThumbDrag)->Arg(2)->Arg(50)->Arg(99)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AllByDateThumbDragLastResults)->Arg(2)->Arg(50)->Arg(99)->Unit(benchmark::kMicrosecond);

// The first page of "Selected" with every n-th task tagged.
void BM_SelectedFirstPage(benchmark::State& state) {
    Fixture& f = fixture();
    f.tagEvery(static_cast<int>(state.range(0)));
    auto browse = f.browse(tarvelo::ScheduleTab::selected);
    for (auto _ : state) {
        browse->forceRefresh();
        browse->selectTab(tarvelo::ScheduleTab::selected);
        if (browse->entryCount() == 0) state.SkipWithError("nothing selected");
    }
}
BENCHMARK(BM_SelectedFirstPage)->Arg(10)->Arg(66)->Arg(67)->Arg(10'000)->Unit(benchmark::kMillisecond);

// The baseline: one page by date as one SQLite statement on the same file.
void BM_RawDatePage(benchmark::State& state) {
    Fixture& f = fixture();
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v3(f.raw,
                       "SELECT * FROM \"Schedule\" WHERE \"DATE\" >= ?1 AND NOT (\"DATE\" = 0 AND \"TIME\" = 0) ORDER BY \"DATE\", \"TIME\", \"_id\" LIMIT ?2", -1,
                       SQLITE_PREPARE_PERSISTENT, &s, nullptr);
    for (auto _ : state) {
        sqlite3_bind_int(s, 1, kFirstDay + kDays / 2);
        sqlite3_bind_int(s, 2, kRows);
        int rows = 0;
        while (sqlite3_step(s) == SQLITE_ROW) {
            benchmark::DoNotOptimize(sqlite3_column_text(s, 4));
            ++rows;
        }
        sqlite3_reset(s);
        if (rows != kRows) state.SkipWithError("short page");
    }
    sqlite3_finalize(s);
}
BENCHMARK(BM_RawDatePage)->Unit(benchmark::kMicrosecond);

}  // namespace
