#include "tasks/task_checks.h"

#include <array>

#include "core/picture.h"
#include "tasks/recurrence.h"
#include "tasks/task_editor.h"

namespace tarvelo {
namespace {

// The "Every:" entry's picture, @n6: six characters, the sign included.
constexpr std::int32_t kMinEvery = -99999;
constexpr std::int32_t kMaxEvery = 999999;

template <class Kind>
bool isOption(const RuleWord<Kind>& word) {
    return word.isBlank() || word.kind() != Kind::Other;
}

template <class Kind, std::size_t N>
std::string oneOf(const std::array<Kind, N>& words) {
    std::string out = "must be one of";
    for (std::size_t i = 0; i < N; ++i) out += std::string(i == 0 ? " \"" : ", \"") + std::string(ruleText(words[i])) + "\"";
    return out;
}

bool isDate(StdDate d) { return d == 0 || (d >= kMinDate && d <= kMaxDate); }
bool isTime(StdTime t) { return t >= 0 && t <= kOneDay; }

const std::string kNotADate = "is not a date from " + formatIsoDate(kMinDate) + " to " + formatIsoDate(kMaxDate);
const std::string kNotATime = "is not a time of the day";

}  // namespace

std::optional<TaskProblem> taskEntryProblem(const Task& task) {
    if (!isOption(task.taskType)) return TaskProblem{TaskField::taskType, oneOf(kTaskTypes)};
    if (!isOption(task.scheduleType)) return TaskProblem{TaskField::scheduleType, oneOf(kScheduleTypes)};
    if (!isOption(task.everyType)) return TaskProblem{TaskField::everyType, oneOf(kRepetitionUnits)};
    if (!isDate(task.date)) return TaskProblem{TaskField::date, kNotADate};
    if (!isTime(task.time)) return TaskProblem{TaskField::time, kNotATime};
    if (!isDate(task.lastRunDate)) return TaskProblem{TaskField::lastRunDate, kNotADate};
    if (!isTime(task.lastRunTime)) return TaskProblem{TaskField::lastRunTime, kNotATime};
    if (!isDate(task.advanceWarnDate)) return TaskProblem{TaskField::advanceWarnDate, kNotADate};
    if (!isTime(task.advanceWarnTime)) return TaskProblem{TaskField::advanceWarnTime, kNotATime};
    if (task.every < kMinEvery || task.every > kMaxEvery) {
        return TaskProblem{TaskField::every, "must be a whole number from " + std::to_string(kMinEvery) + " to " +
                                                 std::to_string(kMaxEvery)};
    }
    if (!repetitionFits(task)) {
        return TaskProblem{TaskField::every, "repeats the task beyond " + formatIsoDate(kMaxDate)};
    }
    const bool warningAfter = task.advanceWarnDate > task.date ||
                              (task.advanceWarnDate == task.date && task.advanceWarnTime > task.time);
    if (warningAfter) {
        return TaskProblem{TaskField::advanceWarnDate, "falls after the task: Advanced Warning cannot be after "
                                                       "scheduled task."};
    }
    return std::nullopt;
}

std::optional<std::string> applyTaskEntryRules(Task& task) {
    if (task.taskType == TaskType::None) task.time = kNoneTaskTime;
    if (task.date != 0 && !validScheduleDate(task, 0)) return "Date given does not match schedule type.";
    return std::nullopt;
}

}  // namespace tarvelo
