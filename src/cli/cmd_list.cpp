// list, add and delete: the Schedule table of the current folder from scripts. Tasks are the flat JSON
// objects of task_json.h. Message boxes of the data layer go to stderr (see check).
#include <algorithm>
#include <cstdio>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/data_folder.h"
#include "cli/options.h"
#include "cli/task_json.h"
#include "core/picture.h"
#include "core/plain_text.h"
#include "data/record_maintenance.h"
#include "data/record_position.h"
#include "data/tags.h"
#include "store/store.h"
#include "tasks/task_checks.h"

namespace tarvelo::cli {
namespace {

// What list, add or delete is given.
struct TaskRequest {
    bool json = false;
    bool selected = false;
    std::string object;  // add's task
    std::int32_t id = 0;
    std::optional<int> answer;
};

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

void printTask(bool json, const Task& task) {
    if (json) {
        std::string line;
        platform::JsonLine object(line);
        writeTask(object, task);
        object.end();
        std::fputs(line.c_str(), stdout);
        return;
    }
    std::string flags;
    if (task.disabled) flags += " disabled";
    if (task.completed) flags += " completed";
    if (task.skipNextTime) flags += " skip";
    std::printf("%d\t%s %s\t%s\t%s%s\n", task.id, formatIsoDate(task.date).c_str(), formatTime24(task.time).c_str(),
                printable(task.taskType.text()).c_str(), printable(task.description.text()).c_str(), flags.c_str());
}

// Every task in task-number order.
store::Status printAll(DataFiles& files, bool json) {
    auto schedule = files.schedule();
    Task task;
    store::Status s = schedule.setToStart(ScheduleKey::keyId);
    while (s.ok() && (s = schedule.next(task)).ok()) printTask(json, task);
    return s;
}

// The tasks a search tagged, in task-number order, read where their tags point, so that a few tagged among
// many cost only their own reads (asking the tag file about every task cost a lookup, and an opening of
// the file, per task). A tag whose task has gone is passed over (tagNamesTask).
store::Status printSelected(DataFiles& files, bool json) {
    std::vector<std::pair<std::int64_t, std::string>> tagged;  // position, the tag's value
    {
        platform::LoopRunner runner;
        Tags tags(files, runner);
        tagged = tags.tagRecords(kScheduleTable);
    }
    std::vector<Task> found;
    PositionReader reader(files.table(TableId::schedule));
    for (const auto& [position, value] : tagged) {
        store::Row row;
        const store::Status s = reader.read(position, row);
        if (s.code == store::kRecordNotFound) continue;
        if (!s.ok()) return s;
        Task task = RecordTable<Task>::fromRow(row);
        if (tagNamesTask(value, task.id)) found.push_back(std::move(task));
    }
    std::sort(found.begin(), found.end(), [](const Task& a, const Task& b) { return a.id < b.id; });
    for (const Task& task : found) printTask(json, task);
    return store::Status::make(store::kRecordNotAvailable);  // the end, as a read of the whole table ends
}

int runList(const TaskRequest& request) {
    DataFolder f(request.answer);
    TableUse use(f.files, TableId::schedule);
    const store::Status s = request.selected ? printSelected(f.files, request.json) : printAll(f.files, request.json);
    if (s.code != store::kRecordNotAvailable) {
        std::fprintf(stderr, "tarvelo96-cli list: %s\n", errorText(s).c_str());
        return 1;
    }
    return 0;
}

int runAdd(const TaskRequest& request) {
    Task task;
    const TaskJsonReader reader(kTaskJsonFields, TaskJsonReader::OtherKeys::refuse, {},
                                    TaskJsonReader::Texts::asEntered);
    if (const auto problem = reader.read(request.object, task)) throw UsageError(*problem);
    // What the forms would refuse is refused here too; what they only warn about is a warning.
    if (const auto problem = taskEntryProblem(task))
        throw UsageError("\"" + std::string(jsonKey(problem->field)) + "\" " + problem->text);
    if (const auto warning = applyTaskEntryRules(task)) {
        std::fprintf(stderr, "tarvelo96-cli add: warning: %s\n", warning->c_str());
    }

    DataFolder f(request.answer);
    TableUse use(f.files, TableId::schedule);
    auto schedule = f.files.schedule();
    // Numbered and added in one transaction, so two scripts adding at once never take the same number.
    store::Transaction transaction;
    store::Status s;
    while (!(s = transaction.begin({&schedule.table()})).ok() && f.warn.retryBusy(schedule.table(), s)) {
    }
    if (store::isBusy(s)) return failureExitCode(s);  // the box has said why
    if (s.ok()) {
        Task highest;
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

int runDelete(const TaskRequest& request) {
    const std::int32_t id = request.id;
    DataFolder f(request.answer);
    TableUse use(f.files, TableId::schedule);
    Task key, task;
    key.id = id;
    if (!f.files.schedule().fetch(ScheduleKey::keyId, key, task).ok()) {
        std::fprintf(stderr, "tarvelo96-cli delete: there is no task %d\n", id);
        return 1;
    }
    const store::Status s = deleteTaskRecord(f.files, task);
    return s.ok() ? 0 : failureExitCode(s);
}

// A command on the Schedule table that runs `run` with what it was given.
CLI::App& taskCommand(Commands& commands, const std::string& name, const std::string& description,
                      int (*run)(const TaskRequest&), std::shared_ptr<TaskRequest>& request) {
    request = std::make_shared<TaskRequest>();
    CLI::App& command = commands.add(name, description, [request, run] { return run(*request); });
    addAnswerOption(command, request->answer);
    return command;
}

void defineList(Commands& commands) {
    std::shared_ptr<TaskRequest> request;
    CLI::App& list = taskCommand(commands, "list", "the tasks by task number", &runList, request);
    list.footer("A line for each task: number, date and time, task type, description, and the marks disabled, "
                "completed and skip.");
    list.add_flag("--json", request->json,
                  "each task as a JSON object of its fields, keyed by their names in lower case");
    list.add_flag("--selected", request->selected, "only the tasks selected (tagged) for a search");
}

void defineAdd(Commands& commands) {
    std::shared_ptr<TaskRequest> request;
    CLI::App& add = taskCommand(commands, "add", "add a task under the next free number; prints the number",
                                &runAdd, request);
    add.footer("What the task form would refuse is refused; what it would only warn about is a warning on "
               "standard error.");
    add.add_option("--json", request->object, "the task: a JSON object of fields, as list --json prints them")
        ->required()
        ->type_name("'{...}'");
}

void defineDelete(Commands& commands) {
    std::shared_ptr<TaskRequest> request;
    CLI::App& remove = taskCommand(commands, "delete", "delete one task", &runDelete, request);
    remove.add_option("ID", request->id, "the task's number")->required();
}

const Registration kList{"list", &defineList};
const Registration kAdd{"add", &defineAdd};
const Registration kDelete{"delete", &defineDelete};

}  // namespace
}  // namespace tarvelo::cli
