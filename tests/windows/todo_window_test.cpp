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
#include "fakes/case_names.h"
#include "fakes/fake_ports.h"
#include "modal_step.h"
#include "qt_environment.h"
#include "window_fixture.h"
#include "widgets/page_list_view.h"

namespace tarvelo {
namespace {

class ToDoWindowTest : public test::WindowDataTest {
protected:
    ToDoWindowTest() : WindowDataTest("todo_window") { test::clearIniFiles(); }

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
    EXPECT_EQ(files.toDo().records().value(), 0);
}

// --- Which item Change opens after the order changed -----------------------------------------------------

// "Buy" (priority 1, done), "Call" (3) and "Pay" (5). Each case highlights a row in one order, clicks
// another tab, and clicks Change: the form opens on the item still highlighted.
struct OrderCase {
    const char* name;
    int fromTab;
    int rowsDown;
    int toTab;
    const char* changes;
};
void PrintTo(const OrderCase& c, std::ostream* os) { *os << c.name; }

class ToDoOrderTest : public ToDoWindowTest, public ::testing::WithParamInterface<OrderCase> {};

TEST_P(ToDoOrderTest, GivenAHighlightedItemWhenAnotherOrderIsChosenThenChangeOpensThatItem) {
    add(test::toDoItem("Call", 3));
    add(test::toDoItem("Buy", 1, true));
    add(test::toDoItem("Pay", 5));
    BrowseTodoWindow window(services);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    const auto clickTab = [&](int tab) { QTest::mouseClick(window.tabs(), Qt::LeftButton, {}, window.tabs()->tabRect(tab).center()); };
    clickTab(GetParam().fromTab);
    for (int i = 0; i < GetParam().rowsDown; ++i) QTest::keyClick(window.panel()->view()->table(), Qt::Key_Down);
    clickTab(GetParam().toTab);
    std::string opened;
    test::whenModal<UpdateTodoDialog>([&](UpdateTodoDialog& form) {
        opened = form.toDoEntry()->text().toStdString();
        form.cancelButton()->click();
    });
    QTest::mouseClick(window.panel()->changeButton(), Qt::LeftButton);
    EXPECT_EQ(opened, GetParam().changes);
}

INSTANTIATE_TEST_SUITE_P(ToDo, ToDoOrderTest,
                         ::testing::Values(OrderCase{"FromDoneToPriority", 0, 1, 1, "Pay"},
                                           OrderCase{"FromPriorityToToDo", 1, 0, 2, "Call"},
                                           OrderCase{"FromToDoToDone", 2, 2, 0, "Pay"}),
                         test::NamedBy<&OrderCase::name>());

// --- The form by keyboard and mouse --------------------------------------------------------------------

// Each case types "Buy milk", a priority and what follows into a new item's form; the form then shows
// what it came to: completed or cancelled, or still open, with the messages shown on the way.
struct FormRoadCase {
    const char* name;
    int priority;
    std::function<void(UpdateTodoDialog&)> then;
    const char* outcome;
};
void PrintTo(const FormRoadCase& c, std::ostream* os) { *os << c.name; }

class ToDoFormRoadTest : public ToDoWindowTest, public ::testing::WithParamInterface<FormRoadCase> {};

TEST_P(ToDoFormRoadTest, GivenATypedItemThenEachKeyOrClickEndsTheFormAsItShows) {
    std::string outcome;
    test::whenModal<UpdateTodoDialog>([&](UpdateTodoDialog& form) {
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        QTest::keyClicks(form.toDoEntry(), "Buy milk");
        QTest::keyClick(form.toDoEntry(), Qt::Key_Tab);  // into the priority, its text selected
        QTest::keyClicks(form.priorityEntry(), QString::number(GetParam().priority));
        GetParam().then(form);
        QTest::qWait(20);
        if (form.isVisible()) {
            outcome = "open, ";
            form.cancelButton()->click();
        }
    });
    const FormOutcome<ToDo> result = updateTodo(Request::insert, {}, services, nullptr);
    outcome += result.response == Response::completed ? "completed" : "cancelled";
    for (const std::string& caption : messages.captions()) outcome += ", " + caption;
    EXPECT_EQ(outcome, GetParam().outcome);
}

void key(QWidget* to, Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) { QTest::keyClick(to, k, modifiers); }

INSTANTIATE_TEST_SUITE_P(
    ToDo, ToDoFormRoadTest,
    ::testing::Values(
        FormRoadCase{"EnterInThePriority", 3, [](UpdateTodoDialog& f) { key(f.priorityEntry(), Qt::Key_Return); }, "completed"},
        FormRoadCase{"KeypadEnterInThePriority", 3,
                     [](UpdateTodoDialog& f) { key(f.priorityEntry(), Qt::Key_Enter, Qt::KeypadModifier); }, "completed"},
        FormRoadCase{"EnterInTheText", 3,
                     [](UpdateTodoDialog& f) {
                         f.toDoEntry()->setFocus();
                         key(f.toDoEntry(), Qt::Key_Return);
                     },
                     "completed"},
        FormRoadCase{"EnterAfterClickingDone", 3,
                     [](UpdateTodoDialog& f) {
                         QTest::mouseClick(f.doneBox(), Qt::LeftButton, {}, QPoint(6, f.doneBox()->height() / 2));
                         key(f.doneBox(), Qt::Key_Return);
                     },
                     "completed"},
        FormRoadCase{"EnterOnAPriorityOutOfRange", 11, [](UpdateTodoDialog& f) { key(f.priorityEntry(), Qt::Key_Return); },
                     "open, cancelled, Range Error"},
        FormRoadCase{"CancelButton", 0, [](UpdateTodoDialog& f) { test::clickThroughWindow(*f.cancelButton()); },
                     "cancelled"},
        FormRoadCase{"EnterOnCancelReachedByTab", 3,
                     [](UpdateTodoDialog& f) {
                         for (int i = 0; i < 3; ++i) key(QApplication::focusWidget(), Qt::Key_Tab);  // Done, OK, Cancel
                         key(f.cancelButton(), Qt::Key_Return);
                     },
                     "cancelled"},
        FormRoadCase{"Escape", 0, [](UpdateTodoDialog& f) { key(f.priorityEntry(), Qt::Key_Escape); }, "cancelled"},
        FormRoadCase{"CloseBox", 11, [](UpdateTodoDialog& f) { f.close(); }, "cancelled"}),
    test::NamedBy<&FormRoadCase::name>());

}  // namespace
}  // namespace tarvelo
