#pragma once
// The Schedule table of a DataFiles as tests fill and read it. Each call takes a use of the table for the
// moment, as a window would.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

#include "data/data_files.h"
#include "data/records.h"

namespace tarvelo::test {

// Adds the task as it is (its id included) and returns it as stored, with the row it was stored in.
inline Schedule addTask(DataFiles& files, Schedule task) {
    TableUse use(files, TableId::schedule);
    EXPECT_TRUE(files.schedule().add(task).ok()) << "task " << task.id;
    return task;
}

// The task stored under id, or nothing.
inline std::optional<Schedule> storedTask(DataFiles& files, std::int32_t id) {
    TableUse use(files, TableId::schedule);
    Schedule probe, found;
    probe.id = id;
    if (!files.schedule().fetch(ScheduleKey::keyId, probe, found).ok()) return std::nullopt;
    return found;
}

inline std::int64_t taskCount(DataFiles& files) {
    TableUse use(files, TableId::schedule);
    const store::Result<std::int64_t> count = files.table(TableId::schedule).records();
    EXPECT_TRUE(count.ok()) << count.status.message;
    return count.value;
}

}  // namespace tarvelo::test
