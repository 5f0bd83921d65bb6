#include "calendar/calendar_files.h"

#include "calendar/ics_export.h"
#include "core/output_file.h"
#include "data/data_warning.h"

namespace tarvelo::calendar {

ExportOutcome exportCalendarFile(DataFiles& files, const std::string& path, platform::Moment localNow,
                                 const TimeZone& zone) {
    ExportOutcome outcome;
    TableUse use(files, TableId::schedule);
    OutputFile out;
    if (FileStatus s = out.open(path, programFiles(files.folder())); !s.ok()) {
        outcome.problem = s.problem;
        return outcome;
    }
    FileStatus written;
    bool sinkFailed = false;
    const store::Status s = exportSchedule(
        files, exportStamp(files.folder(), localNow, zone),
        [&](std::string_view piece) {
            written = out.write(piece);
            return written.ok();
        },
        outcome.tasks, sinkFailed);
    if (!s.ok()) {
        outcome.problem = errorText(s) + "; no file written";
        return outcome;
    }
    if (written.ok()) written = out.commit();
    if (!written.ok()) outcome.problem = written.problem + "; no file written";
    return outcome;
}

ImportOutcome importCalendarFile(DataFiles& files, const std::string& path, const TimeZone& zone) {
    ImportOutcome outcome;
    {
        std::string text;
        if (const FileStatus read = readRegularFile(path, text, kMaxCalendarBytes); !read.ok()) {
            outcome.problem = read.problem + "; nothing added";
            return outcome;
        }
        if (auto problem = readCalendar(text, zone, outcome.events)) {
            outcome.problem = path + ": " + *problem + "; nothing added";
            return outcome;
        }
    }
    if (outcome.events.tasks.empty()) return outcome;
    TableUse schedule(files, TableId::schedule);
    TableUse categories(files, TableId::categories);
    outcome.stored = storeTasks(files, outcome.events.tasks, outcome.categoriesAdded);
    if (!outcome.stored.ok()) outcome.problem = errorText(outcome.stored) + "; nothing added";
    return outcome;
}

std::string importSummary(const ImportOutcome& outcome) {
    const std::vector<Task>& tasks = outcome.events.tasks;
    std::string text = countOf(tasks.size(), "task", "tasks") + " imported";
    if (!tasks.empty()) text += " as " + std::to_string(tasks.front().id) + " to " + std::to_string(tasks.back().id);
    if (outcome.categoriesAdded > 0)
        text += ", " + countOf(static_cast<std::size_t>(outcome.categoriesAdded), "category", "categories") + " added";
    if (!outcome.events.skipped.empty()) text += ", " + countOf(outcome.events.skipped.size(), "event", "events") + " skipped";
    return text;
}

std::string eventLine(const SkippedEvent& event) {
    return "UID " + (event.uid.empty() ? std::string("(none)") : event.uid) + " \"" + event.summary + "\": " +
           event.reason + " (line " + std::to_string(event.line) + ")";
}

std::string countOf(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace tarvelo::calendar
