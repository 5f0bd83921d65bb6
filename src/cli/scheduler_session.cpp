#include "cli/scheduler_session.h"

#include <cstdio>

#include "data/data_files.h"
#include "data/data_warning.h"
#include "engine/ini_files.h"
#include "engine/scheduler.h"
#include "ui/headless/exit_halt.h"
#include "ui/headless/json_events.h"
#include "ui/headless/posix_program_start.h"
#include "ui/headless/system_clock.h"
#include "ui/headless/text_message_box.h"

namespace tarvelo::cli {

// Members in the order they depend on one another; they are destroyed in reverse, so the tables are
// released (and closed) before the ports they report through.
struct SchedulerSession::Parts {
    explicit Parts(const SchedulerOptions& options)
        : messages(sink, options.answer),
          clock(options.at ? std::unique_ptr<ui::ClockPort>(std::make_unique<headless::FixedClock>(*options.at))
                           : std::make_unique<headless::SystemClock>()),
          settings(startUpSettings()) {
        reportUnreadableIniFiles(messages);
        settings.programTitle = "Tarvelo '96";
    }

    headless::JsonEventSink sink{stdout};
    headless::JsonFrame frame{sink};
    headless::JsonMessageBox messages;
    headless::JsonSound sound{sink};
    headless::JsonMessageWindows messageWindows{sink};
    headless::PosixProgramStart starter;
    headless::JsonProgramStart programs{sink, starter};
    std::unique_ptr<ui::ClockPort> clock;
    ui::ExitHalt halt;
    DataWarning warn{messages, halt};
    Settings settings;
    DataFiles files{warn};
    TableUse history{files, TableId::history};
    TableUse schedule{files, TableId::schedule};
    Scheduler scheduler{files.schedule(), settings, {*clock, frame, messages, sound, programs, messageWindows}};
};

SchedulerSession::SchedulerSession(const SchedulerOptions& options) : m_parts(std::make_unique<Parts>(options)) {}
SchedulerSession::~SchedulerSession() = default;

bool SchedulerSession::tick() {
    const store::Status s = m_parts->scheduler.tick();
    if (s.ok()) return true;
    m_parts->sink.error(std::string(kScheduleNotSaved) + ": " + errorText(s), s.code);
    return false;
}

bool SchedulerSession::outputLost() const { return m_parts->sink.broken(); }

}  // namespace tarvelo::cli
