// The task's controls as every task window shows them: laid out once, so nothing moves when a rule hides
// or shows a control, and a search mode that shows every data control.
#include "tasks/windows/task_controls.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "core/profile.h"
#include "data/data_files.h"
#include "qt_environment.h"
#include "window_fixture.h"
#include "tasks/windows/task_wizard.h"
#include "tasks/windows/update_schedule.h"
#include "widgets/date_edit.h"
#include "widgets/time_edit.h"

namespace tarvelo {
namespace {

class TaskControlsTest : public test::TaskFormTest {
protected:
    // The calendar keeps the date it opened on.
    TaskControlsTest() : TaskFormTest("task-controls") {
        services.calendar = [](CalendarOptions o) { return o.date; };
    }

    // Where everything on the When page is, and how large the window is, as one comparable value.
    static std::map<std::string, QRect> places(QWidget& window, const WhenControls& when) {
        const auto at = [&](const QWidget* w) { return QRect(w->mapTo(&window, QPoint(0, 0)), w->size()); };
        return {{"window", QRect(QPoint(0, 0), window.size())},
                {"scheduleType", at(when.scheduleTypes[0]->parentWidget())},
                {"every", at(when.everyGroup)},
                {"everyEntry", at(when.every)},
                {"nextDate", at(when.date)},
                {"warnDate", at(when.warnDate)}};
    }
    // Chooses every schedule type in turn and expects the page to stay as it was.
    static void expectNothingMoves(QWidget& window, const WhenControls& when) {
        const auto first = places(window, when);
        for (QRadioButton* type : when.scheduleTypes) {
            SCOPED_TRACE(type->text().toStdString());
            tick(type);
            QTest::qWait(5);
            EXPECT_EQ(places(window, when), first);
        }
    }
};

TEST_F(TaskControlsTest, GivenTheTaskFormsWhenTab_WhenEachScheduleTypeIsChosen_ThenNothingMovesOrResizes) {
    TaskEditor editor(files, Request::insert, {}, services.platform, services.fields);
    ASSERT_TRUE(editor.start());
    UpdateScheduleForm form(editor, services);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.tabs()->setCurrentIndex(UpdateScheduleForm::kWhenTab);
    expectNothingMoves(form, *form.controls().when);
    form.reject();
}

TEST_F(TaskControlsTest, GivenTheGenericWizardsWhenPage_WhenEachScheduleTypeIsChosen_ThenNothingMovesOrResizes) {
    TaskWizardWindow* wizard = TaskWizardWindow::open(WizardKind::addTask, services);
    ASSERT_NE(wizard, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(wizard));
    const QSize onTaskPage = wizard->size();
    for (int i = 0; i < 3; ++i) QTest::mouseClick(wizard->nextButton(), Qt::LeftButton);
    ASSERT_EQ(wizard->session().navigation().current(), WizardPage::when);
    EXPECT_EQ(wizard->size(), onTaskPage) << "every page has the room of the largest";
    expectNothingMoves(*wizard, *wizard->controls().when);
    wizard->close();
}

TEST_F(TaskControlsTest, GivenSearchMode_ThenEveryDataControlShowsAndTheCalendarButtonsHide) {
    TaskEditor editor(files, Request::insert, {}, services.platform, services.fields);
    ASSERT_TRUE(editor.start());
    UpdateScheduleForm form(editor, services);
    form.show();
    form.tabs()->setCurrentIndex(UpdateScheduleForm::kWhenTab);
    tick(form.controls().task->taskTypes[3]);  // "None": no time, no command
    tick(form.controls().when->scheduleTypes[0]);  // "Once": nothing of "&Every..."
    const WhenControls& when = *form.controls().when;
    ASSERT_FALSE(when.every->isVisible());

    form.binder().setSearchMode(true);
    EXPECT_TRUE(when.every->isVisible());
    EXPECT_TRUE(when.ordinals[0]->isVisible());
    EXPECT_TRUE(when.time->isVisible());
    EXPECT_TRUE(form.tabs()->isTabVisible(UpdateScheduleForm::kCommandTab));
    EXPECT_TRUE(form.controls().advanced->wavFile->isEnabled());
    EXPECT_FALSE(when.dateCalendar->isVisible());
    EXPECT_FALSE(when.warnCalendar->isVisible());
    EXPECT_TRUE(when.everyGroup->title().isEmpty());

    form.binder().setSearchMode(false);
    EXPECT_FALSE(when.every->isVisible()) << "the rules apply again";
    EXPECT_TRUE(when.dateCalendar->isVisible());
    EXPECT_EQ(when.everyGroup->title().toStdString(), "&Every...");
    form.reject();
}

}  // namespace
}  // namespace tarvelo
