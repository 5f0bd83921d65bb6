// todo: the to-do list of the current folder from scripts, through the same record procedures as the
// to-do windows. Items have no number of their own, so each is named by its stored row's ID, which stays
// with the item for its whole life; list shows it. A priority outside 1..10 is refused with the form's
// message.
#include <charconv>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/command.h"
#include "data/data_files.h"
#include "data/record_maintenance.h"
#include "data/todo_list.h"
#include "data/update_form.h"
#include "ui/headless/exit_halt.h"
#include "ui/headless/text_message_box.h"

namespace tarvelo::cli {
namespace {

constexpr const char* kUsage =
    "todo list [--order done|priority|todo] [--json] | add TEXT [--priority N] [--done] | done ID | delete ID"
    "   the to-do items (list shows each ID)";
constexpr std::size_t kTextBytes = 40;

struct Files {
    explicit Files(std::optional<int> answer) : messages(stderr, answer) {}
    ui::TextMessageBox messages;
    ui::ExitHalt halt;
    DataWarning warn{messages, halt};
    DataFiles files{warn};
};

int usageError(const std::string& problem) {
    std::fprintf(stderr, "tarvelo96-cli todo: %s\nusage: %s\n", problem.c_str(), kUsage);
    return 2;
}

template <class N>
std::optional<N> number(const std::string& text) {
    N value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

int list(DataFiles& files, ToDoKey order, bool json) {
    auto table = files.toDo();
    ToDo item;
    store::Status s = table.setToStart(order);
    while (s.ok() && (s = table.next(item)).ok()) {
        if (json) {
            const nlohmann::json line{{"id", item.ref.rowId},
                                      {"done", item.done != 0},
                                      {"priority", item.priority},
                                      {"todo", item.todo.text()}};
            std::printf("%s\n", line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
        } else {
            std::printf("%lld\t%s\t%d\t%s\n", static_cast<long long>(item.ref.rowId), item.done ? "x" : " ",
                        item.priority, item.todo.text().c_str());
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

int runList(const std::vector<std::string>& args, std::optional<int> answer) {
    ToDoKey order = ToDoKey::keyDone;
    bool json = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--json") {
            json = true;
        } else if (args[i] == "--order" && i + 1 < args.size()) {
            const std::string& o = args[++i];
            if (o == "done") order = ToDoKey::keyDone;
            else if (o == "priority") order = ToDoKey::keyPriority;
            else if (o == "todo") order = ToDoKey::keyToDo;
            else return usageError("--order is done, priority or todo");
        } else {
            return usageError("unexpected argument '" + args[i] + "'");
        }
    }
    Files f(answer);
    const TableUse use(f.files, TableId::toDo);
    return list(f.files, order, json);
}

int runAdd(const std::vector<std::string>& args, std::optional<int> answer) {
    std::optional<std::string> text;
    std::optional<int> priority;
    bool done = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--done") {
            done = true;
        } else if (args[i] == "--priority" && i + 1 < args.size()) {
            priority = number<int>(args[++i]);
            if (!priority) return usageError("--priority takes a whole number");
        } else if (!text && args[i].rfind("--", 0) != 0) {
            text = args[i];
        } else {
            return usageError("unexpected argument '" + args[i] + "'");
        }
    }
    if (!text) return usageError("the item's text is expected");
    if (text->size() > kTextBytes) return usageError("an item holds at most 40 bytes");

    Files f(answer);
    const TableUse use(f.files, TableId::toDo);
    ToDoForm form(f.files, Request::insert, {});
    if (!form.start()) return 1;
    ToDo& item = form.record();  // primed as the form primes a new item: priority 5, not done
    item.todo = *text;
    item.done = done ? 1 : 0;
    if (priority) {
        if (!checkPriority(f.warn, *priority)) return 1;
        item.priority = static_cast<Byte>(*priority);
    }
    if (form.complete() != FormStep::close) return 1;
    std::printf("%lld\n", static_cast<long long>(form.record().ref.rowId));
    return 0;
}

int runOne(const std::vector<std::string>& args, std::optional<int> answer) {
    if (args.size() != 2) return usageError("an item's ID is expected");
    const auto id = number<std::int64_t>(args[1]);
    if (!id || *id <= 0) return usageError("an item's ID is a number that list shows");
    Files f(answer);
    const TableUse use(f.files, TableId::toDo);
    auto item = find(f.files, *id);
    if (!item) return 1;
    if (args[0] == "delete") return deleteToDoRecord(f.files, *item) == 0 ? 0 : 1;
    item->done = 1;
    return putToDoRecord(f.files, *item) == 0 ? 0 : 1;
}

int runTodo(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    std::string error;
    const std::optional<int> answer = ui::takeAnswerOption(args, error);
    if (!error.empty()) return usageError(error);
    if (args.empty()) return usageError("a subcommand is expected");
    if (args[0] == "list") return runList(args, answer);
    if (args[0] == "add") return runAdd(args, answer);
    if (args[0] == "done" || args[0] == "delete") return runOne(args, answer);
    return usageError("unknown subcommand '" + args[0] + "'");
}

const Registration kTodo{"todo", kUsage, &runTodo};

}  // namespace
}  // namespace tarvelo::cli
