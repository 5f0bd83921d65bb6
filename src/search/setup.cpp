#include "search/setup.h"

#include <limits>

#include "core/picture.h"
#include "core/profile.h"
#include "core/settings.h"

namespace tarvelo::search {

bool acceptSetup(const Settings& settings, ProfileFile& ini) { return writeSettings(ini, settings); }

ui::MessageBoxRequest settingsNotSaved(const std::string& iniPath) {
    return {"The settings could not be saved in " + iniPath +
                ". They stay in effect until the program ends; the next start will not have them.",
            "Setup", ui::Icon::Exclamation, ui::kOk, ui::kOk};
}

void cancelSetup(Settings& settings, const ProfileFile& ini) { readSettings(ini, settings); }

std::optional<std::int32_t> parseExpiryDays(std::string_view text) {
    const std::optional<std::int64_t> days = parseNumber(text, kExpiryEntryWidth);
    if (!days || *days < std::numeric_limits<std::int32_t>::min() || *days > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(*days);
}

}  // namespace tarvelo::search
