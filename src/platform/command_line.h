#pragma once
// Splitting a task's command line into a program and its arguments the way a POSIX shell splits words,
// without running a shell: blanks (space, tab, newline) separate words; a backslash keeps the next
// character as it is; single quotes keep everything up to the closing quote; double quotes keep everything
// except that a backslash before $ ` " \ or a newline is dropped. Nothing else of the shell applies: no
// variables, globbing, pipes or redirections, so | ; & > $ and * reach the program as plain characters.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvelo::platform {

struct CommandLine {
    std::string program;
    std::vector<std::string> arguments;
    friend bool operator==(const CommandLine&, const CommandLine&) = default;
};

// No value when the line holds no word, or ends inside quotes or after a lone backslash (a shell would
// wait for more input there; starting a guess of the program would be worse).
std::optional<CommandLine> splitCommandLine(std::string_view line);

// The folder a program is to start in: folder (trailing blanks removed) when it names a folder the process
// may enter, otherwise "" for the current folder. Nothing is changed, least of all the current folder.
std::string enterableFolder(std::string_view folder);

}  // namespace tarvelo::platform
