// The frame driven by the scheduler with a real caption, as the desktop wires them.
#include <QApplication>
#include <QStatusBar>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <optional>

#include "core/settings.h"
#include "data/data_files.h"
#include "data/data_warning.h"
#include "engine/scheduler.h"
#include "app/main_frame.h"
#include "app/scheduler_driver.h"
#include "fakes/fake_engine_ports.h"
#include "fakes/fake_ports.h"
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
    FakeClock clock{{dateFromYmd(1996, 10, 31), timeFromHms(12, 0)}};
    FakeSound sound;
    FakeProgramStart programs;
    FakeMessageWindows windows;
    Scheduler scheduler{files.schedule(), settings, {clock, framePort, messages, sound, programs, windows}};
};

TEST_F(FrameSchedulerTest, GivenTheSchedulerIsSwitchedOffThenTheFirstTickShowsTheInactiveCaption) {
    app::driveScheduler(frame, scheduler);
    frame.show();
    settings.schedulerActive = 0;

    ASSERT_TRUE(frame.tick());

    EXPECT_EQ(frame.windowTitle().toStdString(), "Pellacorp Scheduler (Inactive)");
    settings.schedulerActive = 1;
    frame.tick();
    EXPECT_EQ(frame.windowTitle().toStdString(), "Tarvelo '96");
}

TEST_F(FrameSchedulerTest, GivenATickCannotStoreItsWorkThenTheStatusBarSaysSoUntilATickSucceeds) {
    app::driveScheduler(frame, scheduler);
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

}  // namespace
}  // namespace tarvelo::test
