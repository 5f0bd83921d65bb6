#pragma once
// The Schedule table of a DataFiles as tests fill and read it. Each call takes a use of the table for the
// moment, as a window would.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

#include "data/data_files.h"
#include "data/records.h"
#include "store/store.h"

namespace tarvelo::test {

// A task as the store holds it: every field blank, then set by name.
//   TaskRow(7).with("SCH:DESCRIPTION", "Backup").with("SCH:DATE", 71651)
class TaskRow {
public:
    explicit TaskRow(std::int64_t id);
    TaskRow& with(const std::string& field, store::Value value);
    const store::Row& row() const { return m_row; }

private:
    store::Row m_row;
};

// Stores a task in Schedule and returns its position. REQUIRES: a use of Schedule is held.
std::int64_t addTask(DataFiles& files, const TaskRow& task);

// Adds the task as it is (its id included) and returns it as stored, with the row it was stored in.
inline Task addTask(DataFiles& files, Task task) {
    TableUse use(files, TableId::schedule);
    EXPECT_TRUE(files.schedule().add(task).ok()) << "task " << task.id;
    return task;
}

// The task stored under id, or nothing.
inline std::optional<Task> storedTask(DataFiles& files, std::int32_t id) {
    TableUse use(files, TableId::schedule);
    Task probe, found;
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
