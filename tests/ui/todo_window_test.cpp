// The to-do windows driven through their widgets.
#include "data/windows/todo_windows.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "data/data_files.h"
#include "fakes/browse_builders.h"
#include "fakes/fake_ports.h"
#include "qt_environment.h"
#include "ui/qt/page_list_view.h"

namespace tarvelo {
namespace {

class ToDoWindowTest : public ::testing::Test {
protected:
    ToDoWindowTest() : folder(test::freshFolder("todo_window")), files(warn, folder) { test::clearIniFiles(); }

    void add(ToDo item) {
        const TableUse use(files, TableId::toDo);
        ASSERT_TRUE(files.toDo().add(item).ok());
    }
    std::vector<std::string> page(BrowseWindow& w) {
        std::vector<std::string> rows;
        for (int r = 0; r < w.list().entryCount(); ++r) {
            rows.push_back(w.list().cell(r, 0).text + "|" + w.list().cell(r, 1).text + "|" + w.list().cell(r, 2).text);
        }
        return rows;
    }

    std::string folder;
    test::FakeMessageBox messages;
    test::FakeHalt halt;
    DataWarning warn{messages, halt};
    DataFiles files;
    ListServices services{files};
};

TEST_F(ToDoWindowTest, startsInsideTheFrameAreaWithItsTabsAndButtons) {
    add(test::toDoItem("Call", 3));
    QMdiArea area;
    area.resize(800, 600);
    area.show();
    QPointer<BrowseTodoWindow> window = BrowseTodoWindow::start(services, &area);
    ASSERT_EQ(area.subWindowList().size(), 1);
    EXPECT_EQ(window->windowTitle().toStdString(), "To Do");
    EXPECT_EQ(window->tabs()->count(), 3);
    EXPECT_EQ(page(*window), std::vector<std::string>{" | 3|Call"});
    window->close();
}

TEST_F(ToDoWindowTest, insertKeyOpensTheFormForANewItem) {
    add(test::toDoItem("Call", 3));
    BrowseTodoWindow window(services);
    window.show();
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* form = qobject_cast<UpdateTodoDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(form, nullptr);
        seen = true;
        EXPECT_EQ(form->windowTitle().toStdString(), "Adding a Todo Record");
        EXPECT_EQ(form->priorityEntry()->value(), 5);
        EXPECT_FALSE(form->doneBox()->isChecked());
        form->toDoEntry()->setText("Buy milk");
        form->okButton()->click();
    });
    QTest::keyClick(window.panel()->view()->table(), Qt::Key_Insert);
    EXPECT_TRUE(seen);
    EXPECT_EQ(page(window), (std::vector<std::string>{" | 3|Call", " | 5|Buy milk"}));
}

TEST_F(ToDoWindowTest, priorityOutsideOneToTenIsRefusedWithItsMessageAndKeepsTheFocus) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* form = qobject_cast<UpdateTodoDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(form, nullptr);
        seen = true;
        form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form));
        form->toDoEntry()->setText("Buy milk");
        // leaving the priority with 0
        form->priorityEntry()->setFocus();
        form->priorityEntry()->setValue(0);
        form->doneBox()->setFocus();
        EXPECT_EQ(messages.captions(), std::vector<std::string>{"Range Error"});
        EXPECT_TRUE(form->priorityEntry()->hasFocus());
        // OK with 11: refused, the form stays
        form->priorityEntry()->setValue(11);
        form->okButton()->click();
        EXPECT_EQ(messages.count(), 2u);
        EXPECT_TRUE(form->isVisible());
        // 10 is accepted
        form->priorityEntry()->setValue(10);
        form->okButton()->click();
    });
    const FormOutcome<ToDo> outcome = updateTodo(Request::insert, {}, services, nullptr);
    EXPECT_TRUE(seen);
    EXPECT_EQ(outcome.response, Response::completed);
    EXPECT_EQ(outcome.record.priority, 10);
    EXPECT_EQ(messages.count(), 2u);
}

TEST_F(ToDoWindowTest, closingTheWindowWhileItsFormRunsEndsTheFormFirst) {
    // GIVEN the list inside the frame's area, its form open over it
    QMdiArea area;
    area.show();
    QPointer<BrowseTodoWindow> window = BrowseTodoWindow::start(services, &area);
    QTimer::singleShot(0, [&] {
        ASSERT_NE(qobject_cast<UpdateTodoDialog*>(QApplication::activeModalWidget()), nullptr);
        // WHEN the program ends, closing every child window
        area.closeAllSubWindows();
    });
    window->panel()->insertButton()->click();
    // THEN the form was cancelled, then the window closed
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.isNull(); }, 2000));
    EXPECT_EQ(area.subWindowList().size(), 0);
    const TableUse use(files, TableId::toDo);
    EXPECT_EQ(files.toDo().records().value, 0);
}

}  // namespace
}  // namespace tarvelo
