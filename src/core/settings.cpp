#include "core/settings.h"

#include <limits>
#include <string>
#include <utility>

#include "core/picture.h"
#include "core/profile.h"

namespace tarvelo {
namespace {

// 1 minus a flag in byte arithmetic, as the inverted keys are stored.
std::uint8_t inverted(std::uint8_t flag) { return static_cast<std::uint8_t>(1 - flag); }

}  // namespace

void readSettings(const ProfileFile& ini, Settings& settings) {
    settings.historyExpiryDays = profileNumber(ini.read(kSettingsSection, "HistoryExpires"));
    settings.showScheduleAtStart = inverted(profileFlag(ini.read(kSettingsSection, "StartUpSchedule")));
    settings.showToDoAtStart = profileFlag(ini.read(kSettingsSection, "StartUpToDo"));
    settings.schedulerActive = inverted(profileFlag(ini.read(kSettingsSection, "StartUpActive")));
    settings.startMinimized = profileFlag(ini.read(kSettingsSection, "StartUpMinimized"));
    settings.showFullSchedule = profileFlag(ini.read(kSettingsSection, "FullSchedule"));
    settings.startAtLogin = profileFlag(ini.read(kSettingsSection, kStartAtLoginKey));
    const std::string notify = ini.read(kSettingsSection, "NotifyFailures");
    settings.notifyFailures = notify.empty() ? 1 : profileFlag(notify);
}

bool writeSettings(ProfileFile& ini, const Settings& settings) {
    const auto text = [](int v) { return std::to_string(v); };
    const std::string values[] = {text(settings.historyExpiryDays),     text(inverted(settings.showScheduleAtStart)),
                                  text(settings.showToDoAtStart),       text(inverted(settings.schedulerActive)),
                                  text(settings.startMinimized),        text(settings.showFullSchedule),
                                  text(settings.startAtLogin),
                                  text(settings.notifyFailures)};
    // One replacement of the file for all eight keys, in this order: an absent key is added after the ones
    // before it.
    const std::pair<std::string_view, std::string_view> keys[] = {
        {"HistoryExpires", values[0]}, {"StartUpSchedule", values[1]},  {"StartUpToDo", values[2]},
        {"StartUpActive", values[3]},  {"StartUpMinimized", values[4]}, {"FullSchedule", values[5]},
        {kStartAtLoginKey, values[6]},
        {"NotifyFailures", values[7]},
    };
    return ini.writeKeys(kSettingsSection, keys);
}

Settings startUpSettings() {
    Settings settings;
    settings.iniFileName = kMainIniName;
    readSettings(ProfileFile(settings.iniFileName.text()), settings);
    return settings;
}

WarningDefaults readWarningDefaults(const ProfileFile& pellschd) {
    WarningDefaults w;
    // read() has already removed the blanks around the value; any text left, even "0", turns it on.
    w.active = !pellschd.read("Warning", "Active").empty();
    w.days = profileNumber(pellschd.read("Warning", "Date"));
    w.hundredths = profileNumber(pellschd.read("Warning", "Time"));
    return w;
}

WarningDefaults readWarningDefaults() { return readWarningDefaults(ProfileFile(kWarningIniName)); }

std::optional<std::int32_t> parseExpiryDays(std::string_view text) {
    const std::optional<std::int64_t> days = parseNumber(text, kExpiryEntryWidth);
    if (!days || *days < std::numeric_limits<std::int32_t>::min() || *days > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(*days);
}

}  // namespace tarvelo
