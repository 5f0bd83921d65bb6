#pragma once
// Setup: the preferences. The dialog edits the six program-wide settings in place, so every edit takes
// effect at once (the scheduler reads SchedulerActive on its next tick, the purge HistoryExpiryDays on its
// next pass). OK keeps the edits by writing section "Settings" of the main INI file; Cancel undoes them
// by reading that section back, which holds what the settings were when the dialog opened; the close box
// does neither, so the edits stay live until the program ends but the next start-up returns to the file.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ui/ports.h"

namespace tarvelo {
class ProfileFile;
struct Settings;
}  // namespace tarvelo

namespace tarvelo::search {

inline constexpr std::string_view kSetupSection = "Setup";
// The entry's picture: up to 13 characters, a leading minus allowed.
inline constexpr int kExpiryEntryWidth = 13;

// OK: HistoryExpires, StartUpSchedule, StartUpToDo, StartUpActive, StartUpMinimized, FullSchedule, in this
// order, the two StartUp keys of shown schedule and active scheduler inverted. False when the file could
// not be written: the settings stay live either way, but the next start would not have them, which the
// user is to be told (settingsNotSaved).
[[nodiscard]] bool acceptSetup(const Settings& settings, ProfileFile& ini);
ui::MessageBoxRequest settingsNotSaved(const std::string& iniPath);
// Cancel: the six settings back from the file (an absent key reads as 0).
void cancelSetup(Settings& settings, const ProfileFile& ini);

// What the expiry entry makes of typed text: a whole number of days that fits the picture and a signed
// 32-bit setting (blank is 0), or nothing for text the entry refuses.
std::optional<std::int32_t> parseExpiryDays(std::string_view text);

}  // namespace tarvelo::search
