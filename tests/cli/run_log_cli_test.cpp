// The run log through real processes: each task's program started under its watcher by `tick` and `run`,
// and what `log --json` says of it once the program has ended.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "data/data_files.h"
#include "fakes/case_names.h"
#include "fakes/data_fixture.h"
#include "fakes/json_lines.h"
#include "fakes/lock_wait.h"
#include "fakes/processes.h"
#include "fakes/run_entries.h"
#include "runlog/run_log.h"

namespace tarvelo::test {
namespace {

using Json = nlohmann::json;
using Clock = std::chrono::steady_clock;

constexpr const char* kAt = "1997-01-31 17:31:00";  // a minute after every task below is due

class RunLogCliTest : public ::testing::Test {
protected:
    // A "Once" task due at 1997-01-31 17:30 that runs command.
    void addTask(int id, const std::string& description, const std::string& command) {
        FolderFiles data(folders.data());
        TableUse use(data.files, TableId::schedule);
        Task t;
        t.id = id;
        t.description = description;
        t.taskType = TaskType::RunProgram;
        t.scheduleType = ScheduleType::Once;
        t.command = command;
        t.date = dateFromYmd(1997, 1, 31);
        t.time = timeFromHms(17, 30);
        ASSERT_TRUE(data.files.schedule().add(t).ok());
    }
    CliResult tick() { return runCliIn(folders, {"tick", "--at", kAt}, {kPatientLockWait}); }
    std::vector<Json> log() {
        const CliResult r = runCliIn(folders, {"log", "--json"});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return jsonLines(r.out);
    }
    // The log once count entries have ended (or timeoutMs has passed).
    std::vector<Json> endedLog(std::size_t count, int timeoutMs = 20000) {
        const auto until = Clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            std::vector<Json> entries = log();
            std::size_t ended = 0;
            for (const auto& e : entries) ended += e["state"] != "running";
            if ((ended >= count && entries.size() >= count) || Clock::now() > until) return entries;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }

    SchedulerFolders folders;
};

struct EndCase {
    const char* name;
    const char* command;
    Json exitStatus;  // null when a signal ended it
    int signal;
    const char* output;
};

const EndCase kEnds[] = {
    {"ExitZero", "sh -c 'echo fine'", 0, 0, "fine\n"},
    {"ExitThree", "sh -c 'echo first; echo broke >&2; exit 3'", 3, 0, "first\nbroke\n"},
    {"KilledBySignal", "sh -c 'echo going; kill -9 $$'", nullptr, 9, "going\n"},
};

class ProgramEndTest : public RunLogCliTest, public ::testing::WithParamInterface<EndCase> {};

TEST_P(ProgramEndTest, GivenATickThatStartsTheProgramWhenItEndsThenTheLogHoldsItsStatusDurationAndOutput) {
    addTask(1, "Backup", GetParam().command);
    const CliResult r = tick();
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::vector<Json> entries = endedLog(1);
    ASSERT_EQ(entries.size(), 1u);
    const Json& e = entries[0];
    EXPECT_EQ(e["state"], "ended");
    EXPECT_EQ(e["task"], 1);
    EXPECT_EQ(e["description"], "Backup");
    EXPECT_EQ(e["command"], GetParam().command);
    EXPECT_EQ(e["exit_status"], GetParam().exitStatus);
    EXPECT_EQ(e.value("signal", 0), GetParam().signal);
    EXPECT_EQ(e["output"], GetParam().output);
    EXPECT_GE(e["duration_ms"].get<int>(), 0);
    EXPECT_FALSE(e["started"].get<std::string>().empty());
    EXPECT_FALSE(e["ended"].get<std::string>().empty());
}

INSTANTIATE_TEST_SUITE_P(Ends, ProgramEndTest, ::testing::ValuesIn(kEnds), NamedBy<&EndCase::name>{});

TEST_F(RunLogCliTest, GivenAProgramThatRunsLongWhenTickedThenTheTickReturnsAtOnceAndTheRunIsLoggedRunning) {
    // The program says its process id, so the test ends it (and with it its watcher) afterwards.
    const std::string pidFile = folders.file("sleeper.pid");  // the program starts in the data folder
    addTask(1, "Sleeper", "sh -c 'echo $$ > sleeper.pid; exec sleep 30'");
    const auto began = Clock::now();
    const CliResult r = tick();
    const auto took = Clock::now() - began;
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_LT(took, std::chrono::seconds(1));
    std::vector<Json> entries;
    for (int i = 0; i < 100 && entries.empty(); ++i, std::this_thread::sleep_for(std::chrono::milliseconds(20))) entries = log();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0]["state"], "running");
    EXPECT_EQ(entries[0]["exit_status"], nullptr);
    ASSERT_TRUE(awaitLines(pidFile, 1, 5000));
    ::kill(std::stoi(fileLines(pidFile)[0]), SIGTERM);
    EXPECT_EQ(endedLog(1)[0]["signal"], SIGTERM);
}

TEST_F(RunLogCliTest, GivenAProgramUnderWayThenItsWatcherHasNotLoadedIcu) {
    // The program's parent is its watcher; both ids are written, so the test ends the program afterwards.
    const std::string pidFile = folders.file("sleeper.pid");
    addTask(1, "Sleeper", "sh -c 'echo $$ $PPID > sleeper.pid; exec sleep 30'");
    ASSERT_EQ(tick().exitCode, 0);
    ASSERT_TRUE(awaitLines(pidFile, 1, 5000));
    std::istringstream ids(fileLines(pidFile)[0]);
    pid_t program = 0, watcher = 0;
    ids >> program >> watcher;
    const std::vector<std::string> maps = fileLines("/proc/" + std::to_string(watcher) + "/maps");
    ::kill(program, SIGTERM);
    const auto has = [&](const char* library) {
        return std::any_of(maps.begin(), maps.end(), [&](const std::string& m) { return m.find(library) != m.npos; });
    };
    ASSERT_TRUE(has("libsqlite3")) << "not the watcher's map";
    EXPECT_FALSE(has("libicu")) << "the run log's keys are ASCII: the watcher needs no ICU";
    EXPECT_EQ(endedLog(1)[0]["signal"], SIGTERM);
}

TEST_F(RunLogCliTest, GivenATickReadThroughAPipeWhileItsProgramRunsThenThePipeClosesWithTheTick) {
    const std::string pidFile = folders.file("sleeper.pid");
    addTask(1, "Sleeper", "sh -c 'echo $$ > sleeper.pid; exec sleep 30'");
    // `tick 2>&1 | cat`: the reader ends when the tick does, not when the program does.
    const std::optional<std::string> piped = pipedCliIn(folders, {"tick", "--at", kAt}, 5000);
    ASSERT_TRUE(awaitLines(pidFile, 1, 5000));
    ::kill(std::stoi(fileLines(pidFile)[0]), SIGTERM);
    ASSERT_TRUE(piped.has_value()) << "the pipe stayed open while the program ran";
    EXPECT_NE(piped->find("\"event\""), std::string::npos) << *piped;
}

TEST_F(RunLogCliTest, GivenAProgramThatWritesTenMegabytesThenItIsNeverBlockedAndTheLastFourKilobytesAreKept) {
    addTask(1, "Chatty", "sh -c 'head -c 10000000 /dev/zero | tr \"\\\\000\" a; echo; echo last line'");
    ASSERT_EQ(tick().exitCode, 0);
    const std::vector<Json> entries = endedLog(1, 50000);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0]["exit_status"], 0);
    const std::string output = entries[0]["output"];
    EXPECT_EQ(output.size(), runlog::kOutputBytes);
    EXPECT_EQ(output.substr(output.size() - 11), "\nlast line\n");
    EXPECT_EQ(output.substr(0, 8), "aaaaaaaa");
}

TEST_F(RunLogCliTest, GivenNoWatcherWhereTheProgramsFindItThenTheProgramStillStartsAndItsRunIsLoggedNotWatched) {
    addTask(1, "Plain", "true");
    const CliResult r = [&] {
        const LoneCli alone(folders);
        return tick();
    }();
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("the program of task 1 is not watched"), std::string::npos) << r.err;
    const std::vector<Json> entries = log();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0]["state"], "not watched");
    EXPECT_EQ(entries[0]["command"], "true");
}

TEST_F(RunLogCliTest, GivenAProgramThatCannotBeStartedThenTheRunCodeIsReportedAndTheRunLoggedAsNotStarted) {
    addTask(1, "Missing", "/no/such/program --now");
    const CliResult r = tick();
    ASSERT_EQ(r.exitCode, 0) << r.err;
    bool errorBox = false;
    for (const auto& e : jsonLines(r.out)) errorBox |= e["event"] == "messagebox" && e["text"] == "Run code -4";
    EXPECT_TRUE(errorBox) << r.out;
    const std::vector<Json> entries = endedLog(1);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0]["state"], "not started");
    EXPECT_EQ(entries[0]["exit_status"], nullptr);
}

TEST_F(RunLogCliTest, GivenTheSchedulerKilledWhileItsProgramRunsThenTheEntryStillAppearsWhenTheProgramEnds) {
    addTask(1, "Outliver", "sh -c 'sleep 1; echo survived'");
    CliProcess scheduler({"run"}, folders, {kPatientLockWait});
    std::vector<Json> entries;
    for (int i = 0; i < 500 && entries.empty(); ++i, std::this_thread::sleep_for(std::chrono::milliseconds(20))) entries = log();
    ASSERT_EQ(entries.size(), 1u) << scheduler.err();
    scheduler.kill(SIGKILL);
    scheduler.wait();
    entries = endedLog(1);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0]["state"], "ended");
    EXPECT_EQ(entries[0]["output"], "survived\n");
}

TEST_F(RunLogCliTest, GivenTwoSchedulersOnOneFolderThenEachRunHasOneEntry) {
    constexpr int kTasks = 6;
    for (int id = 1; id <= kTasks; ++id) addTask(id, "Task " + std::to_string(id), "true");
    {
        CliProcess a({"run"}, folders, {kPatientLockWait, kQuickTicks});
        CliProcess b({"run"}, folders, {kPatientLockWait, kQuickTicks});
        const auto until = Clock::now() + std::chrono::seconds(40);
        while (log().size() < kTasks && Clock::now() < until) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    const std::vector<Json> entries = endedLog(kTasks);
    ASSERT_EQ(entries.size(), std::size_t{kTasks});
    std::vector<int> tasks;
    for (const auto& e : entries) tasks.push_back(e["task"]);
    std::sort(tasks.begin(), tasks.end());
    EXPECT_EQ(tasks, (std::vector<int>{1, 2, 3, 4, 5, 6}));
    // The watchers came to the file lean beside the schedulers: it is whole, and its log goes with the
    // last connection (a watcher's or, once they are all gone, the next reader's).
    const CliResult check = runCliIn(folders, {"check"});
    EXPECT_EQ(check.exitCode, 0) << check.out << check.err;
    for (int i = 0; i < 50 && std::filesystem::exists(folders.file("SM.KTB-wal")); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        (void)log();
    }
    EXPECT_FALSE(std::filesystem::exists(folders.file("SM.KTB-wal")));
}

TEST_F(RunLogCliTest, GivenRunsWhoseWatcherIsGoneWhenASchedulerOpensTheFolderThenTheyAreMarkedNoResult) {
    {
        FolderFiles data(folders.data());
        TableUse use(data.files, TableId::runLog);
        auto log = data.files.runLog();
        const auto running = [](int task, const std::string& boot, std::int32_t watcher) {
            RunEntry e = runEntry(task, dateFromYmd(2026, 1, 2), runlog::RunState::running, timeFromHms(3, 4));
            e.bootId = boot;
            e.watcher = watcher;
            return e;
        };
        RunEntry otherBoot = running(1, "an earlier boot", static_cast<std::int32_t>(::getpid()));
        RunEntry goneWatcher = running(2, runlog::currentBootId(), 0x7ffffff0);
        ASSERT_TRUE(runlog::addEntry(log, otherBoot).ok());
        ASSERT_TRUE(runlog::addEntry(log, goneWatcher).ok());
    }
    ASSERT_EQ(tick().exitCode, 0);
    const std::vector<Json> entries = log();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0]["state"], "no result");
    EXPECT_EQ(entries[1]["state"], "no result");
    EXPECT_EQ(entries[0]["exit_status"], nullptr);
}

}  // namespace
}  // namespace tarvelo::test
