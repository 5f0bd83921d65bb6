#pragma once
// The meaning of a task's recurrence rule: where its next occurrence lies, which dates the rule can fall
// on, and moving a performed task on.
//
// Everything here works on a Task value held by the caller and changes nothing else; the only contact
// with the user is the "Invalid Units" box of a "Custom" task without a unit.
//
// Range of dates. The dates the program schedules on are kMinDate .. kMaxDate (date.h). The rules are
// followed for every input (a date of 0 counts from 28 December 1800, negative dates from further back),
// but a task never moves past kMaxDate: when its next occurrence would lie after kMaxDate, it is parked at
// kMaxDate (and, for the minute and hour units, at the last hundredth of that day, kOneDay). A parked task
// is not due again before the reference moment reaches that day. repetitionFits() lets the forms refuse a
// count that cannot be held.
//
// Cost. Every call takes a bounded time, whatever the fields hold: the day, week, minute and hour units
// and the weekday rules are computed directly, the month and year rules in a few strides (a day past the
// 28th may have up to 400 years of month lengths checked). The results are those of stepping one
// occurrence at a time, which the tests' step-by-step yardstick checks.
#include <cstdint>
#include <string_view>

#include "core/date.h"
#include "data/records.h"
#include "platform/ports.h"

namespace tarvelo {

// The schedule type as the rules read it: any text but the first five (ScheduleType::Other) is "Custom".
ScheduleType ruleType(const Task& task);

// Moves task.date (and, for the minute and hour units, task.time) to the first occurrence past the
// reference moment (refDate, refTime). "Once" only sets completed; a "Custom" count below 1 is stored as 1;
// a "Custom" task without a unit shows "Invalid Units" through `messages` and goes to refDate + 1 when it
// is not already later. Intended for a task that is due (not after the reference moment), defined for any.
void nextScheduleDate(Task& task, StdDate refDate, StdTime refTime, platform::MessageBoxPort& messages);

// Whether the task's rule can fall on `date`; 0 stands for the task's own date. Reads only the rule fields.
bool validScheduleDate(const Task& task, StdDate date = 0);

// Moves a performed, skipped or declined task on: its next occurrence past (today, now), the advance
// warning kept at the same distance in days and, separately, in hundredths (a warning field of 0 takes the
// task's new value), skipNextTime and advanceWarned cleared. A task that ends up completed (a "Once" task)
// keeps its other fields as they were: the caller deletes it.
void advanceTask(Task& task, StdDate today, StdTime now, platform::MessageBoxPort& messages);

// False when one repetition of a "Custom" task, from its date (from kMinDate when the date is outside
// kMinDate .. kMaxDate), would pass kMaxDate. True for every other rule and for a task without a unit.
// A count below 1 is judged as 1, as the rules treat it.
bool repetitionFits(const Task& task);

// The largest count of `unit` that repetitionFits() accepts from `from` (0 when none does, as from a date
// past kMaxDate); for RepetitionUnit::Other (no unit) the largest 32-bit count.
std::int32_t maxRepetitionCount(RepetitionUnit unit, StdDate from);

// The box shown for a "Custom" task without a unit.
platform::MessageBoxRequest invalidUnitsMessage();

}  // namespace tarvelo
