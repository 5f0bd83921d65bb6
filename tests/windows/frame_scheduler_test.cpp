// The frame driven by the scheduler with a real caption, as the desktop wires them.
#include <QApplication>
#include <QLabel>
#include <QStatusBar>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <optional>

#include "core/settings.h"
#include "data/data_files.h"
#include "data/data_warning.h"
#include "engine/scheduler.h"
#include "engine/scheduler_presence.h"
#include "app/main_frame.h"
#include "app/scheduler_driver.h"
#include "fakes/fake_platform.h"
#include "qt_environment.h"
#include "platform/desktop/qt_frame_port.h"
#include "platform/desktop/qt_message_box.h"

namespace tarvelo::test {
namespace {

class FrameSchedulerTest : public ::testing::Test {
protected:
    FrameSchedulerTest() {
        clearIniFiles();
        settings.programTitle = "Tarvelo '96";
        use.emplace(files, TableId::schedule);
    }

    FakeMessageBox dataMessages;
    FakeHalt halt;
    DataWarning warn{dataMessages, halt};
    DataFiles files{warn, freshFolder("frame-scheduler")};
    std::optional<TableUse> use;
    Settings settings;

    app::MainFrame frame{settings};
    platform::QtFramePort framePort{&frame};
    platform::QtMessageBox messages{&frame};
    FakePlatform fake{nullptr, {dateFromYmd(1996, 10, 31), timeFromHms(12, 0)}};
    FakeClock& clock = fake.clock;
    FakeSound& sound = fake.sound;
    FakeProgramStart& programs = fake.programs;
    FakeMessageWindows& windows = fake.messageWindows;
    Scheduler scheduler{files.schedule(), settings, fake.with({.messages = &messages, .frame = &framePort})};
};

TEST_F(FrameSchedulerTest, GivenTheSchedulerIsSwitchedOffThenTheFirstTickShowsTheInactiveCaption) {
    app::driveScheduler(frame, scheduler, files.folder());
    frame.show();
    settings.schedulerActive = 0;

    ASSERT_TRUE(frame.tick());

    EXPECT_EQ(frame.windowTitle().toStdString(), "Pellacorp Scheduler (Inactive)");
    settings.schedulerActive = 1;
    frame.tick();
    EXPECT_EQ(frame.windowTitle().toStdString(), "Tarvelo '96");
}

TEST_F(FrameSchedulerTest, GivenATickCannotStoreItsWorkThenTheStatusBarSaysSoUntilATickSucceeds) {
    app::driveScheduler(frame, scheduler, files.folder());
    frame.show();
    Task due;
    due.id = 1;
    due.taskType = TaskType::None;
    due.scheduleType = ScheduleType::Custom;
    due.every = 1;
    due.everyType = RepetitionUnit::Day;
    due.date = dateFromYmd(1996, 10, 31);
    due.time = timeFromHms(11, 0);
    ASSERT_TRUE(files.schedule().add(due).ok());
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open((files.folder() + "/SM.KTB").c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);

    ASSERT_TRUE(frame.tick());

    EXPECT_EQ(frame.statusBar()->currentMessage().toStdString(),
              "The schedule could not be saved: database is locked (SQLITE_BUSY (5))");
    sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    ASSERT_TRUE(frame.tick());
    EXPECT_EQ(frame.statusBar()->currentMessage().toStdString(), "");
}

TEST_F(FrameSchedulerTest, WhileASchedulerWithoutAWindowRunsOnTheFolderTheStatusBarSaysSo) {
    app::driveScheduler(frame, scheduler, files.folder());
    frame.show();
    auto* note = frame.statusBar()->findChild<QWidget*>(QStringLiteral("runsElsewhere"));
    ASSERT_NE(note, nullptr);
    EXPECT_FALSE(note->isVisible());

    std::optional<SchedulerPresence> elsewhere(std::in_place, files.folder());
    ASSERT_TRUE(elsewhere->announced());
    frame.tick();
    EXPECT_TRUE(note->isVisible());
    EXPECT_EQ(qobject_cast<QLabel*>(note)->text().toStdString(), app::kRunsElsewhereText);

    elsewhere.reset();
    frame.tick();
    EXPECT_FALSE(note->isVisible());
}

}  // namespace
}  // namespace tarvelo::test
