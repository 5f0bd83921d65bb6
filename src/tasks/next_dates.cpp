#include "tasks/next_dates.h"

#include "tasks/recurrence.h"

namespace tarvelo {
namespace {

// The "Invalid Units" box is the editor's to show, once; listing dates shows none.
struct NoBox : platform::MessageBoxPort {
    int show(const platform::MessageBoxRequest& request) override { return request.defaultButton; }
};

bool before(platform::Moment a, platform::Moment b) { return a.date < b.date || (a.date == b.date && a.time < b.time); }

}  // namespace

std::optional<platform::Moment> occurrenceAfter(const Task& task, platform::Moment at) {
    if (ruleType(task) == ScheduleType::Once) return std::nullopt;
    Task moved = task;
    moved.date = at.date;
    moved.time = at.time;
    NoBox quiet;
    // Just after `at`: a time one hundredth later, which the rules take as reached by no time of the day
    // when it lies past the day's last hundredth.
    nextScheduleDate(moved, at.date, at.time < kOneDay + 1 ? at.time + 1 : at.time, quiet);
    const platform::Moment next{moved.date, moved.time};
    if (!before(at, next)) return std::nullopt;
    return next;
}

std::vector<platform::Moment> nextDates(const Task& task, int count) {
    std::vector<platform::Moment> out;
    if (task.date == 0 || count < 1) return out;
    out.reserve(static_cast<std::size_t>(count));
    platform::Moment at{task.date, task.time};
    out.push_back(at);
    while (static_cast<int>(out.size()) < count) {
        const std::optional<platform::Moment> next = occurrenceAfter(task, at);
        if (!next) break;
        at = *next;
        out.push_back(at);
    }
    return out;
}

Hms clockTime(StdTime time) { return time < 1 ? Hms{} : hmsFromTime(time); }

bool unitMissing(const Task& task) {
    return ruleType(task) == ScheduleType::Custom && task.everyType.kind() == RepetitionUnit::Other;
}

}  // namespace tarvelo
