#pragma once
// The program-wide settings: one instance, made at start, passed by reference to every window that uses
// it. The setup window changes it in place and the change takes effect at once.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/fixed_text.h"

namespace tarvelo {

class ProfileFile;

inline constexpr const char* kMainIniName = "Tarvelo96.INI";
inline constexpr const char* kWarningIniName = "PELLSCHD.INI";
inline constexpr const char* kSettingsSection = "Settings";
inline constexpr const char* kStartAtLoginKey = "StartAtLogin";

// The flags are bytes: any value but 0 is on. The inverted ones are kept in byte arithmetic both ways
// (StartUpActive = 2 reads as 1 - 2 = 255, on, and is written back as 2), so reading and writing back
// never changes what the user's file says.
struct Settings {
    FixedText<128> iniFileName = "Tarvelo96.INI";
    std::int32_t historyExpiryDays = 0;     // 0 = completed copies are kept for ever
    std::uint8_t showScheduleAtStart = 1;   // 1 minus StartUpSchedule
    std::uint8_t showToDoAtStart = 0;       // StartUpToDo
    std::uint8_t schedulerActive = 1;       // 1 minus StartUpActive
    std::uint8_t startMinimized = 0;        // StartUpMinimized
    std::uint8_t showFullSchedule = 0;      // FullSchedule
    std::uint8_t startAtLogin = 0;          // StartAtLogin: the autostart entry opens the program minimized
    std::uint8_t notifyFailures = 1;        // NotifyFailures; on when the key is absent
    FixedText<32> programTitle;             // set by the frame: "Tarvelo '96"
    friend bool operator==(const Settings&, const Settings&) = default;
};

// Reads the eight keys of section "Settings" of the main INI file into settings.
void readSettings(const ProfileFile& ini, Settings& settings);
// Writes them back, HistoryExpires first, the inverted keys inverted.
[[nodiscard]] bool writeSettings(ProfileFile& ini, const Settings& settings);
// The expiry entry of Setup: up to 13 characters, a leading minus allowed.
inline constexpr int kExpiryEntryWidth = 13;
// What that entry makes of typed text: a whole number of days that fits its picture and a signed 32-bit
// setting (blank is 0), or nothing for text the entry refuses.
std::optional<std::int32_t> parseExpiryDays(std::string_view text);

// Program start-up before the frame opens: the settings read from kMainIniName in the config folder.
Settings startUpSettings();

// The default advance warning of section "Warning" of "PELLSCHD.INI" (never written by the program).
struct WarningDefaults {
    bool active = false;         // key Active is not blank, whatever it says (even "0")
    std::int32_t days = 0;       // key Date: warning date = task date minus this
    std::int32_t hundredths = 0; // key Time: warning time = task time minus this
    friend bool operator==(const WarningDefaults&, const WarningDefaults&) = default;
};
WarningDefaults readWarningDefaults(const ProfileFile& pellschd);
// The same from kWarningIniName in the config folder.
WarningDefaults readWarningDefaults();

}  // namespace tarvelo
