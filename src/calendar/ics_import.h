#pragma once
// Tasks from an iCalendar file.
//
// Our own events (with X-TARVELO-RULE) come back exactly: rule, date and time as stored, the task's other
// fields from X-TARVELO-TASK; the second series of a task (X-TARVELO-PART) belongs to its first and adds
// nothing. Other events become "Display Message" tasks: SUMMARY the description, DESCRIPTION (else
// SUMMARY) the message, the first of CATEGORIES the category, the first VALARM that comes before the
// start the advance warning, and DTSTART with its RRULE the rule when calendarRules maps it exactly.
//
// Skipped, and named with the reason: an event whose rule no task's rule repeats alike (COUNT, UNTIL,
// BYSETPOS, several RRULEs, RDATE, EXDATE, EXRULE, a changed occurrence and the series it changes); a
// start in a time zone other than local time or UTC (UTC repeating across a change of the local offset
// too); an event without a start; one of ours whose X-TARVELO-RULE or X-TARVELO-TASK cannot be read; one
// that the checks of a task added from a script refuse (a text
// longer than its field, a date outside the supported ones, a warning after the task); to-dos, journal
// entries and other components that are not events.
//
// A file with a problem of its own (not iCalendar text, not UTF-8, cut short, lines not folded, a
// content line beyond its limit) adds nothing: the problem is returned.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "calendar/time_zone.h"
#include "data/data_files.h"
#include "data/records.h"

namespace tarvelo::calendar {

struct SkippedEvent {
    int line = 0;  // where the event begins
    std::string uid;
    std::string summary;
    std::string reason;
};

struct CalendarImport {
    std::vector<Task> tasks;  // in file order, without numbers
    std::vector<SkippedEvent> skipped;
    std::vector<SkippedEvent> warnings;  // taken, with what the task form would warn of
};

// Reads the events of a calendar file's text; the problem of the file, or nothing with out filled.
std::optional<std::string> readCalendar(std::string_view text, const TimeZone& zone, CalendarImport& out);

// Stores the tasks in one transaction over Schedule and Categories: each under the next free number (the
// tasks' ids are set), and every category they name that is missing (in any letter case) created, the
// tasks then spelling it as it is stored. Nothing is stored when anything fails. `categoriesAdded` counts
// the categories created.
store::Status storeTasks(DataFiles& files, std::vector<Task>& tasks, int& categoriesAdded);

}  // namespace tarvelo::calendar
