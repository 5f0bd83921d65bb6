// todo: the to-do list of the current folder from scripts, through the same record procedures as the
// to-do windows. Items have no number of their own, so each is named by its stored row's ID, which stays
// with the item for its whole life; list shows it. A priority outside 1..10 is refused with the form's
// message.
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "cli/command.h"
#include "cli/data_folder.h"
#include "cli/options.h"
#include "core/plain_text.h"
#include "data/record_maintenance.h"
#include "data/todo_list.h"
#include "data/update_form.h"
#include "platform/terminal/json_line.h"

namespace tarvelo::cli {
namespace {

constexpr std::size_t kTextCharacters = decltype(ToDo::todo)::kWidth;

const std::map<std::string, ToDoKey> kOrders = {
    {"done", ToDoKey::keyDone}, {"priority", ToDoKey::keyPriority}, {"todo", ToDoKey::keyToDo}};

// What a command of todo is given.
struct ToDoRequest {
    ToDoKey order = ToDoKey::keyDone;
    bool json = false;
    std::string text;
    std::optional<int> priority;
    bool done = false;
    std::int64_t id = 0;
    std::optional<int> answer;
};

int list(DataFiles& files, ToDoKey order, bool json) {
    auto table = files.toDo();
    ToDo item;
    store::Status s = table.setToStart(order);
    while (s.ok() && (s = table.next(item)).ok()) {
        if (json) {
            std::string line;
            platform::JsonLine(line)
                .boolean("done", item.done != 0)
                .number("id", item.ref.rowId)
                .number("priority", item.priority)
                .text("todo", item.todo.text())
                .end();
            std::fputs(line.c_str(), stdout);
        } else {
            std::printf("%lld\t%s\t%d\t%s\n", static_cast<long long>(item.ref.rowId), item.done ? "x" : " ",
                        item.priority, printable(item.todo.text()).c_str());
        }
    }
    if (s.code == store::kRecordNotAvailable) return 0;
    std::fprintf(stderr, "tarvelo96-cli todo: %s\n", errorText(s).c_str());
    return 1;
}

// The stored item with that ID; nothing (reported) when there is none.
std::optional<ToDo> find(DataFiles& files, std::int64_t id) {
    ToDo probe, stored;
    probe.ref.rowId = id;
    const store::Status s = rereadRecord(files, probe, stored);
    if (s.ok()) return stored;
    if (s.code == store::kRecordNotFound) {
        std::fprintf(stderr, "tarvelo96-cli todo: there is no item %lld\n", static_cast<long long>(id));
    } else {
        std::fprintf(stderr, "tarvelo96-cli todo: %s\n", errorText(s).c_str());
    }
    return std::nullopt;
}

int runList(const ToDoRequest& request) {
    DataFolder f(request.answer);
    const TableUse use(f.files, TableId::toDo);
    return list(f.files, request.order, request.json);
}

int runAdd(const ToDoRequest& request) {
    DataFolder f(request.answer);
    const TableUse use(f.files, TableId::toDo);
    ToDoForm form(f.files, Request::insert, {});
    if (!form.start()) return 1;
    ToDo& item = form.record();  // primed as the form primes a new item: priority 5, not done
    item.todo = request.text;
    item.done = request.done ? 1 : 0;
    if (request.priority) {
        if (!checkPriority(f.warn, *request.priority)) return 1;
        item.priority = static_cast<Byte>(*request.priority);
    }
    if (form.complete() != FormStep::close) return failureExitCode(form.lastFailure());
    std::printf("%lld\n", static_cast<long long>(form.record().ref.rowId));
    return 0;
}

void checkId(const ToDoRequest& request) {
    if (request.id <= 0) throw UsageError("an item's ID is a number that list shows");
}

int runDone(const ToDoRequest& request) {
    checkId(request);
    DataFolder f(request.answer);
    const TableUse use(f.files, TableId::toDo);
    auto item = find(f.files, request.id);
    if (!item) return 1;
    item->done = 1;
    const store::Status s = putToDoRecord(f.files, *item);
    return s.ok() ? 0 : failureExitCode(s);
}

int runDelete(const ToDoRequest& request) {
    checkId(request);
    DataFolder f(request.answer);
    const TableUse use(f.files, TableId::toDo);
    auto item = find(f.files, request.id);
    if (!item) return 1;
    const store::Status s = deleteToDoRecord(f.files, *item);
    return s.ok() ? 0 : failureExitCode(s);
}

// A command of todo that runs `run` with what it was given.
CLI::App& toDoCommand(Commands& commands, CLI::App& group, const std::string& name, const std::string& description,
                      const std::shared_ptr<ToDoRequest>& request, int (*run)(const ToDoRequest&)) {
    CLI::App& command = commands.add(group, name, description, [request, run] { return run(*request); });
    addAnswerOption(command, request->answer);
    return command;
}

// An item's ID as the operand of a command.
void addId(CLI::App& command, std::int64_t& id) {
    command.add_option("ID", id, "the item's ID, as list shows it")->required();
}

void defineToDo(Commands& commands) {
    CLI::App& group = commands.addGroup("todo", "the to-do items: list, add, done, delete");

    auto listed = std::make_shared<ToDoRequest>();
    CLI::App& listing =
        toDoCommand(commands, group, "list", "the items: ID, done (x), priority and text", listed, &runList);
    addChoice(listing, "--order", listed->order, kOrders, "the order, done items last by default");
    listing.add_flag("--json", listed->json, "each item as a JSON object");

    auto added = std::make_shared<ToDoRequest>();
    CLI::App& adding = toDoCommand(commands, group, "add", "add an item, as the to-do form would; prints its ID", added,
                                &runAdd);
    const CLI::Validator fits(
        [](const std::string& text) {
            const auto problem = entryTextProblem(text, kTextCharacters);
            return problem ? "an item " + *problem : std::string();
        },
        "");
    adding.add_option("TEXT", added->text, "what is to be done")->required()->check(fits);
    adding.add_option("--priority", added->priority, "1 (first) to 10; 5 when not given");
    adding.add_flag("--done", added->done, "the item is done already");

    auto done = std::make_shared<ToDoRequest>();
    addId(toDoCommand(commands, group, "done", "mark an item done", done, &runDone), done->id);

    auto deleted = std::make_shared<ToDoRequest>();
    addId(toDoCommand(commands, group, "delete", "delete an item", deleted, &runDelete), deleted->id);
}

const Registration kToDo{"todo", &defineToDo};

}  // namespace
}  // namespace tarvelo::cli
