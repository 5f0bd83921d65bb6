// Setup: the six settings bound live, OK writing them, Cancel reading them back, the close box leaving
// them live and unsaved, the entry's refusal, and the scheduler obeying the switch on its next tick.
#include "app/setup_window.h"

#include <filesystem>
#include <optional>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "core/profile.h"
#include "core/settings.h"
#include "data/data_files.h"
#include "engine/scheduler.h"
#include "app/main_frame.h"
#include "app/scheduler_driver.h"
#include "fakes/fake_platform.h"
#include "qt_environment.h"
#include "platform/desktop/qt_frame_port.h"

namespace tarvelo::app {
namespace {

// The seven keys of section Settings as the file holds them, "-" for an absent key.
std::string settingsSection(const ProfileFile& ini) {
    std::string out;
    for (const char* key : {"HistoryExpires", "StartUpSchedule", "StartUpToDo", "StartUpActive", "StartUpMinimized",
                            "FullSchedule", "StartAtLogin"}) {
        const std::string value = ini.read(kSettingsSection, key, "-");
        out += std::string(key) + "=" + value + " ";
    }
    out.pop_back();
    return out;
}

class SetupWindowTest : public ::testing::Test {
protected:
    SetupWindowTest() { test::clearIniFiles(); }

    // Opens Setup, lets edit() work on the window once it is shown, and returns when it has closed.
    void runSetup(const std::function<void(SetupWindow&)>& edit) {
        SetupWindow window(settings, ini, messages);
        QTimer::singleShot(0, &window, [&] { edit(window); });
        window.exec();
    }

    ProfileFile ini{kMainIniName};
    Settings settings;
    test::FakeMessageBox messages;
};

TEST_F(SetupWindowTest, WithoutASettingsSectionShowsTheDefaults) {
    // GIVEN no INI file: the settings as start-up reads them
    readSettings(ini, settings);
    SetupWindow window(settings, ini, messages);
    // THEN 0 days, the schedule shown and the scheduler active, the rest clear
    EXPECT_EQ(window.expiryEntry()->text(), QStringLiteral("0"));
    EXPECT_TRUE(window.showScheduleBox()->isChecked());
    EXPECT_TRUE(window.activeBox()->isChecked());
    EXPECT_FALSE(window.showToDoBox()->isChecked());
    EXPECT_FALSE(window.minimizedBox()->isChecked());
    EXPECT_FALSE(window.fullScheduleBox()->isChecked());
    EXPECT_FALSE(window.startAtLoginBox()->isChecked());
}

struct OkCase {
    const char* name;
    std::function<void(SetupWindow&)> edit;
    const char* written;
};

class SetupOk : public SetupWindowTest, public ::testing::WithParamInterface<OkCase> {};

TEST_P(SetupOk, WritesTheSevenKeysInvertedWhereStoredSo) {
    readSettings(ini, settings);
    runSetup([](SetupWindow& w) {
        GetParam().edit(w);
        w.okButton()->click();
    });
    EXPECT_EQ(settingsSection(ini), GetParam().written);
}

void PrintTo(const OkCase& c, std::ostream* os) { *os << c.name; }

INSTANTIATE_TEST_SUITE_P(
    Edits, SetupOk,
    ::testing::Values(
        OkCase{"Unchanged", [](SetupWindow&) {},
               "HistoryExpires=0 StartUpSchedule=0 StartUpToDo=0 StartUpActive=0 StartUpMinimized=0 FullSchedule=0 StartAtLogin=0"},
        OkCase{"ScheduleAndSchedulerOff",
               [](SetupWindow& w) {
                   w.showScheduleBox()->click();
                   w.activeBox()->click();
               },
               "HistoryExpires=0 StartUpSchedule=1 StartUpToDo=0 StartUpActive=1 StartUpMinimized=0 FullSchedule=0 StartAtLogin=0"},
        OkCase{"PlainFlagsOn",
               [](SetupWindow& w) {
                   w.showToDoBox()->click();
                   w.minimizedBox()->click();
                   w.fullScheduleBox()->click();
               },
               "HistoryExpires=0 StartUpSchedule=0 StartUpToDo=1 StartUpActive=0 StartUpMinimized=1 FullSchedule=1 StartAtLogin=0"},
        OkCase{"StartAtLoginOn", [](SetupWindow& w) { w.startAtLoginBox()->click(); },
               "HistoryExpires=0 StartUpSchedule=0 StartUpToDo=0 StartUpActive=0 StartUpMinimized=0 FullSchedule=0 "
               "StartAtLogin=1"},
        OkCase{"NegativeExpiryTypedThenOk",
               [](SetupWindow& w) {
                   w.expiryEntry()->setFocus();
                   w.expiryEntry()->selectAll();
                   QTest::keyClicks(w.expiryEntry(), "-30");
               },
               "HistoryExpires=-30 StartUpSchedule=0 StartUpToDo=0 StartUpActive=0 StartUpMinimized=0 FullSchedule=0 StartAtLogin=0"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SetupWindowTest, ScheduleTickedAgainAfterAStoredOffWritesZero) {
    // GIVEN a file that hides the schedule
    ASSERT_TRUE(ini.write(kSettingsSection, "StartUpSchedule", "1"));
    readSettings(ini, settings);
    // WHEN the box is ticked and OK pressed
    runSetup([](SetupWindow& w) {
        EXPECT_FALSE(w.showScheduleBox()->isChecked());
        w.showScheduleBox()->click();
        w.okButton()->click();
    });
    // THEN the key says "shown"
    EXPECT_EQ(ini.read(kSettingsSection, "StartUpSchedule"), "0");
    EXPECT_EQ(settings.showScheduleAtStart, 1);
}

TEST_F(SetupWindowTest, CancelRestoresTheFileAndTheCloseBoxKeepsTheEditsUnsaved) {
    ASSERT_TRUE(ini.write(kSettingsSection, "HistoryExpires", "14"));
    readSettings(ini, settings);

    // WHEN the scheduler is switched off and Cancel pressed, THEN it is active again and nothing is written
    runSetup([](SetupWindow& w) {
        w.activeBox()->click();
        w.cancelButton()->click();
    });
    EXPECT_EQ(settings.schedulerActive, 1);
    EXPECT_EQ(settings.historyExpiryDays, 14);
    EXPECT_EQ(ini.read(kSettingsSection, "StartUpActive", "-"), "-");

    // WHEN it is switched off and the window closed by its close box, THEN it stays off but unsaved
    runSetup([](SetupWindow& w) {
        w.activeBox()->click();
        w.close();
    });
    EXPECT_EQ(settings.schedulerActive, 0);
    EXPECT_EQ(ini.read(kSettingsSection, "StartUpActive", "-"), "-");
}

TEST_F(SetupWindowTest, SettingsThatCannotBeSavedAreSaidSoAndStayInEffect) {
    // GIVEN a folder where the INI file would be, so no file can take its place
    ASSERT_TRUE(std::filesystem::create_directories(ini.path()));
    // WHEN the scheduler is switched off and OK pressed
    runSetup([](SetupWindow& w) {
        w.activeBox()->click();
        w.okButton()->click();
    });
    // THEN the user is told, naming the file, and the setting holds for this run
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().caption, "Setup");
    EXPECT_NE(messages.last().text.find(ini.path()), std::string::npos) << messages.last().text;
    EXPECT_EQ(settings.schedulerActive, 0);
}

TEST_F(SetupWindowTest, RefusedExpiryKeepsTheSettingAndIsShownAgain) {
    settings.historyExpiryDays = 5;
    runSetup([](SetupWindow& w) {
        for (const char* typed : {"abc", "99999999999"}) {
            w.expiryEntry()->setFocus();
            w.expiryEntry()->selectAll();
            QTest::keyClicks(w.expiryEntry(), typed);
            emit w.expiryEntry()->editingFinished();  // as leaving the entry does
            EXPECT_EQ(w.expiryEntry()->text(), QStringLiteral("5")) << typed;
        }
        w.close();
    });
    EXPECT_EQ(settings.historyExpiryDays, 5);
}

TEST_F(SetupWindowTest, KeepsItsPositionUnderSetup) {
    runSetup([](SetupWindow& w) {
        w.move(140, 90);
        w.okButton()->click();
    });
    EXPECT_EQ(ini.read("Setup", "Maximize"), "No");
    EXPECT_NE(ini.read("Setup", "XPosit", "0"), "0");
}

TEST_F(SetupWindowTest, SchedulerSwitchedOffInSetupIsInactiveFromTheNextTick) {
    // GIVEN the frame driven by the scheduler, with one task long due
    test::FakeMessageBox dataMessages;
    test::FakeHalt halt;
    DataWarning warn(dataMessages, halt);
    DataFiles files(warn, test::freshFolder("setup-scheduler"));
    TableUse use(files, TableId::schedule);
    Task due;
    due.description = "Due";
    due.taskType = TaskType::DisplayMessage;
    due.message = "Due now";
    due.scheduleType = ScheduleType::Once;
    due.date = dateFromYmd(1996, 10, 1);
    due.time = timeFromHms(9, 0);
    ASSERT_TRUE(files.schedule().add(due).ok());

    settings.programTitle = "Tarvelo '96";
    app::MainFrame frame(settings);
    platform::QtFramePort framePort(&frame);
    test::FakePlatform fake(nullptr, {dateFromYmd(1996, 10, 31), timeFromHms(12, 0)});
    test::FakeMessageWindows& windows = fake.messageWindows;
    Scheduler scheduler(files.schedule(), settings, fake.with({.frame = &framePort}));
    app::driveScheduler(frame, scheduler, files.folder());
    frame.show();

    // WHEN Setup switches the scheduler off
    runSetup([](SetupWindow& w) {
        w.activeBox()->click();
        w.okButton()->click();
    });
    ASSERT_TRUE(frame.tick());
    // THEN the next tick shows the inactive caption and performs nothing
    EXPECT_EQ(frame.windowTitle().toStdString(), "Pellacorp Scheduler (Inactive)");
    EXPECT_TRUE(windows.texts().empty());

    // WHEN it is switched on again, THEN the next tick performs the task
    runSetup([](SetupWindow& w) {
        w.activeBox()->click();
        w.okButton()->click();
    });
    ASSERT_TRUE(frame.tick());
    EXPECT_EQ(frame.windowTitle().toStdString(), "Tarvelo '96");
    EXPECT_EQ(windows.texts(), std::vector<std::string>{"Due now"});
}

}  // namespace
}  // namespace tarvelo::app

namespace tarvelo::app {
namespace {

TEST_F(SetupWindowTest, GivenNoKeyThenFailuresAreNotifiedAndUntickingTurnsThemOffInTheFile) {
    readSettings(ini, settings);
    EXPECT_EQ(settings.notifyFailures, 1);
    runSetup([](SetupWindow& w) {
        EXPECT_TRUE(w.notifyFailuresBox()->isChecked());
        w.notifyFailuresBox()->click();
        w.okButton()->click();
    });
    EXPECT_EQ(settings.notifyFailures, 0);
    EXPECT_EQ(ini.read(kSettingsSection, "NotifyFailures"), "0");
}

}  // namespace
}  // namespace tarvelo::app
