#include "cli/scheduler_session.h"

#include <cstdio>

#include "core/date.h"
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
std::optional<ui::Moment> parseMoment(const std::string& text) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    char end = 0;
    if (text.size() != 19 ||
        std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &y, &mo, &d, &h, &mi, &s, &end) != 6) {
        return std::nullopt;
    }
    if (text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':' || text[16] != ':') return std::nullopt;
    if (y < 1801 || y > 9999 || mo < 1 || mo > 12 || d < 1 || d > daysInMonth(y, mo)) return std::nullopt;
    if (h > 23 || mi > 59 || s > 59 || h < 0 || mi < 0 || s < 0) return std::nullopt;
    return ui::Moment{dateFromYmd(y, mo, d), timeFromHms(h, mi, s)};
}

std::optional<SchedulerOptions> parseSchedulerOptions(const std::vector<std::string>& arguments, bool allowAt) {
    std::vector<std::string> args = arguments;
    std::string error;
    SchedulerOptions options;
    options.answer = ui::takeAnswerOption(args, error);
    if (!error.empty()) {
        std::fprintf(stderr, "tarvelo96-cli: %s\n", error.c_str());
        return std::nullopt;
    }
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--at" && allowAt && i + 1 < args.size()) {
            options.at = parseMoment(args[++i]);
            if (!options.at) {
                std::fprintf(stderr, "tarvelo96-cli: --at wants \"YYYY-MM-DD HH:MM:SS\", not '%s'\n", args[i].c_str());
                return std::nullopt;
            }
        } else {
            std::fprintf(stderr, "tarvelo96-cli: unexpected argument '%s'\n", args[i].c_str());
            return std::nullopt;
        }
    }
    return options;
}

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
