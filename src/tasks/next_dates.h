#pragma once
// A task's coming occurrences: its own date and time, then each one the scheduler would move it on to
// after performing it at the one before. What the forms show beside the When controls, what
// `tarvelo96-cli next` prints and what a calendar export must reproduce.
//
// Cost. Each occurrence is one call of the rules, which take a bounded time whatever the fields hold, so
// five occurrences of a record being edited can be computed on every change of a control.
#include <optional>
#include <vector>

#include "data/records.h"
#include "platform/ports.h"

namespace tarvelo {

// The occurrence after `at` for the task's rule: nextScheduleDate() from `at` with the moment just
// after it as reference. Nothing for a "Once" task, and nothing when the rule cannot go further (a
// task parked at the last supported day). A "Custom" task without a unit moves a day on, as the
// scheduler moves it after its "Invalid Units" box; no box is shown here.
std::optional<platform::Moment> occurrenceAfter(const Task& task, platform::Moment at);

// The first `count` occurrences, the task's own date and time first; fewer when the rule ends (one for
// a "Once" task). None for a task without a date or for count below 1. Disabled tasks are computed as
// any other: whether to show them is the caller's choice.
std::vector<platform::Moment> nextDates(const Task& task, int count);

// The time of day an occurrence is shown at: a time of 0 (none set) as midnight, when the scheduler takes
// the task to be due; otherwise the hundredths since midnight the time stands for.
Hms clockTime(StdTime time);

// True for a "Custom" task whose unit no rule knows: its dates are those of the scheduler's fallback.
bool unitMissing(const Task& task);

}  // namespace tarvelo
