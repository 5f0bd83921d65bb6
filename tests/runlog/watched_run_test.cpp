// A run's two writes through real processes: this test is the starter, the watcher a real tarvelo96-watch
// on the test's own open data file, and the program's length decides whose write lands first.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "fakes/case_names.h"
#include "fakes/data_fixture.h"
#include "fakes/processes.h"
#include "fakes/run_entries.h"
#include "platform/watched_start.h"
#include "runlog/run_log.h"

namespace tarvelo::runlog {
namespace {

using test::NamedBy;

struct StarterCase {
    const char* name;
    const char* command;
    bool starterWrites;
    bool waitForTheEndFirst;  // the watcher's end lands before the starter's "running"
};

const StarterCase kStarters[] = {
    {"ProgramEndsBeforeTheStarterWrites", "true", true, true},
    {"ProgramRunsWhileTheStarterWrites", "sleep 0.5", true, false},
    {"StarterNeverWrites", "true", false, false},
};

class WatchedRunTest : public test::DataTest, public ::testing::WithParamInterface<StarterCase> {
protected:
    WatchedRunTest() : use(*files, TableId::runLog), log(files->runLog()) {}

    std::vector<RunEntry> all() { return test::loggedRuns(log); }
    // The entries once one has ended, or after ten seconds.
    std::vector<RunEntry> ended() {
        for (int i = 0; i < 500; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(20))) {
            std::vector<RunEntry> entries = all();
            for (const RunEntry& e : entries)
                if (stateOf(e) == RunState::ended) return entries;
        }
        return all();
    }

    TableUse use;
    RecordTable<RunEntry> log;
};

TEST_P(WatchedRunTest, GivenTheStartersWriteInEitherOrderOrNoneThenTheRunHasOneWholeEntry) {
    const platform::Watcher watcher{TARVELO_WATCHER, folder.path()};
    platform::WatchReport report;
    ASSERT_EQ(platform::startWatched(watcher, GetParam().command, folder.path(), {4, "Nightly"}, &report),
              platform::WatchedStart::started);
    EXPECT_GT(report.watcher, 0);
    if (GetParam().waitForTheEndFirst) {
        ASSERT_EQ(ended().size(), 1u);
    }
    if (GetParam().starterWrites) {
        RunEntry running = runningEntry(GetParam().command, {4, "Nightly"}, report, currentBootId());
        ASSERT_TRUE(addRunning(log, running).ok());
        if (!GetParam().waitForTheEndFirst) {
            EXPECT_EQ(stateOf(all().at(0)), RunState::running);
        }
    }
    const std::vector<RunEntry> entries = ended();
    ASSERT_EQ(entries.size(), 1u);
    const RunEntry& e = entries[0];
    EXPECT_EQ(stateOf(e), RunState::ended);
    EXPECT_EQ(e.exitStatus, 0);
    EXPECT_EQ(e.description.text(), "Nightly");
    EXPECT_EQ(e.command.text(), GetParam().command);
    EXPECT_EQ(e.startDate, report.start.date);
    EXPECT_EQ(e.startTime, report.start.time);
    EXPECT_EQ(e.watcher, report.watcher);
    EXPECT_EQ(e.bootId.text(), currentBootId());
    EXPECT_NE(e.endDate, 0);
}

INSTANTIATE_TEST_SUITE_P(Starters, WatchedRunTest, ::testing::ValuesIn(kStarters), NamedBy<&StarterCase::name>{});

TEST_F(WatchedRunTest, GivenTheStartersRunningEntryWhenItsWatcherIsKilledThenTheRunIsMarkedNoResult) {
    // The program writes its id in the folder, so the test ends it too once its watcher is gone.
    const std::string command = "sh -c 'echo $$ > program.pid; exec sleep 30'";
    const platform::Watcher watcher{TARVELO_WATCHER, folder.path()};
    platform::WatchReport report;
    ASSERT_EQ(platform::startWatched(watcher, command, folder.path(), {4, "Nightly"}, &report),
              platform::WatchedStart::started);
    RunEntry running = runningEntry(command, {4, "Nightly"}, report, currentBootId());
    ASSERT_TRUE(addRunning(log, running).ok());
    int marked = 0;
    ASSERT_TRUE(markNoResult(log, currentBootId(), watcherAlive, &marked).ok());
    EXPECT_EQ(marked, 0) << "its watcher lives";

    ASSERT_EQ(::kill(report.watcher, SIGKILL), 0);
    ASSERT_TRUE(test::awaitLines(folder.file("program.pid"), 1, 5000));
    ::kill(std::stoi(test::fileLines(folder.file("program.pid"))[0]), SIGTERM);
    // Until its new parent has reaped it, the killed watcher is still a process of that name.
    for (int i = 0; i < 250 && marked == 0; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(20)))
        ASSERT_TRUE(markNoResult(log, currentBootId(), watcherAlive, &marked).ok());
    EXPECT_EQ(marked, 1);
    ASSERT_EQ(all().size(), 1u);
    EXPECT_EQ(stateOf(all()[0]), RunState::noResult);
}

}  // namespace
}  // namespace tarvelo::runlog
