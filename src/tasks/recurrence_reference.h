#pragma once
// The recurrence rules followed literally: one occurrence (for the weekday rules one day) per step, from
// the task's date up to the reference moment. It is kept as the yardstick the direct computation of
// recurrence.cpp is checked against; it takes as many steps as occurrences were missed, so nothing but
// tests and benchmarks should call it. Same contracts as recurrence.h, including parking at kMaxDate.
#include "core/date.h"
#include "data/records.h"
#include "ui/ports.h"

namespace tarvelo {

namespace reference {

void nextScheduleDate(Schedule& task, StdDate refDate, StdTime refTime, ui::MessageBoxPort& messages);
void advanceTask(Schedule& task, StdDate today, StdTime now, ui::MessageBoxPort& messages);

}  // namespace reference

namespace detail {

using NextScheduleDateFn = void (*)(Schedule&, StdDate, StdTime, ui::MessageBoxPort&);
// advanceTask() around either computation of the next occurrence.
void advanceTaskWith(Schedule& task, StdDate today, StdTime now, ui::MessageBoxPort& messages,
                     NextScheduleDateFn next);

}  // namespace detail

}  // namespace tarvelo
