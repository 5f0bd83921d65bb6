// tarvelo96-cli time: Standard times to clock times and back.
#include <cstdio>
#include <memory>
#include <string>

#include "cli/command.h"
#include "core/picture.h"

namespace tarvelo::cli {
namespace {

bool allDigits(const std::string& text) {
    if (text.empty()) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

int convertTime(const std::string& arg) {
    if (allDigits(arg)) {
        const auto n = parseNumber(arg);
        if (!n || *n > kOneDay)
            throw UsageError("not a Standard time (0 .. " + std::to_string(kOneDay) + "): '" + arg + "'");
        // 0 is "no time": an empty line.
        std::printf("%s\n", formatTime24(static_cast<StdTime>(*n)).c_str());
        return 0;
    }
    const auto time = parseTime(arg);
    if (!time || *time == 0) throw UsageError("not a time: '" + arg + "'");
    std::printf("%d\n", *time);
    return 0;
}

void defineTime(Commands& commands) {
    auto text = std::make_shared<std::string>();
    CLI::App& time = commands.add("time", "a clock time as a Standard time (hundredths of a second, plus 1), or back",
                                  [text] { return convertTime(*text); });
    time.add_option("TIME", *text, "HH:MM[:SS[.hh]] (or 5:30 pm), or a Standard time")->required();
}

const Registration kTime{"time", &defineTime};

}  // namespace
}  // namespace tarvelo::cli
