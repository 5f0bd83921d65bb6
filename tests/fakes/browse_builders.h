#pragma once
// Records for the list tests, built in one line each.
#include <cstdint>
#include <string_view>

#include "data/records.h"

namespace tarvelo::test {

inline ToDo toDoItem(std::string_view text, int priority = 5, bool done = false) {
    ToDo item;
    item.todo = text;
    item.priority = static_cast<Byte>(priority);
    item.done = done ? 1 : 0;
    return item;
}

inline Category categoryNamed(std::string_view name) {
    Category c;
    c.category = name;
    return c;
}

inline Task taskIn(std::string_view category, std::string_view description, std::int32_t id, StdDate date = 0) {
    Task task;
    task.id = id;
    task.taskType = TaskType::None;
    task.scheduleType = ScheduleType::Once;
    task.category = category;
    task.description = description;
    task.date = date;
    return task;
}

// An enabled one-off task due at (date, time).
inline Task scheduled(std::string_view description, StdDate date, StdTime time, std::string_view category = {}) {
    Task task;
    task.taskType = TaskType::DisplayMessage;
    task.scheduleType = ScheduleType::Once;
    task.description = description;
    task.category = category;
    task.date = date;
    task.time = time;
    return task;
}

}  // namespace tarvelo::test
