// The run log's rules on a real data file: the output's tail, the bound per task, expiry with the completed
// copies, and the runs whose watcher is gone. (The words of an outcome are checked with its cell, in
// run_log_list_test.cpp.)
#include "runlog/run_log.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "fakes/browse_builders.h"
#include "fakes/case_names.h"
#include "fakes/data_fixture.h"
#include "fakes/run_entries.h"

namespace tarvelo::runlog {
namespace {

using test::NamedBy;
using test::runEntry;

struct TailCase {
    const char* name;
    std::vector<std::size_t> chunks;  // sizes appended in turn, of the bytes 0, 1, 2, ... mod 251
};

const TailCase kTails[] = {
    {"Nothing", {}},
    {"LessThanTheBuffer", {100, 200}},
    {"ExactlyTheBuffer", {kOutputBytes}},
    {"OneChunkLargerThanTheBuffer", {3 * kOutputBytes + 17}},
    {"ManyChunksWrappingAround", {1000, 3000, 1500, 4095, 7, 9000, 1}},
};

class OutputTailTest : public ::testing::TestWithParam<TailCase> {};

TEST_P(OutputTailTest, GivenChunksThenTheLastBytesAreKeptInOrder) {
    std::string all;
    OutputTail tail;
    for (std::size_t size : GetParam().chunks) {
        std::string chunk;
        for (std::size_t i = 0; i < size; ++i) chunk += static_cast<char>((all.size() + i) % 251);
        all += chunk;
        tail.append(chunk);
    }
    EXPECT_EQ(tail.total(), all.size());
    EXPECT_EQ(tail.bytes(), all.size() <= kOutputBytes ? all : all.substr(all.size() - kOutputBytes));
}

INSTANTIATE_TEST_SUITE_P(Chunks, OutputTailTest, ::testing::ValuesIn(kTails), NamedBy<&TailCase::name>{});

TEST(StoredOutput, GivenControlsAndBrokenBytesThenTheyAreEscapedAndTheTailIsCutAtAWholeCharacter) {
    EXPECT_EQ(storedOutput("ok\n\x1b[31mred\tx\xff"), "ok\n\\e[31mred\tx\\xff");
    const std::string wide = std::string(kOutputBytes, 'a') + "é";  // two bytes at the very end
    const std::string kept = storedOutput("z" + wide);
    EXPECT_EQ(kept.size(), kOutputBytes);
    EXPECT_EQ(kept.substr(kept.size() - 2), "é");
    // The cut would fall inside é: the whole character goes.
    EXPECT_EQ(storedOutput("é" + std::string(kOutputBytes - 1, 'a')), std::string(kOutputBytes - 1, 'a'));
}

TEST(LastLine, GivenOutputThenTheLastLineWithTextIsTaken) {
    EXPECT_EQ(lastLine("one\ntwo\n\n  \n"), "two");
    EXPECT_EQ(lastLine("only"), "only");
    EXPECT_EQ(lastLine("a\r\nb\r\n"), "b");
    EXPECT_EQ(lastLine(""), "");
    EXPECT_EQ(lastLine("\n \n"), "");
}

class RunLogTableTest : public test::DataTest {
protected:
    RunLogTableTest() : use(std::in_place, *files, TableId::runLog), log(files->runLog()) {}

    std::vector<RunEntry> all() { return test::loggedRuns(log); }

    std::optional<TableUse> use;
    RecordTable<RunEntry> log;
};

TEST_F(RunLogTableTest, GivenATaskAtItsBoundWhenAnEntryIsAddedThenItsOldestGoAndOtherTasksKeepTheirs) {
    const std::pair<int, StdTime> runsOfTasks[] = {{7, 5}, {8, 2}, {6, 1}};  // in this order, the bound 3
    for (const auto& [task, runs] : runsOfTasks) {
        for (StdTime t = 1; t <= runs; ++t) {
            RunEntry e = runEntry(task, 100, RunState::ended, t);
            ASSERT_TRUE(addEntry(log, e, 3).ok());
        }
    }
    std::vector<std::pair<int, StdTime>> kept;
    for (const RunEntry& e : all()) kept.emplace_back(e.task, e.startTime);
    EXPECT_EQ(kept, (std::vector<std::pair<int, StdTime>>{{6, 1}, {7, 3}, {7, 4}, {7, 5}, {8, 1}, {8, 2}}));
}

TEST_F(RunLogTableTest, GivenTheExpiryThenOlderEntriesGoExceptARunUnderWay) {
    for (RunEntry e : {runEntry(1, 90), runEntry(2, 95, RunState::running), runEntry(3, 96), runEntry(4, 100)}) ASSERT_TRUE(addEntry(log, e).ok());
    ASSERT_TRUE(purgeExpired(log, 0, 100).ok());  // 0 keeps everything
    EXPECT_EQ(all().size(), 4u);
    ASSERT_TRUE(purgeExpired(log, 4, 100).ok());  // kept: started on day 96 or later
    std::vector<int> tasks;
    for (const RunEntry& e : all()) tasks.push_back(e.task);
    EXPECT_EQ(tasks, (std::vector<int>{2, 3, 4}));
}

TEST_F(RunLogTableTest, GivenRunningEntriesThenOnlyThoseWhoseWatcherIsGoneAreMarkedNoResult) {
    RunEntry live = runEntry(1, 100, RunState::running), dead = runEntry(2, 100, RunState::running),
             earlier = runEntry(3, 100, RunState::running), done = runEntry(4, 100);
    live.bootId = dead.bootId = "this boot";
    earlier.bootId = "the boot before";
    live.watcher = earlier.watcher = 11;
    dead.watcher = 22;
    for (RunEntry* e : {&live, &dead, &earlier, &done}) ASSERT_TRUE(addEntry(log, *e).ok());
    int marked = 0;
    ASSERT_TRUE(markNoResult(log, "this boot", [](std::int32_t pid) { return pid == 11; }, &marked).ok());
    EXPECT_EQ(marked, 2);
    std::vector<RunState> states;
    for (const RunEntry& e : all()) states.push_back(stateOf(e));
    EXPECT_EQ(states, (std::vector<RunState>{RunState::running, RunState::noResult, RunState::noResult, RunState::ended}));

    // A watcher that comes back with the end after all has the last word.
    dead.state = std::string(stateText(RunState::ended));
    dead.exitStatus = 3;
    ASSERT_TRUE(storeEnd(log, dead).ok());
    EXPECT_EQ(stateOf(all()[1]), RunState::ended);
    EXPECT_EQ(all()[1].exitStatus, 3);
}

// A run's two writes, the starter's "running" and the watcher's end, in every order they can land in,
// beside an earlier run of the task at the same moment under another watcher, which stays its own.
struct WritesCase {
    const char* name;
    std::vector<bool> writes;  // in order: true the starter's, false the watcher's
};

const WritesCase kWrites[] = {
    {"StarterFirst", {true, false}},
    {"WatcherFirst", {false, true}},
    {"WatcherAlone", {false}},
};

class RunWritesTest : public RunLogTableTest, public ::testing::WithParamInterface<WritesCase> {};

TEST_P(RunWritesTest, GivenTheTwoWritesOfARunInThisOrderThenItHasOneEntryWithItsEnd) {
    RunEntry other = runEntry(1, 100, RunState::ended, 7);
    other.bootId = "this boot";
    other.watcher = 10;
    ASSERT_TRUE(addEntry(log, other).ok());
    for (bool starter : GetParam().writes) {
        RunEntry e = runEntry(1, 100, starter ? RunState::running : RunState::ended, 7, starter ? 0 : 3);
        e.bootId = "this boot";
        e.watcher = 11;
        ASSERT_TRUE((starter ? addRunning(log, e) : storeEnd(log, e)).ok());
    }
    const std::vector<RunEntry> entries = all();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].watcher, 10);
    EXPECT_EQ(entries[1].watcher, 11);
    EXPECT_EQ(stateOf(entries[1]), RunState::ended);
    EXPECT_EQ(entries[1].exitStatus, 3);
}

INSTANTIATE_TEST_SUITE_P(Orders, RunWritesTest, ::testing::ValuesIn(kWrites), NamedBy<&WritesCase::name>{});

TEST_F(RunLogTableTest, GivenThisProcessThenItIsNoWatcherAndTheBootIdIsRead) {
    EXPECT_FALSE(watcherAlive(static_cast<std::int32_t>(::getpid())));  // not tarvelo96-watch
    EXPECT_FALSE(watcherAlive(0));
    EXPECT_EQ(currentBootId().size(), 36u);
}

TEST_F(RunLogTableTest, GivenAnOlderFileWithoutTheRunLogWhenOpenedThenItGainsItAndKeepsEverythingElse) {
    {
        TableUse schedule(*files, TableId::schedule);
        Task t = test::taskIn("", "kept", 5);
        ASSERT_TRUE(files->schedule().add(t).ok());
    }
    RunEntry e = runEntry(1, 100);
    ASSERT_TRUE(addEntry(log, e).ok());
    use.reset();
    files.reset();
    test::runSql(dataFile(), "DROP TABLE \"RunLog\"");
    reopenFiles();
    TableUse again(*files, TableId::runLog);
    TableUse schedule(*files, TableId::schedule);
    EXPECT_EQ(files->table(TableId::runLog).records().value(), 0);
    EXPECT_EQ(files->table(TableId::schedule).records().value(), 1);
    EXPECT_EQ(messages.count(), 0u);
    EXPECT_FALSE(halt.halted());
}

}  // namespace
}  // namespace tarvelo::runlog
