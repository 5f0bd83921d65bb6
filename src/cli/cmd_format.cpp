// tarvelo96-cli format: shows a value in a display picture, as windows and reports do.
#include <cstdint>
#include <cstdio>
#include <limits>
#include <memory>
#include <string>

#include "cli/command.h"
#include "core/picture.h"

namespace tarvelo::cli {
namespace {

struct FormatRequest {
    std::string picture;
    std::string value;
};

int format(const FormatRequest& request) {
    const auto picture = parsePicture(request.picture);
    if (!picture) throw UsageError("unknown picture '" + request.picture + "'");
    const std::string& value = request.value;
    if (picture->kind == Picture::Kind::Text) {
        std::printf("%s\n", formatPicture(*picture, std::string_view(value)).c_str());
        return 0;
    }
    const auto number = value.empty() ? std::nullopt : parseNumber(value);
    const bool narrow = picture->kind != Picture::Kind::Number;
    if (!number || (narrow && (*number < std::numeric_limits<std::int32_t>::min() ||
                               *number > std::numeric_limits<std::int32_t>::max()))) {
        throw UsageError("'" + value + "' is not a whole number for " + request.picture);
    }
    std::printf("%s\n", formatPicture(*picture, *number).c_str());
    return 0;
}

void defineFormat(Commands& commands) {
    auto request = std::make_shared<FormatRequest>();
    CLI::App& command = commands.add("format", "a value as a display picture shows it (@d3, @t3, @sN, @nN)",
                                     [request] { return format(*request); });
    command.add_option("PICTURE", request->picture, "@d3 (a date), @t3 (a time), @sN (text), @nN or @n0N (a number)")
        ->required();
    command.add_option("VALUE", request->value, "the value; dates and times as Standard numbers")->required();
}

const Registration kFormat{"format", &defineFormat};

}  // namespace
}  // namespace tarvelo::cli
