#pragma once
// The calendar commands as both programs run them, from a file's name to what came of it: the schedule
// written out (exportCalendarFile), a file's events added as tasks (importCalendarFile). Each takes the
// uses of the tables it needs; messages of the data layer go through the files' own warnings.
#include <string>

#include "calendar/ics_import.h"
#include "calendar/time_zone.h"
#include "data/data_files.h"
#include "platform/ports.h"

namespace tarvelo::calendar {

struct ExportOutcome {
    std::string problem;  // a sentence naming the file; empty when the file was written
    int tasks = 0;
    bool ok() const { return problem.empty(); }
};

// Writes the calendar of every exported task to `path`, whole or not at all (never over the program's
// own files).
ExportOutcome exportCalendarFile(DataFiles& files, const std::string& path, platform::Moment localNow,
                                 const TimeZone& zone);

struct ImportOutcome {
    std::string problem;       // a sentence; empty when the tasks were stored (perhaps none)
    store::Status stored;      // the failed write behind a problem, when it was one
    CalendarImport events;     // the tasks stored (numbered), the events skipped, the warnings
    int categoriesAdded = 0;
    bool ok() const { return problem.empty(); }
};

// A calendar file larger than this is not read: one of a million tasks is well below it.
inline constexpr std::size_t kMaxCalendarBytes = std::size_t{1} << 30;

// Reads the file and stores the tasks of its events in one transaction; nothing is stored when the file
// has a problem of its own or the write fails.
ImportOutcome importCalendarFile(DataFiles& files, const std::string& path, const TimeZone& zone);

// "12 tasks", "1 task": how the outcomes count.
std::string countOf(std::size_t n, const char* one, const char* many);

// What an import that stored its tasks came to, in one line: "3 tasks imported as 12 to 14, 1 category
// added, 2 events skipped".
std::string importSummary(const ImportOutcome& outcome);
// An event left out or taken with a warning, as a line naming it: `UID abc "Summary": why (line 12)`.
std::string eventLine(const SkippedEvent& event);

}  // namespace tarvelo::calendar
