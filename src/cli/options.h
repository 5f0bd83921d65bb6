#pragma once
// Options that several commands take, declared the same way for each.
#include <map>
#include <optional>
#include <string>

#include <CLI/CLI.hpp>

#include "platform/ports.h"

namespace tarvelo::cli {

// --answer yes|no|ok|cancel|retry (any letter case), or else $TARVELO_ANSWER: the button every message box
// is answered with when the box offers it; the others are answered with their default button.
CLI::Option* addAnswerOption(CLI::App& command, std::optional<int>& answer);

// --at "YYYY-MM-DD HH:MM:SS": act at that moment instead of now.
CLI::Option* addAtOption(CLI::App& command, std::optional<platform::Moment>& at);

// An option (or an operand, named without dashes) that takes one word of a closed list: `--order priority`.
template <class T>
CLI::Option* addChoice(CLI::App& command, const std::string& name, T& out, const std::map<std::string, T>& words,
                       const std::string& description) {
    std::string list;
    for (const auto& [word, value] : words) list += (list.empty() ? "" : "|") + word;
    const CLI::Validator known(
        [&words, list](std::string& word) {
            return words.count(word) ? std::string() : "'" + word + "' is not one of " + list;
        },
        "");
    return command
        .add_option_function<std::string>(
            name, [&out, &words](const std::string& word) { out = words.at(word); }, description)
        ->type_name(list)
        ->check(known);
}

// "1997-10-31 17:30:00" as a moment; nothing for text of another form or a date or time that does not exist.
std::optional<platform::Moment> parseMoment(const std::string& text);

}  // namespace tarvelo::cli
