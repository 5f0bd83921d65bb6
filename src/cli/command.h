#pragma once
// Subcommands of tarvelo96-cli. Each lives in a file of its own and declares itself, with its options,
// on the program's one parser:
//
//   void defineDate(Commands& commands) {
//       auto text = std::make_shared<std::string>();
//       CLI::App& date = commands.add("date", "calendar date <-> Standard date", [text] { return convert(*text); });
//       date.add_option("DATE", *text, "YYYY-MM-DD or a day number")->required();
//   }
//   const Registration kDate{"date", &defineDate};
//
// A command runs once the whole command line has been parsed and returns the exit code. A usage error
// ends the program with exit code 2 and the same wording whoever finds it: the parser, or the command
// itself by throwing UsageError before it touches any file.
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/exit_codes.h"

namespace tarvelo::cli {

using Run = std::function<int()>;

// A problem with the command line that the parser could not see (a value it cannot check alone).
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The program's parser and what each of its commands runs.
class Commands {
public:
    explicit Commands(CLI::App& program) : m_program(program) {}

    CLI::App& program() { return m_program; }
    // A command of the program, or of another command (`todo list`), that runs `run` once parsed.
    CLI::App& add(const std::string& name, const std::string& description, Run run) {
        return add(m_program, name, description, std::move(run));
    }
    CLI::App& add(CLI::App& parent, const std::string& name, const std::string& description, Run run);
    // A command whose own commands do the work (`todo`): one of them is required.
    CLI::App& addGroup(const std::string& name, const std::string& description);

    // What the parsed command line asks for: the deepest command given, or nullptr when none.
    const Run* chosen() const;

private:
    CLI::App& m_program;
    std::map<const CLI::App*, Run> m_runs;
};

// The command given deepest on a parsed command line ("list" of `todo list`), or program itself.
const CLI::App& deepestCommand(const CLI::App& program);

using Define = void (*)(Commands& commands);

// A command of the program; the program lists them by name.
struct Registration {
    Registration(std::string name, Define define);
    std::string name;
    Define define;
};

std::vector<Registration>& registrations();

}  // namespace tarvelo::cli
