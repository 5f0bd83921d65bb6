#pragma once
// The recurrence rules followed literally: one occurrence (for the weekday rules one day) per step, from
// the task's date up to the reference moment. It is kept as the yardstick the direct computation of
// recurrence.cpp is checked against (and the benchmarks' raw baseline); it takes as many steps as
// occurrences were missed. Same contracts as recurrence.h, including parking at kMaxDate.
#include "core/date.h"
#include "data/records.h"
#include "platform/ports.h"

namespace tarvelo::reference {

void nextScheduleDate(Task& task, StdDate refDate, StdTime refTime, platform::MessageBoxPort& messages);
void advanceTask(Task& task, StdDate today, StdTime now, platform::MessageBoxPort& messages);

}  // namespace tarvelo::reference
