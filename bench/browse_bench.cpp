// The page-loaded browse lists over 1,000,000 tasks in 40 categories and 100,000 to-do items: a page
// after a thumb drag at 2 %, 50 % and 99 % of a category's task list and of the to-do orders, a page
// down, and the thumb stops — each beside the raw baseline of one SQLite statement reading the same page
// from the same file. Counters: records read per operation, and the resident memory the list gained
// over all its iterations.
//
// TARVELO_BENCH_FOLDER names a folder to keep the data file in between runs (built there once);
// without it the file is built in a temporary folder and removed afterwards.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "bench/fixture.h"
#include "data/category_lists.h"
#include "data/data_warning.h"
#include "data/tables.h"
#include "data/todo_list.h"
#include "store/fold_collation.h"
#include "store/store.h"

namespace {

namespace store = tarvelo::store;
using tarvelo::BrowseList;

constexpr int kTasks = 1'000'000;
constexpr int kCategories = 40;
constexpr int kToDoItems = 100'000;
constexpr int kRows = 25;
const std::string kCategory = "Category 17";

std::string word(std::mt19937& random, int letters) {
    std::string w;
    for (int i = 0; i < letters; ++i) w += static_cast<char>((i == 0 ? 'A' : 'a') + random() % 26);
    return w;
}


struct Fixture {
    std::string folder;
    bool keep = false;
    std::unique_ptr<store::Table> schedule;
    std::unique_ptr<store::Table> toDo;
    sqlite3* raw = nullptr;
    tarvelo::bench::QuietBox box;
    tarvelo::bench::AbortHalt halt;
    tarvelo::DataWarning warn{box, halt};

    Fixture() {
        if (const char* kept = std::getenv("TARVELO_BENCH_FOLDER")) {
            folder = std::string(kept) + "/browse";
            keep = true;
        } else {
            std::string pattern = (std::filesystem::temp_directory_path() / "tarvelo-browse-bench-XXXXXX").string();
            folder = ::mkdtemp(pattern.data());
        }
        std::filesystem::create_directories(folder);
        schedule = std::make_unique<store::Table>(tarvelo::scheduleTableDef(), folder);
        toDo = std::make_unique<store::Table>(tarvelo::toDoTableDef(), folder);
        const bool built = schedule->open().ok() && toDo->open().ok() && schedule->records().value >= kTasks &&
                           toDo->records().value >= kToDoItems;
        if (!built) {
            schedule.reset();
            toDo.reset();
            std::filesystem::remove(folder + "/SM.KTB");
            build();
        }
        if (sqlite3_open_v2((folder + "/SM.KTB").c_str(), &raw, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) std::abort();
        store::detail::registerFoldCollation(raw);
    }
    void build() {
        schedule = std::make_unique<store::Table>(tarvelo::scheduleTableDef(), folder);
        toDo = std::make_unique<store::Table>(tarvelo::toDoTableDef(), folder);
        if (!schedule->create().ok() || !toDo->create().ok() || !schedule->open().ok() || !toDo->open().ok()) std::abort();
        std::mt19937 random(1996);
        store::Transaction tx;
        if (!tx.begin({schedule.get(), toDo.get()}).ok()) std::abort();
        for (int id = 1; id <= kTasks; ++id) {
            tarvelo::Task task;
            task.id = id;
            task.taskType = tarvelo::TaskType::DisplayMessage;
            task.scheduleType = tarvelo::ScheduleType::Once;
            task.category = "Category " + std::to_string(random() % kCategories);
            task.description = word(random, 8) + " " + word(random, 6) + " " + std::to_string(id);
            task.date = 80000 + static_cast<int>(random() % 3650);
            task.time = 1 + static_cast<int>(random() % 8'640'000);
            store::Row row = tarvelo::scheduleBinding().toRow(task);
            if (!schedule->add(row).ok()) std::abort();
        }
        for (int i = 0; i < kToDoItems; ++i) {
            tarvelo::ToDo item;
            item.todo = word(random, 7) + " " + word(random, 9);
            item.priority = static_cast<tarvelo::Byte>(1 + random() % 10);
            item.done = random() % 10 == 0 ? 1 : 0;
            store::Row row = tarvelo::toDoBinding().toRow(item);
            if (!toDo->add(row).ok()) std::abort();
        }
        if (!tx.commit().ok()) std::abort();
    }
    ~Fixture() {
        sqlite3_close(raw);
        schedule.reset();
        toDo.reset();
        if (keep) return;
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

long residentKilobytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

// Counts the records each operation reads through the list's views.
struct Counted {
    static inline long records = 0;
    class Source : public tarvelo::PageSource {
    public:
        explicit Source(std::unique_ptr<tarvelo::PageSource> inner) : m_inner(std::move(inner)) {}
        store::Status toStart() override { return m_inner->toStart(); }
        store::Status toEnd() override { return m_inner->toEnd(); }
        store::Status toValue(const store::Row& v) override { return m_inner->toValue(v); }
        store::Status resetTo(std::string_view p) override { return m_inner->resetTo(p); }
        store::Status read(tarvelo::Direction d, int count, std::vector<tarvelo::PageRecord>& out) override {
            const std::size_t before = out.size();
            const store::Status s = m_inner->read(d, count, out);
            records += static_cast<long>(out.size() - before);
            return s;
        }
        store::Status reread(std::string_view p, store::Row& out) override { return m_inner->reread(p, out); }

    private:
        std::unique_ptr<tarvelo::PageSource> m_inner;
    };
    static tarvelo::BrowseConfig wrap(tarvelo::BrowseConfig config) {
        config.openSource = [](store::Table& t, int key, tarvelo::KeyRange range) -> std::unique_ptr<tarvelo::PageSource> {
            return std::make_unique<Source>(tarvelo::openViewSource(t, key, std::move(range)));
        };
        return config;
    }
};

std::unique_ptr<BrowseList> categoryTasks() {
    Fixture& f = fixture();
    auto list = std::make_unique<BrowseList>(
        *f.schedule, f.warn, Counted::wrap(tarvelo::categoryTasksConfig(tarvelo::kCategoryTaskListFormat, [] { return kCategory; })));
    list->setRowCount(kRows);
    list->resetSort(0);
    return list;
}

std::unique_ptr<BrowseList> toDoList(tarvelo::ToDoOrder order) {
    Fixture& f = fixture();
    auto list = std::make_unique<BrowseList>(*f.toDo, f.warn, Counted::wrap(tarvelo::toDoBrowseConfig()));
    list->setRowCount(kRows);
    list->resetSort(static_cast<int>(order));
    return list;
}

void report(benchmark::State& state, long records, long memoryBefore) {
    state.counters["records_read"] = benchmark::Counter(static_cast<double>(records), benchmark::Counter::kAvgIterations);
    state.counters["rss_gain_kB"] = static_cast<double>(residentKilobytes() - memoryBefore);
}

// A thumb drag on the tasks of one category (25,000 of the million): one seek at the stop, one page.
void BM_CategoryTasksThumbDrag(benchmark::State& state) {
    auto list = categoryTasks();
    const int position = static_cast<int>(state.range(0));
    const long memory = residentKilobytes();
    const long before = Counted::records;
    for (auto _ : state) {
        list->dragThumb(position);
        if (list->entryCount() != kRows) state.SkipWithError("the page is not full");
    }
    report(state, Counted::records - before, memory);
}
BENCHMARK(BM_CategoryTasksThumbDrag)->Arg(2)->Arg(50)->Arg(99)->Repetitions(3)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);

// Page down from the stop at the given position.
void BM_CategoryTasksPageDown(benchmark::State& state) {
    auto list = categoryTasks();
    const int position = static_cast<int>(state.range(0));
    const long memory = residentKilobytes();
    long read = 0;
    for (auto _ : state) {
        state.PauseTiming();
        list->dragThumb(position);
        const long before = Counted::records;
        state.ResumeTiming();
        list->scroll(tarvelo::platform::ListScroll::pageDown);
        read += Counted::records - before;
    }
    report(state, read, memory);
}
BENCHMARK(BM_CategoryTasksPageDown)->Arg(2)->Arg(50)->Arg(98)->Unit(benchmark::kMicrosecond);

// The baseline: the same page as one SQLite statement on the same file.
void BM_RawCategoryPage(benchmark::State& state) {
    Fixture& f = fixture();
    auto list = categoryTasks();
    list->dragThumb(static_cast<int>(state.range(0)));
    const std::string from = std::get<std::string>(list->current().values[tarvelo::scheduleTableDef().fieldIndex("SCH:DESCRIPTION")]);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v3(f.raw,
                       "SELECT * FROM \"Schedule\" WHERE \"CATEGORY\" = ?1 AND \"DESCRIPTION\" >= ?2 "
                       "AND NOT (\"CATEGORY\" = '' AND \"DESCRIPTION\" = '') "
                       "ORDER BY \"CATEGORY\", \"DESCRIPTION\", \"_id\" LIMIT ?3",
                       -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr);
    for (auto _ : state) {
        sqlite3_bind_text(s, 1, kCategory.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(s, 2, from.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(s, 3, kRows);
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
BENCHMARK(BM_RawCategoryPage)->Arg(2)->Arg(50)->Arg(99)->Repetitions(3)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);

// A thumb drag in each to-do order.
void BM_ToDoThumbDrag(benchmark::State& state) {
    auto list = toDoList(static_cast<tarvelo::ToDoOrder>(state.range(0)));
    const int position = static_cast<int>(state.range(1));
    const long memory = residentKilobytes();
    const long before = Counted::records;
    for (auto _ : state) {
        list->dragThumb(position);
        if (list->entryCount() != kRows) state.SkipWithError("the page is not full");
    }
    report(state, Counted::records - before, memory);
}
BENCHMARK(BM_ToDoThumbDrag)
    ->ArgNames({"order", "thumb"})
    ->ArgsProduct({{0, 1, 2}, {2, 50, 99}})
    ->Unit(benchmark::kMicrosecond);

// A refresh after a cancelled form: the page again (25 records), then the stops from the first and the
// last record of the range (2).
void BM_CategoryTasksRefreshAndStops(benchmark::State& state) {
    auto list = categoryTasks();
    const long memory = residentKilobytes();
    const long before = Counted::records;
    for (auto _ : state) {
        list->forceRefresh();
        const long refreshStart = Counted::records;
        list->afterForm(tarvelo::Request::change, tarvelo::Response::cancelled, {});  // refresh, then the stops
        benchmark::DoNotOptimize(refreshStart);
    }
    report(state, Counted::records - before, memory);
}
BENCHMARK(BM_CategoryTasksRefreshAndStops)->Unit(benchmark::kMicrosecond);

}  // namespace
