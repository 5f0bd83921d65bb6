#include "core/settings.h"

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
}

bool writeSettings(ProfileFile& ini, const Settings& settings) {
    // Every key is attempted even after a failure, so a passing fault loses as little as possible.
    bool ok = ini.write(kSettingsSection, "HistoryExpires", std::int64_t{settings.historyExpiryDays});
    ok = ini.write(kSettingsSection, "StartUpSchedule", std::int64_t{inverted(settings.showScheduleAtStart)}) && ok;
    ok = ini.write(kSettingsSection, "StartUpToDo", std::int64_t{settings.showToDoAtStart}) && ok;
    ok = ini.write(kSettingsSection, "StartUpActive", std::int64_t{inverted(settings.schedulerActive)}) && ok;
    ok = ini.write(kSettingsSection, "StartUpMinimized", std::int64_t{settings.startMinimized}) && ok;
    ok = ini.write(kSettingsSection, "FullSchedule", std::int64_t{settings.showFullSchedule}) && ok;
    return ok;
}

Settings startUpSettings() {
    Settings settings;
    settings.helpFile = "T95.HLP";
    settings.iniFileName = kMainIniName;
    settings.helpFile = "Tarvelo96.HLP";
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

}  // namespace tarvelo
