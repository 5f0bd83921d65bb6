// tarvelo96-cli date: Standard dates to calendar dates and back.
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "cli/command.h"
#include "core/picture.h"

namespace {

bool looksLikeNumber(const std::string& text) {
    std::size_t i = text.size() > 1 && text[0] == '-' ? 1 : 0;
    if (i == text.size()) return false;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
    }
    return true;
}

int runDate(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: tarvelo96-cli date YYYY-MM-DD | date N\n");
        return 2;
    }
    const std::string& arg = args[0];
    if (looksLikeNumber(arg)) {
        const auto n = tarvelo::parseNumber(arg);
        if (!n || *n < std::numeric_limits<tarvelo::StdDate>::min() || *n > std::numeric_limits<tarvelo::StdDate>::max()) {
            std::fprintf(stderr, "tarvelo96-cli date: day number out of range: '%s'\n", arg.c_str());
            return 2;
        }
        // 0 is "no date": an empty line.
        std::printf("%s\n", tarvelo::formatIsoDate(static_cast<tarvelo::StdDate>(*n)).c_str());
        return 0;
    }
    const auto date = tarvelo::parseDate(arg);
    if (!date || *date == 0) {
        std::fprintf(stderr, "tarvelo96-cli date: not a date: '%s'\n", arg.c_str());
        return 2;
    }
    std::printf("%d\n", *date);
    return 0;
}

const tarvelo::cli::Registration kDate{"date", "date YYYY-MM-DD | date N   (calendar date <-> Standard date)", &runDate};

}  // namespace
