#pragma once
// A task's rule in a calendar's terms and back.
//
// Out: the task's occurrences (those of nextDates()) as one or two series, each a start and a RRULE (or
// the start alone), whose union a calendar expands to exactly those occurrences. One series serves
// where a RRULE says what the rule does; a second one begins where it would part from it:
//   - the first occurrence off the rule's days ("Day of Week" from a Wednesday with Monday ticked, or a
//     minute step from a task without a time) stands alone, and the rule starts at the second one;
//   - a day past the 28th that a month too short for it carries into the next month ("Monthly" from
//     January 31 goes on March 3, then April 3; calendars skip such a month instead) and 29 February
//     into a common year: the rule runs UNTIL the last uncarried occurrence, and a second rule from the
//     carried one on, which never carries again.
// So no list of dates (RDATE) is needed and nothing is cut off after some years.
//
// In: a calendar's RRULE as a task's rule, where one says exactly the same; otherwise why not.
//
// Ours: the task's own rule fields as the text of X-TARVELO-RULE, read back exactly.
#include <optional>
#include <string>
#include <vector>

#include "calendar/ics_values.h"
#include "data/records.h"
#include "platform/ports.h"

namespace tarvelo::calendar {

struct SeriesPart {
    platform::Moment start;
    std::optional<Recurrence> rule;  // none: the start alone
};

// The series of a task with a date; none for a task without one.
std::vector<SeriesPart> seriesOf(const Task& task);

// The date and time a calendar shows for an occurrence (hundredths dropped).
DateTimeValue dateTimeOf(platform::Moment at);

// The rule fields of a foreign event starting on `start`, from its RRULE (nullptr: a single event, a
// "Once" task); or why no rule of a task repeats the same way. Fills scheduleType, the weekday and
// ordinal flags, every and everyType.
std::optional<std::string> ruleOfRecurrence(const Recurrence* rule, const DateTimeValue& start, Task& task);

// X-TARVELO-RULE: the schedule type, weekdays, ordinals, count and unit as stored, the date and the time
// ("TYPE=Day of Month;DAYS=TU,TH;ORDINALS=2,LAST;EVERY=0;UNIT=;DATE=19970131;TIME=6300001"), before the
// escaping of TEXT.
std::string tarveloRuleText(const Task& task);
// Reads those fields back into task; or what is wrong with the text.
std::optional<std::string> readTarveloRule(const std::string& text, Task& task);

// X-TARVELO-TASK: what else a task is, beside its rule and what SUMMARY, DESCRIPTION, CATEGORIES and
// VALARM say: "TASKTYPE=Run Program;COMMAND=backup.sh;PATH=/srv;ALARM=1;ALARMFILE=;WARN=0;USERSKIP=0".
std::string tarveloTaskText(const Task& task);
std::optional<std::string> readTarveloTask(const std::string& text, Task& task);

}  // namespace tarvelo::calendar
