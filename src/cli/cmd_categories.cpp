// categories: the Categories table of the current folder from scripts, through the same record procedures
// as the category windows, so the same reference rules hold: a category that tasks use can be neither
// deleted nor renamed, and names are unique whatever their letter case. A refusal prints the window's
// message on stderr and exits 1.
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "cli/command.h"
#include "cli/data_folder.h"
#include "cli/options.h"
#include "core/plain_text.h"
#include "data/record_maintenance.h"
#include "data/update_form.h"

namespace tarvelo::cli {
namespace {

constexpr std::size_t kNameCharacters = decltype(Category::category)::kWidth;

// The stored category of that name in any letter case; nothing (reported) when there is none.
std::optional<Category> find(DataFiles& files, const std::string& name) {
    Category key, found;
    key.category = name;
    const store::Status s = files.categories().fetch(CategoryKey::keyCategory, key, found);
    if (s.ok()) return found;
    if (s.code == store::kRecordNotFound) {
        std::fprintf(stderr, "tarvelo96-cli categories: there is no category '%s'\n", printable(name).c_str());
    } else {
        std::fprintf(stderr, "tarvelo96-cli categories: %s\n", errorText(s).c_str());
    }
    return std::nullopt;
}

int list(DataFiles& files) {
    auto table = files.categories();
    Category c;
    store::Status s = table.setToStart(CategoryKey::keyCategory);
    while (s.ok() && (s = table.next(c)).ok()) std::printf("%s\n", printable(c.category.text()).c_str());
    if (s.code == store::kRecordNotAvailable) return 0;
    std::fprintf(stderr, "tarvelo96-cli categories: %s\n", errorText(s).c_str());
    return 1;
}

// A blank name is refused before the form is asked, in a line of the program's own: the form would show
// its box.
bool refusedAsBlank(const std::string& name) {
    if (!isBlankCategoryName(name)) return false;
    std::fprintf(stderr, "tarvelo96-cli categories: a category name cannot be blank\n");
    return true;
}

int add(DataFiles& files, const std::string& name) {
    if (refusedAsBlank(name)) return 1;
    Category category;
    category.category = name;
    CategoryForm form(files, Request::insert, category);
    if (!form.start()) return 1;
    return form.complete() == FormStep::close ? 0 : failureExitCode(form.lastFailure());
}

int rename(DataFiles& files, const std::string& from, const std::string& to) {
    if (refusedAsBlank(to)) return 1;
    auto stored = find(files, from);
    if (!stored) return 1;
    const FixedText<20> snapshot = stored->category;
    stored->category = to;
    if (stored->category == snapshot) return 0;
    const store::Status s = putCategoriesRecord(files, *stored, snapshot);
    return s.ok() ? 0 : failureExitCode(s);
}

int remove(DataFiles& files, const std::string& name) {
    const auto stored = find(files, name);
    if (!stored) return 1;
    const store::Status s = deleteCategoriesRecord(files, *stored);
    return s.ok() ? 0 : failureExitCode(s);
}

// What a command of categories is given: the names it names, and the fixed answer.
struct CategoryRequest {
    std::string name;
    std::string newName;
    std::optional<int> answer;
};

// What the category form would not take in a name: more characters than the field holds, control
// characters, bytes that are not UTF-8. Empty when it would.
std::string nameProblem(const std::string& text) {
    const auto problem = entryTextProblem(text, kNameCharacters);
    return problem ? "a category name " + *problem + ": '" + printable(text) + "'" : std::string();
}

// Whether an operand names a new category (held to the form's rules) or one that is stored (which an
// older version may have stored with control characters: it can still be renamed or deleted).
enum class NameUse { entered, stored };

// A name as an operand: checked before any file is opened.
CLI::Option* addName(CLI::App& command, const std::string& operand, std::string& name, const std::string& description,
                     NameUse use = NameUse::entered) {
    const CLI::Validator fits(
        [use](std::string& text) {
            if (text.empty()) return std::string("a category name cannot be blank");
            return use == NameUse::entered ? nameProblem(text) : std::string();
        },
        "");
    return command.add_option(operand, name, description)->required()->check(fits);
}

// A command of categories: action runs on the Categories table (and the Schedule table, whose tasks refer
// to it) with what the command was given.
template <class Action>
CLI::App& categoryCommand(Commands& commands, CLI::App& group, const std::string& name, const std::string& description,
                          const std::shared_ptr<CategoryRequest>& request, Action action) {
    CLI::App& command = commands.add(group, name, description, [request, action] {
        DataFolder folder(request->answer);
        const TableUse categories(folder.files, TableId::categories);
        const TableUse schedule(folder.files, TableId::schedule);
        return action(folder.files, *request);
    });
    addAnswerOption(command, request->answer);
    return command;
}

void defineCategories(Commands& commands) {
    CLI::App& group = commands.addGroup("categories", "the categories: list, add, rename, delete");
    group.footer("The categories windows' rules hold: a category that tasks use can be neither deleted nor "
                 "renamed, and names are unique in any letter case.");
    using Given = const CategoryRequest&;

    auto listed = std::make_shared<CategoryRequest>();
    categoryCommand(commands, group, "list", "every category, in name order", listed,
                    [](DataFiles& files, Given) { return list(files); });

    auto added = std::make_shared<CategoryRequest>();
    CLI::App& adding = categoryCommand(commands, group, "add", "add a category, as the category form would", added,
                                       [](DataFiles& files, Given r) { return add(files, r.name); });
    addName(adding, "NAME", added->name, "the new category");

    auto renamed = std::make_shared<CategoryRequest>();
    CLI::App& renaming = categoryCommand(commands, group, "rename", "rename a category that no task uses", renamed,
                                         [](DataFiles& files, Given r) { return rename(files, r.name, r.newName); });
    addName(renaming, "OLD", renamed->name, "the category", NameUse::stored);
    addName(renaming, "NEW", renamed->newName, "its new name");

    auto deleted = std::make_shared<CategoryRequest>();
    CLI::App& deleting = categoryCommand(commands, group, "delete", "delete a category that no task uses", deleted,
                                         [](DataFiles& files, Given r) { return remove(files, r.name); });
    addName(deleting, "NAME", deleted->name, "the category", NameUse::stored);
}

const Registration kCategories{"categories", &defineCategories};

}  // namespace
}  // namespace tarvelo::cli
