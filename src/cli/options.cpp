#include "cli/options.h"

#include <cstdio>

#include "cli/data_folder.h"
#include "core/date.h"
#include "platform/terminal/text_message_box.h"

namespace tarvelo::cli {
namespace {
std::string& chosenDataFolder() {
    static std::string folder;
    return folder;
}
}  // namespace

const std::string& dataFolder() { return chosenDataFolder(); }
void setDataFolder(std::string folder) { chosenDataFolder() = std::move(folder); }

std::optional<platform::Moment> parseMoment(const std::string& text) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    char end = 0;
    if (text.size() != 19 ||
        std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &y, &mo, &d, &h, &mi, &s, &end) != 6) {
        return std::nullopt;
    }
    if (text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':' || text[16] != ':') return std::nullopt;
    if (y < 1801 || y > 9999 || mo < 1 || mo > 12 || d < 1 || d > daysInMonth(y, mo)) return std::nullopt;
    if (h > 23 || mi > 59 || s > 59 || h < 0 || mi < 0 || s < 0) return std::nullopt;
    return platform::Moment{dateFromYmd(y, mo, d), timeFromHms(h, mi, s)};
}

CLI::Option* addAnswerOption(CLI::App& command, std::optional<int>& answer) {
    const CLI::Validator button(
        [](std::string& name) {
            if (platform::buttonFromName(name)) return std::string();
            return "unknown answer '" + name + "' (yes, no, ok, cancel or retry)";
        },
        "");
    return command
        .add_option_function<std::string>(
            "--answer", [&answer](const std::string& name) { answer = platform::buttonFromName(name); },
            "the button that answers every message box offering it; the others take their default button")
        ->envname("TARVELO_ANSWER")
        ->type_name("yes|no|ok|cancel|retry")
        ->check(button);
}

CLI::Option* addAtOption(CLI::App& command, std::optional<platform::Moment>& at) {
    const CLI::Validator moment(
        [](std::string& text) {
            return parseMoment(text) ? std::string() : "\"YYYY-MM-DD HH:MM:SS\" is expected, not '" + text + "'";
        },
        "");
    return command
        .add_option_function<std::string>(
            "--at", [&at](const std::string& text) { at = parseMoment(text); }, "act at this moment instead of now")
        ->type_name("\"YYYY-MM-DD HH:MM:SS\"")
        ->check(moment);
}

}  // namespace tarvelo::cli
