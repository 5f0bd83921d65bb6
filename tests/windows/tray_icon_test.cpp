// The tray icon's tip and menu, driven through its actions (the offscreen platform has no tray, so the
// icon itself is not shown; the menu and the tip are the same either way).
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <gtest/gtest.h>

#include <optional>

#include "app/main_frame.h"
#include "app/tray_icon.h"
#include "core/date.h"
#include "core/profile.h"
#include "core/settings.h"
#include "data/data_files.h"
#include "data/data_warning.h"
#include "fakes/fake_platform.h"
#include "qt_environment.h"

namespace tarvelo::test {
namespace {

class TrayIconTest : public ::testing::Test {
protected:
    TrayIconTest() {
        clearIniFiles();
        use.emplace(files, TableId::schedule);
        history.emplace(files, TableId::history);
    }

    void addTask(const char* description, int hour, bool disabled = false) {
        Task t;
        t.id = ++lastId;
        t.description = description;
        t.taskType = TaskType::DisplayMessage;
        t.message = std::string("Message of ") + description;
        t.scheduleType = ScheduleType::Once;
        t.date = dateFromYmd(2030, 1, 2);
        t.time = timeFromHms(hour, 0);
        t.disabled = disabled ? 1 : 0;
        ASSERT_TRUE(files.schedule().add(t).ok());
    }
    QAction* action(const QString& text) {
        for (QAction* a : tray.menu()->actions())
            if (a->text() == text) return a;
        return nullptr;
    }

    FakeMessageBox dataMessages;
    FakeHalt halt;
    DataWarning warn{dataMessages, halt};
    DataFiles files{warn, freshFolder("tray-icon")};
    std::optional<TableUse> use, history;
    Settings settings;
    ProfileFile ini{kMainIniName};
    int lastId = 0;
    app::MainFrame frame{settings};
    FakePlatform fake{nullptr, {dateFromYmd(1996, 10, 31), timeFromHms(12, 0)}};
    app::TrayIcon tray{frame, files, settings, ini, fake};
};

TEST_F(TrayIconTest, TheTipNamesTheNextTaskSwitchedOnAndItsTime) {
    EXPECT_EQ(tray.toolTip().toStdString(), "Tarvelo '96");
    addTask("Early but off", 8, true);
    addTask("Dentist", 10);
    addTask("Lunch", 12);
    tray.refresh();
    EXPECT_EQ(tray.toolTip().toStdString(), "Tarvelo '96 - next: Dentist Jan 2, 2030 10:00AM");
}

TEST_F(TrayIconTest, SchedulerActiveIsSetupsSettingAndIsSaved) {
    EXPECT_TRUE(tray.activeAction()->isChecked());
    tray.activeAction()->trigger();
    EXPECT_EQ(settings.schedulerActive, 0);
    EXPECT_EQ(ini.read(kSettingsSection, "StartUpActive"), "1");  // stored inverted
    tray.activeAction()->trigger();
    EXPECT_EQ(settings.schedulerActive, 1);
}

TEST_F(TrayIconTest, RunTheNextTaskNowPerformsItKeepingItsHistoryEntry) {
    addTask("Dentist", 10);
    addTask("Lunch", 12);
    ASSERT_NE(action(QStringLiteral("&Run the next task now")), nullptr);
    action(QStringLiteral("&Run the next task now"))->trigger();
    EXPECT_EQ(fake.messageWindows.texts(), std::vector<std::string>{"Message of Dentist"});
    History entry;
    RecordTable<History> h = files.history();
    ASSERT_TRUE(h.setToStart(HistoryKey::keyId).ok());
    ASSERT_TRUE(h.next(entry).ok());
    EXPECT_EQ(entry.description.text(), "Dentist");
}

TEST_F(TrayIconTest, OpenShowsTheFrameAndExitClosesIt) {
    frame.hide();
    action(QStringLiteral("&Open"))->trigger();
    EXPECT_TRUE(frame.isVisible());
    action(QStringLiteral("E&xit"))->trigger();
    EXPECT_FALSE(frame.isVisible());
}

}  // namespace
}  // namespace tarvelo::test
