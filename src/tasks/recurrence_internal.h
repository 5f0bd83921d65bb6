#pragma once
// What the tests' step-by-step yardstick of the recurrence rules needs of recurrence.cpp, and nothing else
// should.
#include "core/date.h"
#include "data/records.h"
#include "platform/ports.h"

namespace tarvelo::detail {

using NextScheduleDateFn = void (*)(Task&, StdDate, StdTime, platform::MessageBoxPort&);
// advanceTask() around either computation of the next occurrence.
void advanceTaskWith(Task& task, StdDate today, StdTime now, platform::MessageBoxPort& messages,
                     NextScheduleDateFn next);

}  // namespace tarvelo::detail
