#pragma once
// Subcommands of tarvelo96-cli. Each lives in a file of its own and registers itself:
//
//   static const tarvelo::cli::Registration kDate{"date", "date YYYY-MM-DD | date N", &runDate};
//
// A command gets its arguments (without the program and command names) and returns the exit code.
#include <functional>
#include <string>
#include <vector>

namespace tarvelo::cli {

using Handler = std::function<int(const std::vector<std::string>& args)>;

struct Command {
    std::string name;
    std::string usage;
    Handler handler;
};

std::vector<Command>& commands();

struct Registration {
    Registration(std::string name, std::string usage, Handler handler) {
        commands().push_back(Command{std::move(name), std::move(usage), std::move(handler)});
    }
};

}  // namespace tarvelo::cli
