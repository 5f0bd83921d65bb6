// The keyed-table driver beside raw SQLite on the same file, in the same run: each figure takes turns
// between a block of the driver's operations and a block of raw SQLite's (bench/fixture.h), and the run
// ends with the table of their ratios. The raw side is what a careful program does with prepared
// statements of its own: the same statements' work, none of the driver's.
//
// Fixtures of 1,000, 100,000 and 1,000,000 tasks are built once and kept in the build folder.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "bench/fixture.h"
#include "core/settings.h"
#include "data/data_files.h"
#include "data/tables.h"
#include "engine/scheduler.h"
#include "store/fold_collation.h"
#include "store/store.h"

namespace {

using namespace tarvelo;
using bench::fixtureFolder;

constexpr int kLarge = 1'000'000;

int key(ScheduleKey k) { return static_cast<int>(k); }

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "%s\n", what.c_str());
    std::abort();
}

// ---------------------------------------------------------------------------------------------------------
// The raw side: one connection of its own, statements prepared once.

std::string columns() {
    std::string out = "_id, _version";
    for (const auto& f : scheduleTableDef().fields) out += ", \"" + f.name.substr(f.name.find(':') + 1) + "\"";
    return out;
}

class Raw {
public:
    explicit Raw(const std::string& folder) {
        if (sqlite3_open_v2((folder + "/SM.KTB").c_str(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            fail("raw open");
        sqlite3_busy_timeout(m_db, 2000);
        store::detail::registerFoldCollation(m_db);
        // The driver's own settings, so that the figures compare the statements' work alone.
        exec("PRAGMA synchronous=FULL");
        exec("PRAGMA cache_size=-4096");
    }
    ~Raw() {
        for (auto* s : m_statements) sqlite3_finalize(s);
        sqlite3_close(m_db);
    }
    sqlite3_stmt* prepare(const std::string& sql) {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v3(m_db, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) != SQLITE_OK)
            fail("raw prepare: " + std::string(sqlite3_errmsg(m_db)) + " in " + sql);
        m_statements.push_back(s);
        return s;
    }
    void exec(const char* sql) {
        if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) fail(sqlite3_errmsg(m_db));
    }
    sqlite3* db() const { return m_db; }

private:
    sqlite3* m_db = nullptr;
    std::vector<sqlite3_stmt*> m_statements;
};

// What a program reads out of a row: every column into a value of its own.
std::vector<store::Value> decode(sqlite3_stmt* s) {
    std::vector<store::Value> values;
    const int n = sqlite3_column_count(s);
    values.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        if (sqlite3_column_type(s, i) == SQLITE_TEXT) {
            values.emplace_back(std::string(reinterpret_cast<const char*>(sqlite3_column_text(s, i)),
                                            static_cast<std::size_t>(sqlite3_column_bytes(s, i))));
        } else {
            values.emplace_back(static_cast<std::int64_t>(sqlite3_column_int64(s, i)));
        }
    }
    return values;
}

// ---------------------------------------------------------------------------------------------------------
// The large table, open for the rest of the run once the open figures are measured.

struct Large {
    Large() : folder(fixtureFolder(kLarge)), table(scheduleTableDef(), folder), raw(folder) {
        if (!table.open().ok()) fail("open the fixture");
        removeAdded();  // left by a run that was interrupted
    }
    // The tasks the add figures added.
    void removeAdded() { raw.exec(("DELETE FROM Schedule WHERE ID > " + std::to_string(kLarge)).c_str()); }
    std::string folder;
    store::Table table;
    Raw raw;
};

Large& large() {
    static Large l;
    return l;
}

store::Row keyRow(int disabled, StdDate date, StdTime time) {
    Task s;
    s.disabled = static_cast<Byte>(disabled);
    s.date = date;
    s.time = time;
    return scheduleBinding().toRow(s);
}

// Moments spread over the ten years the fixture's tasks lie in.
std::vector<std::pair<StdDate, StdTime>> moments(unsigned seed) {
    std::mt19937 random(seed);
    std::vector<std::pair<StdDate, StdTime>> out;
    for (int i = 0; i < 1024; ++i)
        out.emplace_back(bench::kToday + 2 + static_cast<StdDate>(random() % 3650), 1 + static_cast<StdTime>(random() % kOneDay));
    return out;
}

// 1,024 different tasks read once (with their values as read), to be written again and again.
std::vector<store::Row> someRows(unsigned seed) {
    std::vector<store::Row> rows;
    Task probe;
    for (int i = 0; i < 1024; ++i) {
        probe.id = 1 + static_cast<std::int32_t>((seed + static_cast<unsigned>(i) * 977u) % kLarge);
        store::Row row;
        if (!large().table.fetch(key(ScheduleKey::keyId), scheduleBinding().toRow(probe), row).ok()) fail("fetch");
        rows.push_back(std::move(row));
    }
    return rows;
}

const int kLastRunDate = scheduleTableDef().fieldIndex("SCH:LASTRUNDATE");

// ---------------------------------------------------------------------------------------------------------
// Opening: what every start of the program and every tarvelo96-cli command pays. Measured while nothing
// of this process holds the file, so each open is a connection of its own.

bench::Side openTarvelo(int tasks) {
    const std::string folder = fixtureFolder(tasks);
    return {[folder](benchmark::State& state) {
        store::Table t(scheduleTableDef(), folder);
        if (!t.open().ok()) state.SkipWithError("open");
        t.close();
    }};
}

bench::Side openRaw(int tasks) {
    const std::string file = fixtureFolder(tasks) + "/SM.KTB";
    return {[file](benchmark::State& state) {
        sqlite3* db = nullptr;
        sqlite3_stmt* s = nullptr;
        sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
        // The first statement reads the schema: the least any use of a table costs.
        if (sqlite3_prepare_v2(db, "SELECT ID FROM Schedule WHERE _id = 1", -1, &s, nullptr) != SQLITE_OK)
            state.SkipWithError("raw open");
        sqlite3_step(s);
        sqlite3_finalize(s);
        sqlite3_close(db);
    }};
}

// ---------------------------------------------------------------------------------------------------------
// Reading.

store::Status readPage(store::View& view, int count, std::vector<store::Row>& rows) {
    return view.read(store::Direction::forward, count, rows);
}

bench::Side seekTarvelo() {
    auto at = std::make_shared<std::vector<std::pair<StdDate, StdTime>>>(moments(7));
    auto i = std::make_shared<std::size_t>(0);
    return {[at, i](benchmark::State& state) {
        store::Table& t = large().table;
        const auto& [date, time] = (*at)[(*i)++ % at->size()];
        store::Row out;
        (void)t.setAt(key(ScheduleKey::keyDateEnabled), keyRow(0, date, time));
        if (!t.next(out).ok()) state.SkipWithError("no record");
        benchmark::DoNotOptimize(out);
    }};
}

bench::Side seekRaw() {
    sqlite3_stmt* s = large().raw.prepare(
        "SELECT " + columns() +
        " FROM Schedule WHERE (DISABLED, DATE, TIME, _id) > (?1, ?2, ?3, ?4) AND NOT (DISABLED = 0 AND DATE = 0 AND "
        "TIME = 0) ORDER BY DISABLED, DATE, TIME, _id LIMIT 1");
    auto at = std::make_shared<std::vector<std::pair<StdDate, StdTime>>>(moments(7));
    auto i = std::make_shared<std::size_t>(0);
    return {[s, at, i](benchmark::State& state) {
        const auto& [date, time] = (*at)[(*i)++ % at->size()];
        sqlite3_bind_int64(s, 1, 0);
        sqlite3_bind_int64(s, 2, date);
        sqlite3_bind_int64(s, 3, time);
        sqlite3_bind_int64(s, 4, INT64_MIN);
        if (sqlite3_step(s) != SQLITE_ROW) state.SkipWithError("no record");
        auto row = decode(s);
        benchmark::DoNotOptimize(row);
        sqlite3_reset(s);
    }};
}

// A browse page: 25 records of SCH:KEYDATE from the key value at the given depth of the order.
StdDate dateAt(int percent) { return bench::kToday + 2 + 3650 * percent / 100; }

bench::Side pageTarvelo(int percent) {
    auto view = std::make_shared<store::View>(large().table, key(ScheduleKey::keyDate));
    return {[view, percent](benchmark::State& state) {
        std::vector<store::Row> rows;
        (void)view->setAt(keyRow(0, dateAt(percent), 1));
        if (!readPage(*view, 25, rows).ok() || rows.size() != 25) state.SkipWithError("page ran out");
        benchmark::DoNotOptimize(rows);
    }};
}

bench::Side pageRaw(int percent) {
    sqlite3_stmt* s = large().raw.prepare("SELECT " + columns() +
                                          " FROM Schedule WHERE (DATE, TIME, _id) > (?1, ?2, ?3) AND NOT (DATE = 0 AND "
                                          "TIME = 0) ORDER BY DATE, TIME, _id LIMIT 25");
    return {[s, percent](benchmark::State& state) {
        std::vector<std::vector<store::Value>> rows;
        sqlite3_bind_int64(s, 1, dateAt(percent));
        sqlite3_bind_int64(s, 2, 1);
        sqlite3_bind_int64(s, 3, INT64_MIN);
        while (sqlite3_step(s) == SQLITE_ROW) rows.push_back(decode(s));
        sqlite3_reset(s);
        if (rows.size() != 25) state.SkipWithError("page ran out");
        benchmark::DoNotOptimize(rows);
    }};
}

// ---------------------------------------------------------------------------------------------------------
// Writing: a put of a record read before, whose last-run date changed; an add. Inside a transaction
// (begun before and committed after each block, untimed) or each durable on its own.

bench::Side putTarvelo() {
    auto rows = std::make_shared<std::vector<store::Row>>(someRows(11));
    auto i = std::make_shared<std::size_t>(0);
    return {[rows, i](benchmark::State& state) {
        store::Row& row = (*rows)[(*i)++ % rows->size()];
        std::get<std::int64_t>(row.values[static_cast<std::size_t>(kLastRunDate)]) += 1;
        if (!large().table.put(row).ok()) state.SkipWithError("put");
    }};
}

bench::Side putRaw() {
    // Rows of their own, so that each side's versions stay its own business.
    auto rows = std::make_shared<std::vector<store::Row>>(someRows(5003));
    auto i = std::make_shared<std::size_t>(0);
    sqlite3_stmt* s = large().raw.prepare(
        "UPDATE Schedule SET LASTRUNDATE = ?1, _version = _version + 1 WHERE _id = ?2 AND _version = ?3");
    return {[rows, i, s](benchmark::State& state) {
        store::Row& row = (*rows)[(*i)++ % rows->size()];
        auto& date = std::get<std::int64_t>(row.values[static_cast<std::size_t>(kLastRunDate)]);
        sqlite3_bind_int64(s, 1, ++date);
        sqlite3_bind_int64(s, 2, row.ref.rowId);
        sqlite3_bind_int64(s, 3, row.ref.version);
        if (sqlite3_step(s) != SQLITE_DONE || sqlite3_changes(large().raw.db()) != 1) state.SkipWithError("update");
        sqlite3_reset(s);
        ++row.ref.version;
    }};
}

// Each side's block of puts is one transaction of its own connection, begun and committed untimed.
bench::Side inTransaction(bench::Side side, bool driver) {
    auto tx = std::make_shared<store::Transaction>();
    side.beforeBlock = [driver, tx] {
        if (!driver) return large().raw.exec("BEGIN IMMEDIATE");
        if (!tx->begin({&large().table}).ok()) fail("begin");
    };
    side.afterBlock = [driver, tx] {
        if (!driver) return large().raw.exec("COMMIT");
        if (!tx->commit().ok()) fail("commit");
    };
    return side;
}

int nextAddedId = kLarge;

bench::Side addTarvelo() {
    auto random = std::make_shared<std::mt19937>(17);
    return {[random](benchmark::State& state) {
        store::Row row = scheduleBinding().toRow(bench::benchTask(++nextAddedId, *random));
        if (!large().table.add(row).ok()) state.SkipWithError("add");
    }};
}

bench::Side addRaw() {
    std::string placeholders;
    const std::size_t n = scheduleTableDef().fields.size();
    for (std::size_t i = 1; i <= n; ++i) placeholders += (i > 1 ? ", ?" : "?") + std::to_string(i);
    const std::string cols = columns().substr(std::string("_id, _version, ").size());
    sqlite3_stmt* s = large().raw.prepare("INSERT INTO Schedule (" + cols + ", _version) VALUES (" + placeholders + ", 1)");
    auto random = std::make_shared<std::mt19937>(17);
    return {[s, n, random](benchmark::State& state) {
        const store::Row row = scheduleBinding().toRow(bench::benchTask(++nextAddedId, *random));
        for (std::size_t i = 0; i < n; ++i) {
            if (const auto* v = std::get_if<std::int64_t>(&row.values[i])) {
                sqlite3_bind_int64(s, static_cast<int>(i + 1), *v);
            } else {
                const auto& text = std::get<std::string>(row.values[i]);
                sqlite3_bind_text(s, static_cast<int>(i + 1), text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
            }
        }
        if (sqlite3_step(s) != SQLITE_DONE) state.SkipWithError("insert");
        sqlite3_reset(s);
    }};
}

// ---------------------------------------------------------------------------------------------------------
// The scheduler's tick when nothing is due: the due-task read, the advance-warning read, the purge's read.

struct NullPorts : platform::ClockPort, platform::FramePort, platform::MessageBoxPort, platform::SoundPort, platform::ProgramStartPort,
                   platform::MessageWindowPort, platform::HaltPort {
    platform::Moment now() override { return {bench::kToday, bench::kNow}; }
    void setTitle(const std::string& title) override { benchmark::DoNotOptimize(title.data()); }
    bool isMinimized() const override { return false; }
    void restore() override {}
    int show(const platform::MessageBoxRequest&) override { return ++boxes, platform::kOk; }
    void playAsync(const std::string&) override {}
    bool start(const std::string&, const std::string&) override { return true; }
    void open(const std::string&) override {}
    int openCount() const override { return 0; }
    [[noreturn]] void halt(const std::string& stopText) override { fail(stopText); }
    [[noreturn]] void giveUp(const std::string& text) override { fail(text); }
    int boxes = 0;
};

struct TickParts {
    NullPorts ports;
    DataWarning warn{ports, ports};
    DataFiles files{warn, large().folder};
    TableUse use{files, TableId::schedule};
    Settings settings = [] {
        Settings s;
        s.programTitle = "Tarvelo '96";
        s.historyExpiryDays = bench::kExpiryDays;
        return s;
    }();
    Scheduler scheduler{files.schedule(), settings, {ports, ports, ports, ports, ports, ports}};
};

bench::Side idleTickTarvelo() {
    auto parts = std::make_shared<TickParts>();
    return {[parts](benchmark::State& state) {
        benchmark::DoNotOptimize(parts->scheduler.tick());
        if (parts->ports.boxes != 0) state.SkipWithError("something was due");
    }};
}

bench::Side idleTickRaw() {
    Raw& raw = large().raw;
    sqlite3_stmt* due = raw.prepare("SELECT " + columns() +
                                    " FROM Schedule WHERE NOT (DISABLED = 0 AND DATE = 0 AND TIME = 0) ORDER BY "
                                    "DISABLED, DATE, TIME, _id LIMIT 1");
    sqlite3_stmt* warned = raw.prepare(
        "SELECT " + columns() +
        " FROM Schedule WHERE NOT (ADVANCEWARNED = 0 AND ADVANCEWARNDATE = 0 AND ADVANCEWARNTIME = 0) ORDER BY "
        "ADVANCEWARNED, ADVANCEWARNDATE, ADVANCEWARNTIME, _id LIMIT 1");
    sqlite3_stmt* oldest = raw.prepare("SELECT " + columns() +
                                       " FROM Schedule WHERE (DISABLED, DATE, TIME, _id) > (1, 0, 0, ?1) AND NOT "
                                       "(DISABLED = 0 AND DATE = 0 AND TIME = 0) ORDER BY DISABLED, DATE, TIME, _id "
                                       "LIMIT 1");
    return {[due, warned, oldest](benchmark::State& state) {
        for (sqlite3_stmt* s : {due, warned, oldest}) {
            if (s == oldest) sqlite3_bind_int64(s, 1, INT64_MIN);
            if (sqlite3_step(s) != SQLITE_ROW) state.SkipWithError("no record");
            auto row = decode(s);
            benchmark::DoNotOptimize(row);
            sqlite3_reset(s);
        }
    }};
}

}  // namespace

int main(int argc, char** argv) {
    // Opening first, while nothing of this process holds the files.
    for (int tasks : {1'000, 100'000, kLarge}) {
        bench::registerPair("open, " + std::to_string(tasks) + " tasks", [tasks] { return openTarvelo(tasks); },
                            [tasks] { return openRaw(tasks); }, 1)
            ->MinTime(tasks == kLarge ? 20.0 : 2.0);
    }
    bench::registerPair("seek + read", seekTarvelo, seekRaw, 200);
    for (int percent : {1, 50, 99}) {
        bench::registerPair("25-row page at " + std::to_string(percent) + "%", [percent] { return pageTarvelo(percent); },
                            [percent] { return pageRaw(percent); }, 50);
    }
    bench::registerPair("put in a transaction", [] { return inTransaction(putTarvelo(), true); },
                        [] { return inTransaction(putRaw(), false); }, 200);
    bench::registerPair("durable put", putTarvelo, putRaw, 5);
    bench::registerPair("durable add", addTarvelo, addRaw, 5);
    bench::registerPair("idle tick", idleTickTarvelo, idleTickRaw, 200);
    const int result = bench::runWithRatios(argc, argv);
    large().removeAdded();  // the fixture as it was
    return result;
}
