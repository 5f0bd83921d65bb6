// run-now: performs one task of the current folder at once, as the schedule browse's "&Run Now" does,
// and keeps its History entry; every effect is printed as a JSON line, as tick prints it. Exit code 1
// when there is no such task or the run could not be stored (nothing was performed then).
#include <charconv>
#include <cstdio>
#include <memory>

#include "cli/command.h"
#include "cli/scheduler_session.h"
#include "data/data_files.h"
#include "data/data_warning.h"
#include "engine/run_now.h"
#include "ui/headless/exit_halt.h"
#include "ui/headless/json_events.h"
#include "ui/headless/posix_program_start.h"
#include "ui/headless/system_clock.h"

namespace tarvelo::cli {
namespace {

bool parseId(const std::string& text, std::int32_t& id) {
    const char* end = text.data() + text.size();
    return !text.empty() && std::from_chars(text.data(), end, id).ptr == end;
}

int runRunNow(const std::vector<std::string>& arguments) {
    std::int32_t id = 0;
    if (arguments.empty() || !parseId(arguments.front(), id)) {
        std::fprintf(stderr, "tarvelo96-cli run-now: usage: run-now ID [--at \"YYYY-MM-DD HH:MM:SS\"] [--answer yes|no]\n");
        return 2;
    }
    const auto options = parseSchedulerOptions({arguments.begin() + 1, arguments.end()}, true);
    if (!options) return 2;

    headless::JsonEventSink sink{stdout};
    headless::JsonMessageBox messages{sink, options->answer};
    headless::JsonSound sound{sink};
    headless::JsonMessageWindows messageWindows{sink};
    headless::PosixProgramStart starter;
    headless::JsonProgramStart programs{sink, starter};
    const std::unique_ptr<ui::ClockPort> clock =
        options->at ? std::unique_ptr<ui::ClockPort>(std::make_unique<headless::FixedClock>(*options->at))
                    : std::make_unique<headless::SystemClock>();
    ui::ExitHalt halt;
    const DataWarning warn{messages, halt};
    DataFiles files{warn};
    TableUse use(files, TableId::schedule);

    Schedule key, task;
    key.id = id;
    if (!files.schedule().fetch(ScheduleKey::keyId, key, task).ok()) {
        std::fprintf(stderr, "tarvelo96-cli run-now: there is no task %d\n", id);
        return 1;
    }
    return runNow(files, task, {*clock, sound, messages, programs, messageWindows}).performed ? 0 : 1;
}

const Registration kRunNow{"run-now", "run-now ID [--at \"YYYY-MM-DD HH:MM:SS\"] [--answer yes|no]   perform a task now, "
                                      "keeping a History entry",
                           &runRunNow};

}  // namespace
}  // namespace tarvelo::cli
