#pragma once
// Runs as the run log holds them, for the tests that fill the log or word its entries.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/record_table.h"
#include "data/records.h"
#include "runlog/run_log.h"

namespace tarvelo::test {

// A run of task, named "Task <task>", begun on date at time and now in state; it ended with exitStatus
// or by signal.
inline RunEntry runEntry(int task, StdDate date, runlog::RunState state = runlog::RunState::ended, StdTime time = 1,
                         int exitStatus = 0, int signal = 0) {
    RunEntry e;
    e.task = task;
    e.description = "Task " + std::to_string(task);
    e.startDate = date;
    e.startTime = time;
    e.state = std::string(runlog::stateText(state));
    e.exitStatus = exitStatus;
    e.signal = signal;
    return e;
}

// Every entry of log, in key's order.
inline std::vector<RunEntry> loggedRuns(RecordTable<RunEntry> log, RunLogKey key = RunLogKey::keyTaskStart) {
    std::vector<RunEntry> out;
    EXPECT_TRUE(log.setToStart(key).ok());
    for (RunEntry e; log.next(e).ok();) out.push_back(e);
    return out;
}

}  // namespace tarvelo::test
