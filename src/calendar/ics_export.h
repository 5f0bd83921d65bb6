#pragma once
// The schedule as an iCalendar file: every enabled task that is not a completed copy, one VEVENT per
// series of calendarRules (one, or two where the rule starts off its days or carries a day):
//
//   UID          task-<SCH:ID>-<16 hex digits of the data folder>@tarvelo96, the same in every export
//                of that folder; a second series adds "-2" before the '@'
//   DTSTAMP      the moment of the export, in UTC
//   DTSTART      the task's next date and time (of a second series: where it starts), floating local time
//   RRULE        the series' rule, with UNTIL where the series ends before a carried day
//   SUMMARY      the description; DESCRIPTION the message, and for a program the command and its folder
//   CATEGORIES   the category
//   VALARM       the advance warning, as a TRIGGER before the start
//   X-TARVELO-RULE  (first series) the task's rule as stored; X-TARVELO-TASK the rest of the task
//   RELATED-TO   (second series) the first series' UID, with RELTYPE=SIBLING and X-TARVELO-PART:2
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "calendar/ics_values.h"
#include "calendar/time_zone.h"
#include "data/data_files.h"
#include "data/records.h"
#include "platform/ports.h"

namespace tarvelo::calendar {

struct ExportStamp {
    std::string folderIdentity;  // the data folder's canonical path: what makes UIDs differ between folders
    DateTimeValue now;           // UTC, for DTSTAMP
};

// The stamp of an export made now (local time) of the data folder ("" is the current folder).
ExportStamp exportStamp(const std::string& folder, platform::Moment localNow, const TimeZone& zone);

// Whether a task goes into a calendar: enabled, not a completed copy, with a date.
bool exportsTask(const Task& task);
// The UID of a task's first series.
std::string uidOf(std::int32_t id, const std::string& folderIdentity);

// The text of a whole calendar in pieces: the header, each task's events, the trailer.
std::string calendarHeader();
// Appends the task's VEVENTs; false (nothing appended) for a task that exportsTask() leaves out.
bool appendTask(std::string& out, const Task& task, const ExportStamp& stamp);
std::string calendarTrailer();

// The DESCRIPTION of a task: its message, then for a program the command and the folder it starts in.
std::string eventDescription(const Task& task);

// Writes the calendar of the Schedule table, in task number order, to `sink` in pieces of about a
// megabyte; counts the tasks written. Stops at the first piece the sink refuses (returns false):
// `sinkFailed` is then set. REQUIRES: a use of Schedule is held.
store::Status exportSchedule(DataFiles& files, const ExportStamp& stamp,
                             const std::function<bool(std::string_view)>& sink, int& tasks, bool& sinkFailed);

}  // namespace tarvelo::calendar
