// tarvelo96-cli time: Standard times to clock times and back.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command.h"
#include "core/picture.h"

namespace {

bool allDigits(const std::string& text) {
    if (text.empty()) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

int runTime(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: tarvelo96-cli time HH:MM[:SS[.hh]] | time N\n");
        return 2;
    }
    const std::string& arg = args[0];
    if (allDigits(arg)) {
        const auto n = tarvelo::parseNumber(arg);
        if (!n || *n > tarvelo::kOneDay) {
            std::fprintf(stderr, "tarvelo96-cli time: not a Standard time (0 .. %d): '%s'\n", tarvelo::kOneDay,
                         arg.c_str());
            return 2;
        }
        // 0 is "no time": an empty line.
        std::printf("%s\n", tarvelo::formatTime24(static_cast<tarvelo::StdTime>(*n)).c_str());
        return 0;
    }
    const auto time = tarvelo::parseTime(arg);
    if (!time || *time == 0) {
        std::fprintf(stderr, "tarvelo96-cli time: not a time: '%s'\n", arg.c_str());
        return 2;
    }
    std::printf("%d\n", *time);
    return 0;
}

const tarvelo::cli::Registration kTime{"time", "time HH:MM[:SS[.hh]] | time N   (clock time <-> Standard time)",
                                       &runTime};

}  // namespace
