#include "cli/scheduler_session.h"

#include "cli/data_folder.h"
#include "cli/exit_codes.h"

#include <cstdio>

#include "data/data_files.h"
#include "data/data_warning.h"
#include "engine/ini_files.h"
#include "engine/message_to_do.h"
#include "platform/terminal/json_platform.h"
#include "runlog/run_log.h"

namespace tarvelo::cli {

// Members in the order they depend on one another; they are destroyed in reverse, so the tables are
// released (and closed) before the ports they report through.
struct SchedulerSession::Parts {
    explicit Parts(const SchedulerOptions& options) : ports(options.at, options.answer), settings(startUpSettings()) {
        reportUnreadableIniFiles(ports.messages);
        settings.programTitle = "Tarvelo '96";
    }

    platform::JsonPlatform ports;
    DataWarning warn{ports.platform};
    Settings settings;
    DataFiles files{warn, dataFolder()};
    TableUse history{files, TableId::history};
    TableUse schedule{files, TableId::schedule};
    TableUse runLog{files, TableId::runLog};
    Scheduler scheduler{files.schedule(), settings, ports.platform};
};

SchedulerSession::SchedulerSession(const SchedulerOptions& options) : m_parts(std::make_unique<Parts>(options)) {
    // Runs whose watcher is gone (the machine stopped under them) end as "no result". A failure leaves
    // them for the next scheduler to mark: nothing of the schedule depends on it.
    const store::Status marked =
        runlog::markNoResult(m_parts->files.runLog(), runlog::currentBootId(), runlog::watcherAlive);
    if (!marked.ok()) m_parts->ports.sink.error("The run log could not be updated: " + errorText(marked), marked.code, "runlog");
    m_parts->scheduler.setRunLog(m_parts->files.runLog());
    // The programs run under the watcher, which logs each run in the data folder's file.
    m_parts->ports.starter.watchWith(runlog::watchingFor(m_parts->files, *m_parts->ports.clock, "tarvelo96-cli"));
}
SchedulerSession::~SchedulerSession() = default;

void SchedulerSession::notifyThrough(platform::NotificationPort& desktop) {
    m_parts->ports.notifications.setDesktop(&desktop);
    m_parts->scheduler.setMessageNotices(
        {[&files = m_parts->files](const std::string& text) { engine::addMessageToDo(files, text); }, true});
}

int tickExitCode(const TickOutcome& outcome) {
    if (!outcome[TickOutcome::dueTask].ok()) return 1;
    return outcome.ok() ? 0 : kPartlyDoneExitCode;
}

TickOutcome SchedulerSession::tick() {
    static constexpr const char* kStepNames[TickOutcome::kSteps] = {"task", "warning", "purge"};
    const TickOutcome outcome = m_parts->scheduler.tick();
    for (int i = 0; i < TickOutcome::kSteps; ++i) {
        const auto step = static_cast<TickOutcome::Step>(i);
        const store::Status& s = outcome[step];
        if (s.ok()) continue;
        m_parts->ports.sink.error(std::string(TickOutcome::notSavedText(step)) + ": " + errorText(s), s.code, kStepNames[i]);
    }
    return outcome;
}

bool SchedulerSession::outputLost() const { return m_parts->ports.sink.broken(); }

}  // namespace tarvelo::cli
