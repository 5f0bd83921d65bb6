#pragma once
// The checks the task form and the wizards make on what is typed, for a task that arrives whole (from a
// script): what an entry would refuse, a repetition the unit cannot carry, an advance warning after the
// task, an option that no radio button offers.
#include <optional>
#include <string>

#include "data/records.h"

namespace tarvelo {

// The fields the checks name.
enum class TaskField {
    taskType, scheduleType, everyType, every, date, time, lastRunDate, lastRunTime, advanceWarnDate,
    advanceWarnTime,
};

struct TaskProblem {
    TaskField field;
    std::string text;  // what is wrong, as a sentence without the field's name: "is not a date ..."
};

// The first value the forms would not take, or nothing. Texts longer than their field are the caller's
// to refuse (a record cannot hold them). A blank option text is taken: it is what a cleared record holds.
std::optional<TaskProblem> taskEntryProblem(const Task& task);

// What the forms do on accepting the fields, beyond refusing: a "None" task gets its fixed time. Returns
// the box text the form would show as a warning only ("Date given does not match schedule type."), or
// nothing.
std::optional<std::string> applyTaskEntryRules(Task& task);

}  // namespace tarvelo
