// categories: the Categories table of the current folder from scripts, through the same record procedures
// as the category windows, so the same reference rules hold: a category that tasks use can be neither
// deleted nor renamed, and names are unique whatever their letter case. A refusal prints the window's
// message on stderr and exits 1.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/command.h"
#include "data/data_files.h"
#include "data/record_maintenance.h"
#include "data/update_form.h"
#include "ui/headless/exit_halt.h"
#include "ui/headless/text_message_box.h"

namespace tarvelo::cli {
namespace {

constexpr const char* kUsage =
    "categories list | add NAME | rename OLD NEW | delete NAME   the categories, in name order";
constexpr std::size_t kNameBytes = 20;

struct Files {
    explicit Files(std::optional<int> answer) : messages(stderr, answer) {}
    ui::TextMessageBox messages;
    ui::ExitHalt halt;
    DataWarning warn{messages, halt};
    DataFiles files{warn};
};

int usageError(const std::string& problem) {
    std::fprintf(stderr, "tarvelo96-cli categories: %s\nusage: %s\n", problem.c_str(), kUsage);
    return 2;
}

// The stored category of that name in any letter case; nothing (reported) when there is none.
std::optional<Category> find(DataFiles& files, const std::string& name) {
    Category key, found;
    key.category = name;
    const store::Status s = files.categories().fetch(CategoryKey::keyCategory, key, found);
    if (s.ok()) return found;
    if (s.code == store::kRecordNotFound) {
        std::fprintf(stderr, "tarvelo96-cli categories: there is no category '%s'\n", name.c_str());
    } else {
        std::fprintf(stderr, "tarvelo96-cli categories: %s\n", errorText(s).c_str());
    }
    return std::nullopt;
}

int list(DataFiles& files) {
    auto table = files.categories();
    Category c;
    store::Status s = table.setToStart(CategoryKey::keyCategory);
    while (s.ok() && (s = table.next(c)).ok()) std::printf("%s\n", c.category.text().c_str());
    if (s.code == store::kRecordNotAvailable) return 0;
    std::fprintf(stderr, "tarvelo96-cli categories: %s\n", errorText(s).c_str());
    return 1;
}

int add(DataFiles& files, const std::string& name) {
    Category category;
    category.category = name;
    CategoryForm form(files, Request::insert, category);
    if (!form.start()) return 1;
    return form.complete() == FormStep::close ? 0 : 1;
}

int rename(DataFiles& files, const std::string& from, const std::string& to) {
    auto stored = find(files, from);
    if (!stored) return 1;
    const FixedText<20> snapshot = stored->category;
    stored->category = to;
    if (stored->category == snapshot) return 0;
    return putCategoriesRecord(files, *stored, snapshot) == 0 ? 0 : 1;
}

int remove(DataFiles& files, const std::string& name) {
    const auto stored = find(files, name);
    if (!stored) return 1;
    return deleteCategoriesRecord(files, *stored) == 0 ? 0 : 1;
}

int runCategories(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    std::string error;
    const std::optional<int> answer = ui::takeAnswerOption(args, error);
    if (!error.empty()) return usageError(error);
    if (args.empty()) return usageError("a subcommand is expected");
    const std::string& what = args[0];
    const std::size_t operands = args.size() - 1;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i].empty()) return usageError("a category name cannot be blank");
        if (args[i].size() > kNameBytes) return usageError("a category name holds at most 20 bytes: '" + args[i] + "'");
    }
    const bool shapeOk = (what == "list" && operands == 0) || (what == "add" && operands == 1) ||
                         (what == "rename" && operands == 2) || (what == "delete" && operands == 1);
    if (!shapeOk) return usageError("unexpected arguments");

    Files f(answer);
    const TableUse categories(f.files, TableId::categories);
    const TableUse schedule(f.files, TableId::schedule);
    if (what == "list") return list(f.files);
    if (what == "add") return add(f.files, args[1]);
    if (what == "rename") return rename(f.files, args[1], args[2]);
    return remove(f.files, args[1]);
}

const Registration kCategories{"categories", kUsage, &runCategories};

}  // namespace
}  // namespace tarvelo::cli
