// The frame's "&To Do List" and "&Categories" entries and the to-do list at start-up.
#include "app/frame_lists.h"

#include <QAction>
#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <gtest/gtest.h>

#include "data/windows/category_windows.h"
#include "data/windows/todo_windows.h"
#include "app/main_frame.h"
#include "engine/message_to_do.h"
#include "fakes/fake_ports.h"
#include "qt_environment.h"
#include "window_fixture.h"

namespace tarvelo {
namespace {

class FrameListsTest : public test::WindowDataTest {
protected:
    FrameListsTest() : WindowDataTest("frame_lists") {
        test::clearIniFiles();
        frame.show();
    }
    std::vector<std::string> childWindows() {
        std::vector<std::string> names;
        for (QMdiSubWindow* sub : frame.mdiArea()->subWindowList()) names.push_back(sub->widget()->objectName().toStdString());
        return names;
    }

    ListServices services{files};
    Settings settings;
    app::MainFrame frame{settings};
};

TEST_F(FrameListsTest, entriesStartTheirListsInsideTheFrame) {
    EXPECT_FALSE(frame.action(app::FrameCommand::toDoList)->isEnabled());
    app::setListCommands(frame, services);
    ASSERT_TRUE(frame.action(app::FrameCommand::toDoList)->isEnabled());
    ASSERT_TRUE(frame.action(app::FrameCommand::categories)->isEnabled());
    frame.action(app::FrameCommand::toDoList)->trigger();
    frame.action(app::FrameCommand::categories)->trigger();
    EXPECT_EQ(childWindows(), (std::vector<std::string>{"BrowseTodo", "BrowseCategories"}));
    frame.closeDown();  // the child windows close with it
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(childWindows(), std::vector<std::string>{});
    EXPECT_EQ(files.useCount(TableId::toDo), 0);
    EXPECT_EQ(files.useCount(TableId::categories), 0);
}

TEST_F(FrameListsTest, toDoListOpensAtStartOnlyWhenTheSettingsAskForIt) {
    app::startListsAtStart(frame, settings, services);
    EXPECT_EQ(childWindows(), std::vector<std::string>{});
    settings.showToDoAtStart = 1;
    app::startListsAtStart(frame, settings, services);
    EXPECT_EQ(childWindows(), std::vector<std::string>{"BrowseTodo"});
}

TEST_F(FrameListsTest, itemAddedFromAMessageWindowShowsInTheOpenToDoList) {
    settings.showToDoAtStart = 1;
    app::startListsAtStart(frame, settings, services);
    auto* list = frame.findChild<BrowseTodoWindow*>();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->list().entryCount(), 0);
    engine::addMessageToDo(files, "Call back the garage");
    app::refreshToDoLists(frame);
    ASSERT_EQ(list->list().entryCount(), 1);
    EXPECT_EQ(list->list().cell(0, 2).text, "Call back the garage");
    EXPECT_EQ(list->list().cell(0, 1).text, " 5");
}

}  // namespace
}  // namespace tarvelo
