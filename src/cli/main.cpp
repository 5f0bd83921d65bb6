// tarvelo96-cli: the scheduler's core without a display, for scripts and checks.
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cli/command.h"
#include "cli/data_folder.h"
#include "core/data_folder.h"
#include "data/data_warning.h"
#include "store/store.h"

namespace tarvelo::cli {

std::vector<Registration>& registrations() {
    static std::vector<Registration> all;
    return all;
}

Registration::Registration(std::string name, Define define) : name(std::move(name)), define(define) {
    registrations().push_back(*this);
}

CLI::App& Commands::add(CLI::App& parent, const std::string& name, const std::string& description, Run run) {
    CLI::App* command = parent.add_subcommand(name, description);
    m_runs[command] = std::move(run);
    return *command;
}

CLI::App& Commands::addGroup(const std::string& name, const std::string& description) {
    CLI::App* command = m_program.add_subcommand(name, description);
    command->require_subcommand(1);
    return *command;
}

const Run* Commands::chosen() const {
    const auto it = m_runs.find(&deepestCommand(m_program));
    return it == m_runs.end() ? nullptr : &it->second;
}

const CLI::App& deepestCommand(const CLI::App& program) {
    const CLI::App* at = &program;
    while (!at->get_subcommands().empty()) at = at->get_subcommands().front();
    return *at;
}

}  // namespace tarvelo::cli

namespace {

using tarvelo::cli::Commands;

// "tarvelo96-cli todo add": the words that name a command on the command line.
std::string commandLineName(const CLI::App& command) {
    std::string name = command.get_name();
    for (const CLI::App* up = command.get_parent(); up != nullptr; up = up->get_parent())
        name = up->get_name() + " " + name;
    return name;
}

// Every usage error, from the parser or from a command, is told the same way.
int usageError(const CLI::App& command, const std::string& problem) {
    const std::string name = commandLineName(command);
    std::string usage = CLI::Formatter().make_usage(&command, name);
    while (!usage.empty() && usage.back() == '\n') usage.pop_back();
    std::fprintf(stderr, "%s: %s\n%s\nRun '%s --help' for more information.\n", name.c_str(), problem.c_str(),
                 usage.c_str(), name.c_str());
    return tarvelo::cli::kUsageExitCode;
}

void defineHelp(Commands& commands, std::shared_ptr<std::string>& topic) {
    topic = std::make_shared<std::string>();
    CLI::App& program = commands.program();
    CLI::App& help = commands.add("help", "this list, or the options of a command", [&program, topic] {
        const CLI::App* command = &program;
        if (!topic->empty()) command = program.get_subcommand(*topic);
        const std::string name = commandLineName(*command);
        std::fputs(command->get_formatter()->make_help(command, name, CLI::AppFormatMode::Normal).c_str(), stdout);
        std::printf("\nData folder: %s\n", tarvelo::canonicalFolder(tarvelo::cli::dataFolder()).c_str());
        return 0;
    });
    const CLI::Validator known(
        [&program](std::string& name) {
            try {
                program.get_subcommand(name);
                return std::string();
            } catch (const CLI::OptionNotFound&) {
                return "unknown command '" + name + "'";
            }
        },
        "");
    help.add_option("COMMAND", *topic, "the command to explain")->check(known);
}

}  // namespace

int main(int argc, char** argv) {
    // A reader that goes away (`run | head -n1`) must not kill the process between storing an occurrence
    // and performing it: a failed write of output is noticed and handled instead.
    std::signal(SIGPIPE, SIG_IGN);
    // A wait for a file another program keeps locked is said once, on stderr: the command is not stuck.
    tarvelo::store::setLockWaitObserver([told = std::string()](const tarvelo::store::LockWaitNotice& wait) mutable {
        if (wait.file == told) return;
        told = wait.file;
        std::fprintf(stderr, "tarvelo96-cli: %s\n", tarvelo::lockWaitText(wait).c_str());
    });

    CLI::App program{"The scheduler without a display, for scripts and checks. Tasks, the to-do list and the "
                     "categories are those of the data files in the data folder: the current folder, unless "
                     "--data-folder or --xdg-data names another. These two go before or after the command.",
                     "tarvelo96-cli"};
    program.require_subcommand(1);
    program.get_formatter()->column_width(14);
    // Set before the commands are added, which inherit it: the folder options may follow the command.
    program.fallthrough();
    std::string folderGiven;
    bool xdgData = false;
    CLI::Option* folderOption =
        program.add_option("--data-folder", folderGiven, "the folder of the data files, made owner-only when missing")
            ->type_name("DIR");
    program.add_flag("--xdg-data", xdgData,
                     "the data files in $XDG_DATA_HOME/tarvelo96 (~/.local/share/tarvelo96 by default), as the "
                     "installed user service keeps them")
        ->excludes(folderOption);

    auto& all = tarvelo::cli::registrations();
    std::sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    Commands commands(program);
    for (const auto& r : all) r.define(commands);
    std::shared_ptr<std::string> helpTopic;
    defineHelp(commands, helpTopic);
    program.footer(std::string("Run 'tarvelo96-cli COMMAND --help' for the options of a command.\n\n") +
                   tarvelo::cli::kExitCodes);

    // The parser would take an unknown command (`todo show`) for a missing one.
    CLI::App* at = &program;
    for (int i = 1; i < argc && !at->get_subcommands({}).empty(); ++i) {
        const std::string_view word = argv[i];
        if (word == "--data-folder") {
            ++i;  // its value is no command
            continue;
        }
        if (word == "--xdg-data" || word.starts_with("--data-folder=")) continue;
        if (word[0] == '-') break;
        try {
            at = at->get_subcommand(argv[i]);
        } catch (const CLI::OptionNotFound&) {
            return usageError(*at, std::string("unknown command '") + argv[i] + "'");
        }
    }
    try {
        program.parse(argc, argv);
        const tarvelo::cli::Run* run = commands.chosen();
        if (run == nullptr) return usageError(tarvelo::cli::deepestCommand(program), "a command is required");
        const std::string folder = xdgData ? tarvelo::xdgDataFolder() : folderGiven;
        if (!folder.empty()) {
            if (const auto problem = tarvelo::prepareDataFolder(folder)) {
                std::fprintf(stderr, "tarvelo96-cli: the data folder cannot be used: %s\n", problem->c_str());
                return 1;
            }
        }
        tarvelo::cli::setDataFolder(folder);
        return (*run)();
    } catch (const CLI::CallForHelp&) {
        std::fputs(program.help().c_str(), stdout);  // the help of the command given deepest
        return 0;
    } catch (const CLI::ParseError& e) {
        return usageError(tarvelo::cli::deepestCommand(program), e.what());
    } catch (const tarvelo::cli::UsageError& e) {
        return usageError(tarvelo::cli::deepestCommand(program), e.what());
    }
}
