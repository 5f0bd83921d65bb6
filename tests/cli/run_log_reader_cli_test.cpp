// The Run Log's newest-first list read in this process while real schedulers on the same folder start
// programs whose watchers write their runs: every read succeeds, and each new run comes in on top.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "data/browse_list.h"
#include "data/data_files.h"
#include "fakes/data_fixture.h"
#include "fakes/lock_wait.h"
#include "fakes/processes.h"
#include "runlog/run_log_list.h"

namespace tarvelo::test {
namespace {

using Clock = std::chrono::steady_clock;

TEST(RunLogReaderCliTest, GivenTheListOpenWhileWatchersOfTwoTicksWriteThenEachRunComesInOnTopAndNoReadFails) {
    SchedulerFolders folders;
    FolderFiles data(folders.data());
    {
        const TableUse use(data.files, TableId::schedule);
        for (int id : {1, 2}) {
            Task t;
            t.id = id;
            t.description = "Job " + std::to_string(id);
            t.taskType = TaskType::RunProgram;
            t.scheduleType = ScheduleType::Once;
            // Each writes while this process reads, and the second takes a while to end.
            t.command = id == 1 ? "sh -c 'echo one; exit 3'" : "sh -c 'sleep 0.3; echo two'";
            t.date = dateFromYmd(1997, 1, 31);
            t.time = timeFromHms(17, 29 + id);
            ASSERT_TRUE(data.files.schedule().add(t).ok());
        }
    }
    const TableUse use(data.files, TableId::runLog);
    BrowseList list(data.files.table(TableId::runLog), data.warn, runlog::runLogBrowseConfig());
    list.setRowCount(5);
    list.resetSort(0);
    const auto shown = [&list] {
        std::vector<std::string> rows;
        for (int r = 0; r < list.entryCount(); ++r) rows.push_back(list.cell(r, 3).text + " " + list.cell(r, 4).text);
        return rows;
    };
    // Reads the list again and again until it shows what is expected, or a few seconds have passed.
    const auto readUntil = [&](const std::vector<std::string>& expected) {
        const auto until = Clock::now() + std::chrono::seconds(10);
        while (shown() != expected && Clock::now() < until && !list.closed()) {
            list.forceRefresh();
            list.resetSort(0);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return shown();
    };

    for (const char* at : {"1997-01-31 17:30:30", "1997-01-31 17:31:30"}) {
        const CliResult tick = runCliIn(folders, {"tick", "--at", at}, {kPatientLockWait});
        ASSERT_EQ(tick.exitCode, 0) << tick.err;
        if (std::string(at).find("17:30") != std::string::npos) {
            EXPECT_EQ(readUntil({"Job 1 3"}), (std::vector<std::string>{"Job 1 3"}));
        }
    }
    EXPECT_EQ(readUntil({"Job 2 running", "Job 1 3"}).size(), 2u);
    EXPECT_EQ(readUntil({"Job 2 0", "Job 1 3"}), (std::vector<std::string>{"Job 2 0", "Job 1 3"}));
    EXPECT_FALSE(list.closed());
    EXPECT_EQ(data.messages.count(), 0u);
}

}  // namespace
}  // namespace tarvelo::test
