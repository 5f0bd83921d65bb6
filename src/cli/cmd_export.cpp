// export --ics FILE: the schedule as an iCalendar file for other calendars (see calendar/ics_export.h).
// The file is written whole or not at all, never over the program's own files or anything but a file.
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "calendar/ics_export.h"
#include "calendar/time_zone.h"
#include "cli/command.h"
#include "cli/data_folder.h"
#include "cli/options.h"
#include "core/output_file.h"
#include "data/own_files.h"
#include "platform/terminal/system_clock.h"

namespace tarvelo::cli {
namespace {

struct ExportRequest {
    std::string ics;
    std::optional<int> answer;
};

int runExport(const ExportRequest& request) {
    DataFolder f(request.answer);
    TableUse use(f.files, TableId::schedule);
    OutputFile out;
    if (FileStatus s = out.open(request.ics, ownFiles(f.files.folder())); !s.ok()) {
        std::fprintf(stderr, "tarvelo96-cli export: %s\n", s.problem.c_str());
        return 1;
    }
    FileStatus written;
    int tasks = 0;
    bool sinkFailed = false;
    const store::Status s = calendar::exportSchedule(
        f.files, calendar::exportStamp(f.files.folder(), platform::SystemClock().now(), calendar::systemTimeZone()),
        [&](std::string_view piece) {
            written = out.write(piece);
            return written.ok();
        },
        tasks, sinkFailed);
    if (!s.ok()) {
        std::fprintf(stderr, "tarvelo96-cli export: %s; no file written\n", errorText(s).c_str());
        return 1;
    }
    if (written.ok()) written = out.commit();
    if (!written.ok()) {
        std::fprintf(stderr, "tarvelo96-cli export: %s; no file written\n", written.problem.c_str());
        return 1;
    }
    std::printf("%d task%s written to %s\n", tasks, tasks == 1 ? "" : "s", request.ics.c_str());
    return 0;
}

void defineExport(Commands& commands) {
    auto request = std::make_shared<ExportRequest>();
    CLI::App& command = commands.add("export", "the schedule as an iCalendar file for other calendars",
                                     [request] { return runExport(*request); });
    command.footer("Every enabled task that is not a completed copy becomes an event that repeats as the task "
                   "does; X-TARVELO-RULE keeps the task's own rule, so that import reads it back exactly.");
    command.add_option("--ics", request->ics, "the file to write")->required()->type_name("FILE");
    addAnswerOption(command, request->answer);
}

const Registration kExport{"export", &defineExport};

}  // namespace
}  // namespace tarvelo::cli
