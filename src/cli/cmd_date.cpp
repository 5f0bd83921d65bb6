// tarvelo96-cli date: Standard dates to calendar dates and back.
#include <cstdio>
#include <limits>
#include <memory>
#include <string>

#include "cli/command.h"
#include "core/picture.h"

namespace tarvelo::cli {
namespace {

bool looksLikeNumber(const std::string& text) {
    std::size_t i = text.size() > 1 && text[0] == '-' ? 1 : 0;
    if (i == text.size()) return false;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
    }
    return true;
}

int convertDate(const std::string& arg) {
    if (looksLikeNumber(arg)) {
        const auto n = parseNumber(arg);
        if (!n || *n < std::numeric_limits<StdDate>::min() || *n > std::numeric_limits<StdDate>::max())
            throw UsageError("day number out of range: '" + arg + "'");
        // 0 is "no date": an empty line.
        std::printf("%s\n", formatIsoDate(static_cast<StdDate>(*n)).c_str());
        return 0;
    }
    const auto date = parseDate(arg);
    if (!date || *date == 0) throw UsageError("not a date: '" + arg + "'");
    std::printf("%d\n", *date);
    return 0;
}

void defineDate(Commands& commands) {
    auto text = std::make_shared<std::string>();
    CLI::App& date = commands.add("date", "a calendar date as a Standard date (a day number), or back",
                                  [text] { return convertDate(*text); });
    date.add_option("DATE", *text, "YYYY-MM-DD (or another form the date entries take), or a day number")
        ->required();
}

const Registration kDate{"date", &defineDate};

}  // namespace
}  // namespace tarvelo::cli
