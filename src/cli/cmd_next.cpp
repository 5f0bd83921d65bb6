// next ID [--count N] [--json]: a task's coming occurrences, its own date and time first, then each one
// the scheduler would move it on to after performing it, in local time.
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "cli/command.h"
#include "cli/data_folder.h"
#include "cli/options.h"
#include "core/picture.h"
#include "tasks/next_dates.h"
#include "tasks/recurrence.h"
#include "platform/terminal/json_line.h"

namespace tarvelo::cli {
namespace {

constexpr int kMaxCount = 100000;

struct NextRequest {
    std::int32_t id = 0;
    int count = 10;
    bool json = false;
    std::optional<int> answer;
};

// "1997-01-31 17:30:00"
std::string formatMoment(platform::Moment at) {
    const Hms clock = clockTime(at.time);
    char time[16];
    std::snprintf(time, sizeof time, " %02d:%02d:%02d", clock.hours, clock.minutes, clock.seconds);
    return formatIsoDate(at.date) + time;
}

int runNext(const NextRequest& request) {
    DataFolder f(request.answer);
    TableUse use(f.files, TableId::schedule);
    Task key, task;
    key.id = request.id;
    if (!f.files.schedule().fetch(ScheduleKey::keyId, key, task).ok()) {
        std::fprintf(stderr, "tarvelo96-cli next: there is no task %d\n", request.id);
        return 1;
    }
    std::string out;
    if (task.disabled) {
        if (request.json) {
            platform::JsonLine(out).number("id", task.id).boolean("disabled", true).end();
        } else {
            out = "Task " + std::to_string(task.id) + " is disabled: the scheduler does not perform it.\n";
        }
        std::fputs(out.c_str(), stdout);
        return 0;
    }
    if (unitMissing(task)) std::fprintf(stderr, "tarvelo96-cli next: warning: %s\n", invalidUnitsMessage().text.c_str());
    for (const platform::Moment at : nextDates(task, request.count)) {
        if (request.json) {
            platform::JsonLine(out).number("date", at.date).number("time", at.time).text("at", formatMoment(at)).end();
        } else {
            out += formatMoment(at) + "\n";
        }
    }
    if (task.date == 0) std::fprintf(stderr, "tarvelo96-cli next: task %d has no date\n", task.id);
    return std::fputs(out.c_str(), stdout) < 0 || std::fflush(stdout) != 0 ? 1 : 0;
}

void defineNext(Commands& commands) {
    auto request = std::make_shared<NextRequest>();
    CLI::App& next = commands.add("next", "a task's next dates, as the scheduler will move it on",
                                  [request] { return runNext(*request); });
    next.footer("A line for each occurrence, YYYY-MM-DD HH:MM:SS in local time: the task's own date and time, then "
                "each one after performing the one before. A \"Once\" task has one; a disabled task says so.");
    next.add_option("ID", request->id, "the task's number")->required();
    next.add_option("--count", request->count, "how many occurrences (10 unless given)")
        ->check(CLI::Range(1, kMaxCount))
        ->type_name("N");
    next.add_flag("--json", request->json, "each occurrence as a JSON object: date, time (stored values) and at");
    addAnswerOption(next, request->answer);
}

const Registration kNext{"next", &defineNext};

}  // namespace
}  // namespace tarvelo::cli
