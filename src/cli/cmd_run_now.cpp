// run-now: performs one task of the current folder at once, as the schedule browse's "&Run Now" does,
// and keeps its History entry; every effect is printed as a JSON line, as tick prints it. Exit code 1
// when there is no such task or the run could not be stored (nothing was performed then).
#include <cstdio>
#include <memory>

#include "cli/command.h"
#include "cli/data_folder.h"
#include "cli/options.h"
#include "cli/scheduler_session.h"
#include "data/data_files.h"
#include "data/data_warning.h"
#include "engine/run_now.h"
#include "runlog/run_log.h"
#include "platform/terminal/json_platform.h"

namespace tarvelo::cli {
namespace {

struct RunNowOptions : SchedulerOptions {
    std::int32_t id = 0;
};

int runRunNow(const RunNowOptions& options) {
    platform::JsonPlatform ports(options.at, options.answer);
    const DataWarning warn{ports.platform};
    DataFiles files{warn, dataFolder()};
    TableUse use(files, TableId::schedule);
    // The program runs under the watcher, which logs its run in the data folder's file.
    TableUse runLog(files, TableId::runLog);
    ports.starter.watchWith(runlog::watchingFor(files, *ports.clock, "tarvelo96-cli"));

    Task key, task;
    key.id = options.id;
    if (!files.schedule().fetch(ScheduleKey::keyId, key, task).ok()) {
        std::fprintf(stderr, "tarvelo96-cli run-now: there is no task %d\n", options.id);
        return 1;
    }
    return runNow(files, task, ports.platform).performed ? 0 : 1;
}

void defineRunNow(Commands& commands) {
    auto options = std::make_shared<RunNowOptions>();
    CLI::App& runNow = commands.add("run-now", "perform a task now, keeping a History entry",
                                    [options] { return runRunNow(*options); });
    runNow.footer(kEffectsAsJson);
    runNow.add_option("ID", options->id, "the task's number")->required();
    addAtOption(runNow, options->at);
    addAnswerOption(runNow, options->answer);
}

const Registration kRunNow{"run-now", &defineRunNow};

}  // namespace
}  // namespace tarvelo::cli
