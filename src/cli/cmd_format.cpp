// tarvelo96-cli format: shows a value in a display picture, as windows and reports do.
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "cli/command.h"
#include "core/picture.h"

namespace {

int runFormat(const std::vector<std::string>& args) {
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: tarvelo96-cli format PICTURE VALUE   (@d3, @t3, @sN, @nN, @n0N)\n");
        return 2;
    }
    const auto picture = tarvelo::parsePicture(args[0]);
    if (!picture) {
        std::fprintf(stderr, "tarvelo96-cli format: unknown picture '%s'\n", args[0].c_str());
        return 2;
    }
    const std::string& value = args[1];
    if (picture->kind == tarvelo::Picture::Kind::Text) {
        std::printf("%s\n", tarvelo::formatPicture(*picture, std::string_view(value)).c_str());
        return 0;
    }
    const auto number = value.empty() ? std::nullopt : tarvelo::parseNumber(value);
    const bool narrow = picture->kind != tarvelo::Picture::Kind::Number;
    if (!number || (narrow && (*number < std::numeric_limits<std::int32_t>::min() ||
                               *number > std::numeric_limits<std::int32_t>::max()))) {
        std::fprintf(stderr, "tarvelo96-cli format: '%s' is not a whole number for %s\n", value.c_str(),
                     args[0].c_str());
        return 2;
    }
    std::printf("%s\n", tarvelo::formatPicture(*picture, *number).c_str());
    return 0;
}

const tarvelo::cli::Registration kFormat{"format", "format PICTURE VALUE   (show a value as @d3, @t3, @sN or @nN does)",
                                         &runFormat};

}  // namespace
