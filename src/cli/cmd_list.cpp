// list, add and delete: the Schedule table of the current folder from scripts. Tasks are the flat JSON
// objects of schedule_json.h. Message boxes of the data layer go to stderr (see check).
#include <charconv>
#include <limits>
#include <cstdio>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/command.h"
#include "cli/schedule_json.h"
#include "core/picture.h"
#include "data/data_files.h"
#include "data/record_maintenance.h"
#include "search/tags.h"
#include "store/store.h"
#include "tasks/task_checks.h"
#include "ui/headless/exit_halt.h"
#include "ui/headless/text_message_box.h"

namespace tarvelo::cli {
namespace {

// The tables of the current folder with the command line's message box and halt.
struct Files {
    explicit Files(std::optional<int> answer) : messages(stderr, answer) {}
    ui::TextMessageBox messages;
    ui::ExitHalt halt;
    DataWarning warn{messages, halt};
    DataFiles files{warn};
};

// Takes --answer (or $TARVELO_ANSWER) out of args; false, with the problem on stderr, when it is bad.
bool takeAnswer(const char* command, std::vector<std::string>& args, std::optional<int>& answer) {
    std::string error;
    answer = ui::takeAnswerOption(args, error);
    if (error.empty()) return true;
    std::fprintf(stderr, "tarvelo96-cli %s: %s\n", command, error.c_str());
    return false;
}

const char* jsonKey(TaskField field) {
    switch (field) {
    case TaskField::taskType: return "tasktype";
    case TaskField::scheduleType: return "scheduletype";
    case TaskField::everyType: return "everytype";
    case TaskField::every: return "every";
    case TaskField::date: return "date";
    case TaskField::time: return "time";
    case TaskField::lastRunDate: return "lastrundate";
    case TaskField::lastRunTime: return "lastruntime";
    case TaskField::advanceWarnDate: return "advancewarndate";
    case TaskField::advanceWarnTime: return "advancewarntime";
    }
    return "";
}

int runList(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    std::optional<int> answer;
    if (!takeAnswer("list", args, answer)) return 2;
    bool json = false;
    bool selected = false;
    for (const auto& a : args) {
        if (a == "--json") {
            json = true;
        } else if (a == "--selected") {
            selected = true;
        } else {
            std::fprintf(stderr, "tarvelo96-cli list: unexpected argument '%s'\n", a.c_str());
            return 2;
        }
    }
    Files f(answer);
    TableUse use(f.files, TableId::schedule);
    search::LoopRunner runner;
    search::Tags tags(f.files, runner);
    auto schedule = f.files.schedule();
    Schedule task;
    store::Status s = schedule.setToStart(ScheduleKey::keyId);
    while (s.ok() && (s = schedule.next(task)).ok()) {
        if (selected && !tags.getTag(search::kScheduleTable, task.ref.rowId)) continue;
        if (json) {
            std::printf("%s\n", scheduleToJson(task).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
        } else {
            std::string flags;
            if (task.disabled) flags += " disabled";
            if (task.completed) flags += " completed";
            if (task.skipNextTime) flags += " skip";
            std::printf("%d\t%s %s\t%s\t%s%s\n", task.id, formatIsoDate(task.date).c_str(),
                        formatTime24(task.time).c_str(), task.taskType.text().c_str(),
                        task.description.text().c_str(), flags.c_str());
        }
    }
    if (s.code != store::kRecordNotAvailable) {
        std::fprintf(stderr, "tarvelo96-cli list: %s\n", errorText(s).c_str());
        return 1;
    }
    return 0;
}

int runAdd(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    std::optional<int> answer;
    if (!takeAnswer("add", args, answer)) return 2;
    if (args.size() != 2 || args[0] != "--json") {
        std::fprintf(stderr, "tarvelo96-cli add: usage: add --json '{...}'\n");
        return 2;
    }
    const nlohmann::json object = nlohmann::json::parse(args[1], nullptr, false);
    if (object.is_discarded()) {
        std::fprintf(stderr, "tarvelo96-cli add: not valid JSON\n");
        return 2;
    }
    Schedule task;
    if (const auto problem = scheduleFromJson(object, task)) {
        std::fprintf(stderr, "tarvelo96-cli add: %s\n", problem->c_str());
        return 2;
    }
    // What the forms would refuse is refused here too; what they only warn about is a warning.
    if (const auto problem = taskEntryProblem(task)) {
        std::fprintf(stderr, "tarvelo96-cli add: \"%s\" %s\n", jsonKey(problem->field), problem->text.c_str());
        return 2;
    }
    if (const auto warning = applyTaskEntryRules(task)) {
        std::fprintf(stderr, "tarvelo96-cli add: warning: %s\n", warning->c_str());
    }

    Files f(answer);
    TableUse use(f.files, TableId::schedule);
    auto schedule = f.files.schedule();
    // Numbered and added in one transaction, so two scripts adding at once never take the same number.
    store::Transaction transaction;
    store::Status s = transaction.begin({&schedule.table()}, kTransactionTimeoutSeconds);
    if (s.ok()) {
        Schedule highest;
        const bool any = schedule.setToEnd(ScheduleKey::keyId).ok() && schedule.previous(highest).ok();
        if (any && highest.id == std::numeric_limits<std::int32_t>::max()) {
            std::fprintf(stderr, "tarvelo96-cli add: no task number is left\n");
            return 1;
        }
        task.id = any ? highest.id + 1 : 1;  // the JSON's "id" is not used: a new task takes the next number
        task.ref = {};
        s = schedule.add(task);
    }
    if (s.ok()) s = transaction.commit();
    if (!s.ok()) {
        std::fprintf(stderr, "tarvelo96-cli add: %s\n", errorText(s).c_str());
        return 1;
    }
    std::printf("%d\n", task.id);
    return 0;
}

int runDelete(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    std::optional<int> answer;
    if (!takeAnswer("delete", args, answer)) return 2;
    std::int32_t id = 0;
    const bool isNumber = args.size() == 1 && !args[0].empty() &&
                          std::from_chars(args[0].data(), args[0].data() + args[0].size(), id).ptr ==
                              args[0].data() + args[0].size();
    if (!isNumber) {
        std::fprintf(stderr, "tarvelo96-cli delete: usage: delete ID\n");
        return 2;
    }
    Files f(answer);
    TableUse use(f.files, TableId::schedule);
    Schedule key, task;
    key.id = id;
    if (!f.files.schedule().fetch(ScheduleKey::keyId, key, task).ok()) {
        std::fprintf(stderr, "tarvelo96-cli delete: there is no task %d\n", id);
        return 1;
    }
    return deleteScheduleRecord(f.files, task) == 0 ? 0 : 1;
}

const Registration kList{"list", "list [--json] [--selected]   the tasks in SCH:KEYID order (only the selected ones)",
                         &runList};
const Registration kAdd{"add", "add --json '{...}'   add a task under the next free number; prints it", &runAdd};
const Registration kDelete{"delete", "delete ID   remove one task", &runDelete};

}  // namespace
}  // namespace tarvelo::cli
