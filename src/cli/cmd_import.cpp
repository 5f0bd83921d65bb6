// import --ics FILE: tasks from the events of an iCalendar file (see calendar/ics_import.h), in one
// transaction. Exit code 0 when every event was taken, 4 when some were skipped (each named on standard
// error), 1 when nothing was added (a file that cannot be read, a write that failed).
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "calendar/calendar_files.h"
#include "cli/command.h"
#include "cli/data_folder.h"
#include "cli/options.h"

namespace tarvelo::cli {
namespace {

struct ImportRequest {
    std::string ics;
    std::optional<int> answer;
};

void tell(const char* what, const calendar::SkippedEvent& e) {
    std::fprintf(stderr, "tarvelo96-cli import: %s line %d, UID %s \"%s\": %s\n", what, e.line,
                 e.uid.empty() ? "(none)" : e.uid.c_str(), e.summary.c_str(), e.reason.c_str());
}

int runImport(const ImportRequest& request) {
    DataFolder f(request.answer);
    const calendar::ImportOutcome outcome = calendar::importCalendarFile(f.files, request.ics, calendar::systemTimeZone());
    const calendar::CalendarImport& events = outcome.events;
    if (!outcome.ok() && outcome.stored.ok()) {  // the file's own problem: nothing of it is told
        std::fprintf(stderr, "tarvelo96-cli import: %s\n", outcome.problem.c_str());
        return 1;
    }
    for (const calendar::SkippedEvent& e : events.skipped) tell("skipped", e);
    for (const calendar::SkippedEvent& e : events.warnings) tell("warning:", e);
    if (!outcome.ok()) {
        std::fprintf(stderr, "tarvelo96-cli import: %s\n", outcome.problem.c_str());
        return 1;
    }
    std::printf("%s\n", calendar::importSummary(outcome).c_str());
    return events.skipped.empty() ? 0 : kPartlyDoneExitCode;
}

void defineImport(Commands& commands) {
    auto request = std::make_shared<ImportRequest>();
    CLI::App& command = commands.add("import", "add tasks from the events of an iCalendar file",
                                     [request] { return runImport(*request); });
    command.footer("Events whose repetition no task's rule repeats alike (COUNT, UNTIL, EXDATE, time zones other "
                   "than local or UTC, ...) are skipped and named; exit code 4 then. Tasks are checked as add checks "
                   "them, and all go in together or none.");
    command.add_option("--ics", request->ics, "the file to read")->required()->type_name("FILE");
    addAnswerOption(command, request->answer);
}

const Registration kImport{"import", &defineImport};

}  // namespace
}  // namespace tarvelo::cli
