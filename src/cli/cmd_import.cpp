// import --ics FILE: tasks from the events of an iCalendar file (see calendar/ics_import.h), in one
// transaction. Exit code 0 when every event was taken, 4 when some were skipped (each named on standard
// error), 1 when nothing was added (a file that cannot be read, a write that failed).
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "calendar/ics_import.h"
#include "cli/command.h"
#include "cli/data_folder.h"
#include "cli/options.h"
#include "core/output_file.h"

namespace tarvelo::cli {
namespace {

// A calendar of a million tasks is well below this.
constexpr std::size_t kMaxFileBytes = std::size_t{1} << 30;

struct ImportRequest {
    std::string ics;
    std::optional<int> answer;
};

void tell(const char* what, const calendar::SkippedEvent& e) {
    std::fprintf(stderr, "tarvelo96-cli import: %s line %d, UID %s \"%s\": %s\n", what, e.line,
                 e.uid.empty() ? "(none)" : e.uid.c_str(), e.summary.c_str(), e.reason.c_str());
}

int runImport(const ImportRequest& request) {
    std::string text;
    if (const FileStatus read = readRegularFile(request.ics, text, kMaxFileBytes); !read.ok()) {
        std::fprintf(stderr, "tarvelo96-cli import: %s; nothing added\n", read.problem.c_str());
        return 1;
    }
    calendar::CalendarImport events;
    if (auto problem = calendar::readCalendar(text, calendar::systemTimeZone(), events)) {
        std::fprintf(stderr, "tarvelo96-cli import: %s: %s; nothing added\n", request.ics.c_str(), problem->c_str());
        return 1;
    }
    text = std::string();
    for (const calendar::SkippedEvent& e : events.skipped) tell("skipped", e);
    for (const calendar::SkippedEvent& e : events.warnings) tell("warning:", e);

    int categories = 0;
    if (!events.tasks.empty()) {
        DataFolder f(request.answer);
        TableUse schedule(f.files, TableId::schedule);
        TableUse categoryUse(f.files, TableId::categories);
        if (const store::Status s = calendar::storeTasks(f.files, events.tasks, categories); !s.ok()) {
            std::fprintf(stderr, "tarvelo96-cli import: %s; nothing added\n", errorText(s).c_str());
            return 1;
        }
    }
    const std::size_t n = events.tasks.size();
    std::printf("%zu task%s imported", n, n == 1 ? "" : "s");
    if (n > 0) std::printf(" as %d to %d", events.tasks.front().id, events.tasks.back().id);
    if (categories > 0) std::printf(", %d categor%s added", categories, categories == 1 ? "y" : "ies");
    if (!events.skipped.empty()) std::printf(", %zu event%s skipped", events.skipped.size(), events.skipped.size() == 1 ? "" : "s");
    std::printf("\n");
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
