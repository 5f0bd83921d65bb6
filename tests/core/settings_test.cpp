#include "core/settings.h"

#include <gtest/gtest.h>

#include <string>

#include "core/date.h"
#include "core/profile.h"
#include "temp_config.h"

namespace tarvelo {
namespace {

using testing_support::TempConfig;
using namespace std::string_literals;

class StartUp : public TempConfig {
protected:
    void givenMainIni(const std::string& text) { writeText(appFolder() / "Tarvelo96.INI", text); }
    void givenWarningIni(const std::string& text) { writeText(appFolder() / "PELLSCHD.INI", text); }
    std::string mainIni() const { return readText(appFolder() / "Tarvelo96.INI"); }
};

TEST_F(StartUp, shouldOpenTheScheduleAndRunTheSchedulerWhenThereIsNoIniFileAtAll) {
    const Settings s = startUpSettings();
    EXPECT_EQ(s.iniFileName, "Tarvelo96.INI");
    EXPECT_EQ(s.historyExpiryDays, 0);  // completed copies are never removed
    EXPECT_EQ(s.showScheduleAtStart, 1);
    EXPECT_EQ(s.showToDoAtStart, 0);
    EXPECT_EQ(s.schedulerActive, 1);
    EXPECT_EQ(s.startMinimized, 0);
    EXPECT_EQ(s.showFullSchedule, 0);
    EXPECT_FALSE(std::filesystem::exists(appFolder())) << "reading must not create anything";
}

struct SettingsCase {
    const char* name;
    std::string ini;
    std::int32_t historyExpiryDays;
    std::uint8_t showSchedule, showToDo, active, minimized, fullSchedule;
};

class ReadingSettings : public StartUp, public testing::WithParamInterface<SettingsCase> {};

TEST_P(ReadingSettings, shouldTurnTheTextOfEachKeyIntoItsSetting) {
    const auto& c = GetParam();
    givenMainIni(c.ini);
    const Settings s = startUpSettings();
    EXPECT_EQ(s.historyExpiryDays, c.historyExpiryDays);
    EXPECT_EQ(s.showScheduleAtStart, c.showSchedule);
    EXPECT_EQ(s.showToDoAtStart, c.showToDo);
    EXPECT_EQ(s.schedulerActive, c.active);
    EXPECT_EQ(s.startMinimized, c.minimized);
    EXPECT_EQ(s.showFullSchedule, c.fullSchedule);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadingSettings,
    testing::Values(
        SettingsCase{"Inactive", "[Settings]\nStartUpActive=1\n", 0, 1, 0, 0, 0, 0},
        SettingsCase{"AllTurned", "[Settings]\nHistoryExpires=30\nStartUpSchedule=1\nStartUpToDo=1\n"
                                  "StartUpActive=1\nStartUpMinimized=1\nFullSchedule=1\n",
                     30, 0, 1, 0, 1, 1},
        SettingsCase{"FractionCutTowardZero", "[Settings]\nHistoryExpires=2.9\n", 2, 1, 0, 1, 0, 0},
        SettingsCase{"OtherCaseAndBlanks", "[settings]\n  historyexpires =  14  \r\nstartupactive= 1 \r\n", 14, 1, 0, 0,
                     0, 0},
        // Text that is not a number reads as 0, so the inverted keys then count as on.
        SettingsCase{"NotNumbers", "[Settings]\nHistoryExpires=lots\nStartUpSchedule=no\nStartUpActive=off\n"
                                   "StartUpToDo=yes\n",
                     0, 1, 0, 1, 0, 0},
        SettingsCase{"HugeNumbers", "[Settings]\nHistoryExpires=99999999999999\nStartUpActive=99999999999\n", 0, 1, 0,
                     1, 0, 0},
        // A flag is the low 8 bits; 1 minus it is byte arithmetic too (1 - 2 = 255, still on).
        SettingsCase{"LowEightBits", "[Settings]\nStartUpActive=257\nStartUpSchedule=256\nStartUpToDo=258\n"
                                     "FullSchedule=2\n",
                     0, 1, 2, 0, 0, 2},
        SettingsCase{"TwoInvertedIsStillOn", "[Settings]\nStartUpActive=2\n", 0, 1, 0, 255, 0, 0},
        SettingsCase{"NegativeDays", "[Settings]\nHistoryExpires=-5\n", -5, 1, 0, 1, 0, 0},
        SettingsCase{"OtherSectionIgnored", "[Main]\nStartUpActive=1\n[Setting]\nStartUpActive=1\n", 0, 1, 0, 1, 0, 0},
        // Stray bytes, an unclosed header and nameless keys do not hide the real lines.
        SettingsCase{"Garbage", "\x01\x02\xff\xfe[Settings\n=\n==\n[Settings]\n\x00StartUpActive=1\nStartUpToDo=1\x00\n"s,
                     0, 1, 1, 0, 0, 0}),
    [](const testing::TestParamInfo<SettingsCase>& info) { return std::string(info.param.name); });

TEST_F(StartUp, shouldWriteTheEightKeysInTheirOrderWithTheInvertedOnesInverted) {
    Settings s;
    s.historyExpiryDays = 7;
    s.showScheduleAtStart = 0;
    s.showToDoAtStart = 1;
    s.schedulerActive = 1;
    s.startMinimized = 0;
    s.showFullSchedule = 1;
    s.startAtLogin = 1;
    ProfileFile ini("Tarvelo96.INI");
    ASSERT_TRUE(writeSettings(ini, s));
    EXPECT_EQ(mainIni(),
              "[Settings]\nHistoryExpires=7\nStartUpSchedule=1\nStartUpToDo=1\nStartUpActive=0\n"
              "StartUpMinimized=0\nFullSchedule=1\nStartAtLogin=1\nNotifyFailures=1\n");
}

TEST_F(StartUp, shouldKeepWindowPositionsAndOrderWhenWritingSettingsBack) {
    givenMainIni("[Main]\nXPosit=10\n\n[Settings]\nFullSchedule=0\nHistoryExpires=3\n");
    Settings s;
    s.historyExpiryDays = 4;
    ProfileFile ini("Tarvelo96.INI");
    ASSERT_TRUE(writeSettings(ini, s));
    EXPECT_EQ(mainIni(),
              "[Main]\nXPosit=10\n\n[Settings]\nFullSchedule=0\nHistoryExpires=4\nStartUpSchedule=0\n"
              "StartUpToDo=0\nStartUpActive=0\nStartUpMinimized=0\nStartAtLogin=0\nNotifyFailures=1\n");
}

TEST_F(StartUp, shouldReadBackWhatItWroteWhateverTheFlagBytesHold) {
    ProfileFile ini("Tarvelo96.INI");
    for (std::uint8_t flag : {std::uint8_t{0}, std::uint8_t{1}, std::uint8_t{2}, std::uint8_t{255}}) {
        Settings written;
        written.historyExpiryDays = -3;
        written.showScheduleAtStart = flag;
        written.showToDoAtStart = flag;
        written.schedulerActive = flag;
        written.startMinimized = flag;
        written.showFullSchedule = flag;
        written.startAtLogin = flag;
        ASSERT_TRUE(writeSettings(ini, written));
        Settings read;
        readSettings(ini, read);
        EXPECT_EQ(read, written) << int(flag);
    }
}

TEST_F(StartUp, shouldReportAFailedWriteOfTheSettings) {
    std::filesystem::create_directories(appFolder() / "Tarvelo96.INI");
    ProfileFile ini("Tarvelo96.INI");
    EXPECT_FALSE(writeSettings(ini, Settings{}));
}

TEST_F(StartUp, shouldApplyNoDefaultWarningWithoutTheSecondIniFile) {
    EXPECT_EQ(readWarningDefaults(), (WarningDefaults{false, 0, 0}));
}

TEST_F(StartUp, shouldApplyTheDefaultWarningWhenActiveHoldsAnyTextEvenZero) {
    givenWarningIni("[Warning]\nActive=0\nDate=1\nTime=0\n");
    const WarningDefaults w = readWarningDefaults();
    EXPECT_EQ(w, (WarningDefaults{true, 1, 0}));
    // A task on day D at time T gets its warning on day D - 1 at time T.
    const StdDate d = dateFromYmd(1997, 6, 10);
    const StdTime t = timeFromHms(14, 0);
    EXPECT_EQ(d - w.days, dateFromYmd(1997, 6, 9));
    EXPECT_EQ(t - w.hundredths, t);
}

TEST_F(StartUp, shouldReadTheWarningKeysAsNumbers) {
    struct Case {
        const char* ini;
        WarningDefaults expected;
    };
    const Case cases[] = {
        {"[Warning]\nActive=1\nDate=2\nTime=360000\n", {true, 2, 360000}},
        {"[Warning]\nActive=   \nDate=2\n", {false, 2, 0}},  // blank Active: no default warning
        {"[Warning]\nActive=no\nDate=2.9\nTime=abc\n", {true, 2, 0}},
        {"[warning]\nactive=x\ndate=-1\n", {true, -1, 0}},
        {"[Settings]\nActive=1\n", {false, 0, 0}},
    };
    for (const auto& c : cases) {
        givenWarningIni(c.ini);
        EXPECT_EQ(readWarningDefaults(), c.expected) << c.ini;
    }
}

}  // namespace
}  // namespace tarvelo
