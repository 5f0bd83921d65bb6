// The frame's "Export as Calendar..." and "Import Calendar...": the file asked for with the (faked)
// system dialog, the work done as the command line does it, and what came of it told.
#include "calendar/windows/calendar_commands.h"

#include <QAction>
#include <QMenu>
#include <QMdiArea>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <filesystem>

#include "app/frame_calendar.h"
#include "app/main_frame.h"
#include "core/settings.h"
#include "data/windows/category_windows.h"
#include "fakes/rule_builders.h"
#include "fakes/store_fixture.h"
#include "fakes/task_table.h"
#include "modal_step.h"
#include "window_fixture.h"

namespace tarvelo {
namespace {

using store::testing::readBytes;
using store::testing::writeBytes;

std::string event(const std::string& uid, const std::string& summary, const std::string& rule,
                  const std::string& extra = "") {
    return "BEGIN:VEVENT\r\nUID:" + uid + "\r\nSUMMARY:" + summary + "\r\nDTSTART:20270104T090000\r\nRRULE:" + rule +
           "\r\n" + extra + "END:VEVENT\r\n";
}
std::string calendarOf(const std::string& events) {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\n" + events + "END:VCALENDAR\r\n";
}

class CalendarCommandsTest : public test::WindowDataTest {
protected:
    CalendarCommandsTest() : WindowDataTest("calendar_commands", {dateFromYmd(2026, 12, 9), timeFromHms(20, 0)}) {
        test::clearIniFiles();
        app::setCalendarCommands(frame, files, fake);
        frame.show();
    }
    // The entry as the File menu holds it, chosen as a user would.
    void choose(const char* text) {
        QMenu* file = frame.menuBar()->actions().front()->menu();
        for (QAction* a : file->actions()) {
            if (a->text() == QString::fromUtf8(text)) {
                ASSERT_TRUE(a->isEnabled()) << text;
                return a->trigger();
            }
        }
        FAIL() << text << " is not in the File menu";
    }
    std::string aside(const std::string& name) { return dataFolder + "/../calendar_commands_" + name; }

    test::FakeFileDialog& dialog = fake.fileDialog;
    Settings settings;
    app::MainFrame frame{settings};
};

TEST_F(CalendarCommandsTest, exportWritesTheFileChosenInTheSaveDialogAndSaysHowManyTasks) {
    for (std::int32_t id : {1, 2}) {
        Task task = test::makeTask("Monthly", dateFromYmd(2027, 1, 3 + id), timeFromHms(9, 0));
        task.id = id;
        test::addTask(files, task);
    }
    const std::string path = aside("out.ics");
    std::filesystem::remove(path);
    dialog.choose(path);
    choose("Export as &Calendar...");
    ASSERT_EQ(dialog.requests().size(), 1u);
    EXPECT_TRUE(dialog.requests()[0].save);
    EXPECT_EQ(dialog.requests()[0].title, "Export as Calendar");
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().text, "2 tasks written to " + path);
    EXPECT_EQ(messages.last().caption, "Export as Calendar");
    EXPECT_EQ(readBytes(path).substr(0, 15), "BEGIN:VCALENDAR");
    EXPECT_EQ(files.useCount(TableId::schedule), 0);
}

TEST_F(CalendarCommandsTest, aCancelledDialogDoesNothingAndARefusedFileIsToldWithNothingWritten) {
    struct Case {
        const char* name;
        const char* entry;
        std::optional<std::string> file;
        std::string told;  // part of the box's text; none when empty
    };
    const std::string folder = aside("folder");
    std::filesystem::create_directories(folder);
    writeBytes(aside("cut.ics"), "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:a\r\n");
    const Case cases[] = {
        {"export cancelled", "Export as &Calendar...", std::nullopt, ""},
        {"import cancelled", "&Import Calendar...", std::nullopt, ""},
        {"export onto a folder", "Export as &Calendar...", folder, "a folder, not a file"},
        {"import of a file cut short", "&Import Calendar...", aside("cut.ics"), "cut short; nothing added"},
        {"import of a missing file", "&Import Calendar...", aside("missing.ics"), "nothing added"},
    };
    for (const Case& c : cases) {
        messages.clear();
        dialog.choose(c.file);
        choose(c.entry);
        if (c.told.empty()) {
            EXPECT_EQ(messages.count(), 0u) << c.name;
            continue;
        }
        ASSERT_EQ(messages.count(), 1u) << c.name;
        EXPECT_NE(messages.last().text.find(c.told), std::string::npos) << c.name << ": " << messages.last().text;
        EXPECT_EQ(messages.last().icon, platform::Icon::Exclamation) << c.name;
    }
    EXPECT_FALSE(test::storedTask(files, 1));
}

TEST_F(CalendarCommandsTest, importAddsWhatMapsNamesWhatItSkippedAndRefreshesTheOpenLists) {
    ListServices lists{files};
    auto* categories = BrowseCategoriesWindow::start(lists, frame.mdiArea());
    ASSERT_NE(categories, nullptr);
    EXPECT_EQ(categories->list().entryCount(), 0);
    const std::string path = aside("in.ics");
    writeBytes(path, calendarOf(event("one", "Standup", "FREQ=DAILY", "CATEGORIES:Work\r\n") +
                                event("two", "Payday", "FREQ=MONTHLY;COUNT=3")));
    dialog.choose(path);
    choose("&Import Calendar...");
    EXPECT_FALSE(dialog.requests().back().save);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().caption, "Import Calendar");
    EXPECT_EQ(messages.last().text.substr(0, messages.last().text.find('\n')),
              "1 task imported as 1 to 1, 1 category added, 1 event skipped.");
    EXPECT_NE(messages.last().text.find("Skipped: UID two \"Payday\": "), std::string::npos) << messages.last().text;
    ASSERT_TRUE(test::storedTask(files, 1));
    EXPECT_EQ(test::storedTask(files, 1)->description.text(), "Standup");
    EXPECT_EQ(categories->list().entryCount(), 1);  // the open list shows the category the import added
}

TEST_F(CalendarCommandsTest, anImportThatSkipsManyEventsListsThemInAScrollingWindow) {
    std::string events = event("kept", "Kept", "FREQ=WEEKLY");
    for (std::size_t i = 0; i <= calendar::kEventsInABox; ++i)
        events += event("s" + std::to_string(i), "Counted", "FREQ=DAILY;COUNT=2");
    const std::string path = aside("many.ics");
    writeBytes(path, calendarOf(events));
    dialog.choose(path);
    std::string shown;
    test::whenModal<calendar::ImportReportWindow>([&](calendar::ImportReportWindow& w) {
        shown = w.list()->toPlainText().toStdString();
        w.accept();
    });
    choose("&Import Calendar...");
    EXPECT_EQ(messages.count(), 0u);
    EXPECT_EQ(std::count(shown.begin(), shown.end(), '\n'), static_cast<long>(calendar::kEventsInABox));
    EXPECT_EQ(shown.substr(0, 22), "Skipped: UID s0 \"Count");
    EXPECT_TRUE(test::storedTask(files, 1));
}

}  // namespace
}  // namespace tarvelo
