// The scheduler's tick when nothing is due, over a Schedule table of 1,000,000 tasks: enabled tasks all in
// the future (some with advance warnings to come, some warned), switched-off tasks and completed copies
// younger than the history expiry. The table is built once per run in a temporary folder (or kept in
// $TARVELO_ENGINE_BENCH_FOLDER between runs).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "core/settings.h"
#include "data/data_files.h"
#include "data/data_warning.h"
#include "engine/scheduler.h"
#include "store/store.h"

namespace {

using namespace tarvelo;

constexpr int kTasks = 1'000'000;
const StdDate kToday = dateFromYmd(1996, 10, 31);
const StdTime kNow = timeFromHms(12, 0);
constexpr int kExpiryDays = 30;

struct NullPorts : platform::ClockPort, platform::FramePort, platform::MessageBoxPort, platform::SoundPort, platform::ProgramStartPort,
                   platform::MessageWindowPort, platform::HaltPort {
    platform::Moment now() override { return {kToday, kNow}; }
    void setTitle(const std::string& title) override { benchmark::DoNotOptimize(title.data()); }
    bool isMinimized() const override { return false; }
    void restore() override {}
    int show(const platform::MessageBoxRequest&) override {
        ++boxes;
        return platform::kOk;
    }
    void playAsync(const std::string&) override {}
    bool start(const std::string&, const std::string&) override { return true; }
    void open(const std::string&) override {}
    int openCount() const override { return 0; }
    [[noreturn]] void halt(const std::string& stopText) override {
        std::fprintf(stderr, "%s\n", stopText.c_str());
        std::abort();
    }
    [[noreturn]] void giveUp(const std::string& text) override {
        std::fprintf(stderr, "gave up: %s\n", text.c_str());
        std::abort();
    }
    int boxes = 0;
};

Task makeTask(int id, std::mt19937& random) {
    Task s;
    s.id = id;
    s.taskType = TaskType::DisplayMessage;
    s.description = "Task number " + std::to_string(id);
    s.scheduleType = ScheduleType::Custom;
    s.every = 1;
    s.everyType = RepetitionUnit::Day;
    s.time = 1 + static_cast<StdTime>(random() % kOneDay);
    s.message = "Reminder for task " + std::to_string(id);
    const unsigned kind = random() % 20;
    if (kind == 0) {  // a completed copy, younger than the expiry
        s.disabled = s.completed = 1;
        s.date = kToday - static_cast<StdDate>(random() % kExpiryDays);
    } else if (kind == 1) {  // switched off by the user, dated later
        s.disabled = 1;
        s.date = kToday + 2 + static_cast<StdDate>(random() % 3650);
    } else {
        s.date = kToday + 2 + static_cast<StdDate>(random() % 3650);
        if (kind < 6) {  // a warning still to come, or one already given
            s.advanceWarnDate = s.date - 1;
            s.advanceWarnTime = s.time;
            s.advanceWarned = kind < 4 ? 0 : 1;
        }
    }
    return s;
}

struct Fixture {
    Fixture() {
        if (const char* kept = std::getenv("TARVELO_ENGINE_BENCH_FOLDER")) {
            folder = kept;
            keep = true;
            std::filesystem::create_directories(folder);
        } else {
            std::string pattern = (std::filesystem::temp_directory_path() / "tarvelo-engine-bench-XXXXXX").string();
            folder = ::mkdtemp(pattern.data());
        }
        files = std::make_unique<DataFiles>(warn, folder);
        files->use(TableId::schedule);
        auto schedule = files->schedule();
        if (schedule.records().value >= kTasks) return;
        std::mt19937 random(1996);
        store::Transaction tx;
        if (!tx.begin({&schedule.table()}).ok()) std::abort();
        for (int id = static_cast<int>(schedule.records().value) + 1; id <= kTasks; ++id) {
            Task s = makeTask(id, random);
            if (const store::Status added = schedule.add(s); !added.ok()) {
                std::fprintf(stderr, "cannot fill the table: %s\n", added.message.c_str());
                std::abort();
            }
        }
        if (!tx.commit().ok()) std::abort();
    }
    ~Fixture() {
        files->release(TableId::schedule);
        files.reset();
        if (!keep) std::filesystem::remove_all(folder);
    }

    NullPorts ports;
    DataWarning warn{ports, ports};
    std::string folder;
    bool keep = false;
    std::unique_ptr<DataFiles> files;
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

Scheduler makeScheduler(Settings& settings) {
    Fixture& f = fixture();
    settings.programTitle = "Tarvelo '96";
    settings.historyExpiryDays = kExpiryDays;
    return Scheduler(f.files->schedule(), settings, {f.ports, f.ports, f.ports, f.ports, f.ports, f.ports});
}

// The whole tick: the due-task read, the advance-warning read and the purge's first read.
void BM_IdleTick(benchmark::State& state) {
    Settings settings;
    Scheduler scheduler = makeScheduler(settings);
    for (auto _ : state) benchmark::DoNotOptimize(scheduler.tick());
    if (fixture().ports.boxes != 0) state.SkipWithError("something was due");
}
BENCHMARK(BM_IdleTick)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_IdleCheckDueTask(benchmark::State& state) {
    Settings settings;
    Scheduler scheduler = makeScheduler(settings);
    for (auto _ : state) benchmark::DoNotOptimize(scheduler.checkDueTask());
}
BENCHMARK(BM_IdleCheckDueTask)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_IdleCheckAdvanceWarning(benchmark::State& state) {
    Settings settings;
    Scheduler scheduler = makeScheduler(settings);
    for (auto _ : state) benchmark::DoNotOptimize(scheduler.checkAdvanceWarning());
}
BENCHMARK(BM_IdleCheckAdvanceWarning)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_IdlePurgeHistory(benchmark::State& state) {
    Settings settings;
    Scheduler scheduler = makeScheduler(settings);
    for (auto _ : state) benchmark::DoNotOptimize(scheduler.purgeHistory());
}
BENCHMARK(BM_IdlePurgeHistory)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
