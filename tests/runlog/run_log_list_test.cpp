// The run log as the lists show it: a run's outcome in words and as its result cell, its duration, and the
// schedule browse's Last Result read a page at a time.
#include "runlog/run_log_list.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

#include "data/schedule_browse.h"
#include "fakes/browse_builders.h"
#include "fakes/case_names.h"
#include "fakes/data_fixture.h"
#include "fakes/run_entries.h"
#include "runlog/run_log.h"

namespace tarvelo::runlog {
namespace {

using test::NamedBy;
using ::testing::ElementsAre;

const StdDate kDay = dateFromYmd(1996, 10, 28);
constexpr StdTime kFiveThirty = 17 * 360000 + 30 * 6000 + 1;

RunEntry run(int task, RunState state, int exitStatus = 0, int signal = 0, std::int32_t durationMs = 0) {
    RunEntry e = test::runEntry(task, kDay, state, kFiveThirty, exitStatus, signal);
    if (state == RunState::ended) {
        e.endDate = kDay;
        e.endTime = kFiveThirty + 6000;  // a minute later
    }
    e.durationMs = durationMs;
    return e;
}

// What became of a run, in words, as a failure to tell, and as its cell in the lists.
struct RunCase {
    const char* name;
    RunState state;
    int exitStatus;
    int signal;
    const char* outcome;
    bool failed;  // and its cell red
    const char* cell;
    const char* tip;
};

const RunCase kRuns[] = {
    {"ExitZero", RunState::ended, 0, 0, "exit status 0", false, "0", "exit status 0 at Oct 28, 1996 5:31PM"},
    {"ExitThree", RunState::ended, 3, 0, "exit status 3", true, "3", "exit status 3 at Oct 28, 1996 5:31PM"},
    {"Killed", RunState::ended, 0, 9, "ended by signal 9 (Killed)", true, "signal 9",
     "ended by signal 9 (Killed) at Oct 28, 1996 5:31PM"},
    {"NotStarted", RunState::notStarted, 0, 0, "could not be started", true, "not started",
     "could not be started at Oct 28, 1996 5:30PM"},
    {"Running", RunState::running, 0, 0, "running", false, "running", "running at Oct 28, 1996 5:30PM"},
    {"NoResult", RunState::noResult, 0, 0, "no result", false, "no result", "no result at Oct 28, 1996 5:30PM"},
};

void PrintTo(const RunCase& c, std::ostream* out) { *out << c.name; }

class RunOutcomeTest : public ::testing::TestWithParam<RunCase> {};

TEST_P(RunOutcomeTest, GivenARunThenItsOutcomeIsWordedAFailureIsToldAndItsCellIsRed) {
    const RunCase& c = GetParam();
    const RunEntry e = run(1, c.state, c.exitStatus, c.signal);
    EXPECT_EQ(stateOf(e), c.state);
    EXPECT_EQ(outcomeText(e), c.outcome);
    EXPECT_EQ(failed(e), c.failed);
    EXPECT_EQ(failureSummary(e), std::string("Task 1 failed: ") + c.outcome);
    const platform::ListCell cell = resultCell(e);
    EXPECT_EQ(cell.text, c.cell);
    EXPECT_EQ(cell.tip, c.tip);
    EXPECT_EQ(cell.foreground, c.failed ? std::optional(kFailedColour) : std::nullopt);
    EXPECT_EQ(cell.selectedForeground, c.failed ? std::optional(kFailedSelectedColour) : std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(Runs, RunOutcomeTest, ::testing::ValuesIn(kRuns), NamedBy<&RunCase::name>{});

TEST(DurationText, GivenHowLongARunTookThenTheUnitFitsIt) {
    const auto took = [](std::int32_t ms) { return durationText(run(1, RunState::ended, 0, 0, ms)); };
    EXPECT_EQ(took(850), "850 ms");
    EXPECT_EQ(took(12'345), "12.3 s");
    EXPECT_EQ(took(245'000), "4 min 05 s");
    EXPECT_EQ(took(7'380'000), "2 h 03 min");
    EXPECT_EQ(durationText(run(1, RunState::running)), "");
}

// --- Read from the data file ----------------------------------------------------------------------

// Counts the reads the browse asks for, and what each was for.
class CountingLastRuns : public LastRuns {
public:
    explicit CountingLastRuns(store::Table& log) : m_real(log) {}
    store::Status cells(const std::vector<std::int32_t>& tasks,
                        std::unordered_map<std::int32_t, platform::ListCell>& out) override {
        asked.push_back(tasks);
        return m_real.cells(tasks, out);
    }
    std::vector<std::vector<std::int32_t>> asked;

private:
    RunLogLastRuns m_real;
};

class RunLogListsTest : public test::DataTest {
protected:
    RunLogListsTest() : schedule(*files, TableId::schedule), runLog(*files, TableId::runLog) {}

    void addTask(int id, TaskType type, StdTime time) {
        Task task = test::scheduled("Task " + std::to_string(id), kDay, time);
        task.id = id;
        task.taskType = type;
        ASSERT_TRUE(files->schedule().add(task).ok());
    }
    void addRun(RunEntry e, StdTime at) {
        e.startTime = at;
        ASSERT_TRUE(addEntry(files->runLog(), e).ok());
    }
    std::vector<std::string> column(const platform::PageList& list, int column) {
        std::vector<std::string> out;
        for (int row = 0; row < list.entryCount(); ++row) out.push_back(list.cell(row, column).text);
        return out;
    }

    TableUse schedule, runLog;
};

TEST_F(RunLogListsTest, GivenProgramTasksWithRunsThenEachRowShowsItsLatestAndAPageCostsOneReadOfTheLog) {
    // GIVEN tasks 1-6 in this order of the day: 1 ran twice (0, then 3), 2 was killed, 3 is a message, 4
    // (Both) never ran, 5 (Both) could not be started, 6 is a message task that once ran a program
    addTask(1, TaskType::RunProgram, 100);
    addTask(2, TaskType::RunProgram, 200);
    addTask(3, TaskType::DisplayMessage, 300);
    addTask(4, TaskType::Both, 400);
    addTask(5, TaskType::Both, 500);
    addTask(6, TaskType::DisplayMessage, 600);
    addRun(run(1, RunState::ended, 0), 10);
    addRun(run(1, RunState::ended, 3), 20);
    addRun(run(2, RunState::ended, 0, 9), 10);
    addRun(run(5, RunState::notStarted), 10);
    addRun(run(6, RunState::ended, 0), 10);
    CountingLastRuns lastRuns(files->table(TableId::runLog));
    const std::set<std::int64_t> tagged{2, 5};  // the rows of tasks 2 and 5, stored in this order
    ScheduleBrowse browse(files->table(TableId::schedule), warn, kDay, false,
                          [&tagged](std::int64_t row) { return tagged.count(row) > 0; }, nullptr, &lastRuns);
    browse.setRowCount(4);

    // WHEN the day's first page of four is read
    browse.selectTab(ScheduleTab::daySchedule);

    // THEN the program tasks show their last result, the others nothing; one read for the page's programs
    EXPECT_THAT(column(browse, kLastResultColumn), ElementsAre("3", "signal 9", "", ""));
    EXPECT_EQ(browse.cell(0, kLastResultColumn).foreground, kFailedColour);
    EXPECT_THAT(lastRuns.asked, ElementsAre(ElementsAre(1, 2, 4)));

    // WHEN the list moves down a row: one read for the row it brings in
    browse.scroll(platform::ListScroll::bottom);
    lastRuns.asked.clear();
    browse.scroll(platform::ListScroll::top);
    for (int rows = 0; rows < 4; ++rows) browse.scroll(platform::ListScroll::rowDown);
    EXPECT_THAT(column(browse, kLastResultColumn), ElementsAre("signal 9", "", "", "not started"));
    EXPECT_THAT(lastRuns.asked, ElementsAre(ElementsAre(1, 2, 4), ElementsAre(5)));

    // WHEN "Selected" passes over untagged tasks in several reads of the schedule: still one of the log
    lastRuns.asked.clear();
    browse.selectTab(ScheduleTab::selected);
    EXPECT_THAT(column(browse, kLastResultColumn), ElementsAre("signal 9", "not started"));
    EXPECT_THAT(lastRuns.asked, ElementsAre(ElementsAre(2, 5)));
}

}  // namespace
}  // namespace tarvelo::runlog
