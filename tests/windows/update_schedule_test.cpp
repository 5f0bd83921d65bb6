// The task form driven through its widgets; message boxes, file dialogs, sound and the calendar faked.
#include "tasks/windows/update_schedule.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>

#include "core/profile.h"
#include "data/data_files.h"
#include "fakes/case_names.h"
#include "fakes/task_table.h"
#include "qt_environment.h"
#include "window_fixture.h"
#include "tasks/recurrence.h"
#include "widgets/date_edit.h"
#include "widgets/time_edit.h"

namespace tarvelo {
namespace {

StdDate june10() { return dateFromYmd(1996, 6, 10); }  // a Monday

class UpdateScheduleTest : public test::TaskFormTest {
protected:
    UpdateScheduleTest() : TaskFormTest("update-schedule") {}

    UpdateScheduleForm& open(Request request, const Task& task = {}, std::string_view day = {}) {
        editor = std::make_unique<TaskEditor>(files, request, task, services.platform, services.fields);
        EXPECT_TRUE(editor->start(day));
        form = std::make_unique<UpdateScheduleForm>(*editor, services);
        form->show();
        form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
        return *form;
    }
    Task fridayTask(std::int32_t id) {
        Task s;
        s.id = id;
        s.taskType = TaskType::Both;
        s.description = "Pay day";
        s.scheduleType = ScheduleType::DayOfWeek;
        s.friday = 1;
        s.date = june10() + 4;
        s.time = timeFromHms(9, 0);
        s.lastRunDate = june10() - 3;
        s.lastRunTime = timeFromHms(9, 0);
        return s;
    }
    // Types into an entry, replacing its text, and leaves it with Tab.
    static void typeInto(QWidget* entry, const QString& text) {
        entry->setFocus();
        if (auto* line = qobject_cast<QLineEdit*>(entry)) line->selectAll();
        else if (auto* inner = entry->findChild<QLineEdit*>()) inner->selectAll();
        QTest::keyClicks(QApplication::focusWidget(), text);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::qWait(20);
    }
    void shot(const char* name) {
        if (const char* dir = std::getenv("TARVELO_SCREENSHOT_DIR"))
            form->grab().save(QString::fromLocal8Bit(dir) + QLatin1Char('/') + QLatin1String(name));
    }

    std::unique_ptr<TaskEditor> editor;
    std::unique_ptr<UpdateScheduleForm> form;
};

// The next dates follow the rule as it is edited.
TEST_F(UpdateScheduleTest, GivenTheWhenTab_WhenTheRuleChanges_ThenTheNextDatesFollow) {
    UpdateScheduleForm& f = open(Request::change, test::addTask(files, fridayTask(3)));
    f.tabs()->setCurrentIndex(3);
    WhenControls& when = *f.controls().when;
    const auto shown = [&] { return when.nextDates->text().toStdString(); };
    EXPECT_EQ(shown(), "Next dates:\nJun 14, 1996  9:00AM\nJun 21, 1996  9:00AM\nJun 28, 1996  9:00AM\n"
                       "Jul 5, 1996  9:00AM\nJul 12, 1996  9:00AM");
    tick(when.weekdays[1]);  // and Mondays
    EXPECT_EQ(shown(), "Next dates:\nJun 14, 1996  9:00AM\nJun 17, 1996  9:00AM\nJun 21, 1996  9:00AM\n"
                       "Jun 24, 1996  9:00AM\nJun 28, 1996  9:00AM");
    typeInto(when.time, "5:30PM");
    EXPECT_EQ(shown().substr(0, 32), "Next dates:\nJun 14, 1996  5:30PM");
    tick(when.scheduleTypes[0]);  // "Once"
    EXPECT_EQ(shown(), "Next date (once):\nJun 14, 1996  5:30PM");
    shot("form-when-next-dates.png");
    EXPECT_EQ(when.nextDates->toolTip(), when.nextDates->text());
    // At its own size, as on a screen wider than the test's small one, where the system narrows it.
    f.resize(f.sizeHint());
    f.layout()->activate();
    test::expectNextDatesTakeNoRoom(f, when);
}

TEST_F(UpdateScheduleTest, GivenANewTask_WhenTheFormOpens_ThenItShowsTheDefaultsOnEveryTab) {
    UpdateScheduleForm& f = open(Request::insert, {}, std::to_string(june10()));
    EXPECT_EQ(f.windowTitle().toStdString(), "Adding a Schedule Record");
    EXPECT_TRUE(f.controls().task->taskTypes[2]->isChecked());  // "Both"
    EXPECT_TRUE(f.tabs()->isTabVisible(UpdateScheduleForm::kCommandTab));
    EXPECT_TRUE(f.tabs()->isTabVisible(UpdateScheduleForm::kMessageTab));
    shot("form-task.png");
    f.tabs()->setCurrentIndex(1);
    shot("form-command.png");
    f.tabs()->setCurrentIndex(2);
    shot("form-message.png");
    f.tabs()->setCurrentIndex(3);
    shot("form-when.png");
    EXPECT_TRUE(f.controls().when->scheduleTypes[1]->isChecked());  // "Day of Week"
    for (int i = 0; i < 7; ++i) {
        EXPECT_TRUE(f.controls().when->weekdays[i]->isVisible()) << i;
        EXPECT_TRUE(f.controls().when->weekdays[i]->isChecked()) << i;
    }
    for (int i = 0; i < 5; ++i) EXPECT_FALSE(f.controls().when->ordinals[i]->isVisible()) << i;
    EXPECT_FALSE(f.controls().when->every->isVisible());
    EXPECT_FALSE(f.controls().when->everyTypeGroup->isVisible());
    EXPECT_TRUE(f.controls().when->everyTypes[1]->isChecked());  // "hour(s)", ready for a custom repetition
    EXPECT_EQ(f.controls().when->every->text().toStdString(), "1");
    EXPECT_EQ(f.controls().when->date->text().toStdString(), "Jun 10, 1996");
    EXPECT_EQ(f.controls().when->time->text().toStdString(), "10:15AM");
    f.tabs()->setCurrentIndex(4);
    shot("form-advanced.png");
    EXPECT_TRUE(f.controls().advanced->warn->isChecked());
    EXPECT_FALSE(f.controls().advanced->alarm->isChecked());
    EXPECT_FALSE(f.controls().advanced->wavFile->isEnabled());
}

TEST_F(UpdateScheduleTest, GivenTheTaskTypeRadios_WhenNoneThenRunProgramIsChosen_ThenTimeAndTabsFollow) {
    UpdateScheduleForm& f = open(Request::insert);
    tick(f.controls().task->taskTypes[3]);
    EXPECT_TRUE(f.controls().when->time->isHidden());
    EXPECT_TRUE(f.controls().when->timePrompt->isHidden());
    EXPECT_FALSE(f.tabs()->isTabVisible(UpdateScheduleForm::kCommandTab));
    EXPECT_TRUE(f.tabs()->isTabVisible(UpdateScheduleForm::kMessageTab));
    EXPECT_EQ(f.controls().when->time->time(), 8639500);

    tick(f.controls().task->taskTypes[0]);
    EXPECT_FALSE(f.controls().when->time->isHidden());
    EXPECT_EQ(f.controls().when->time->text().toStdString(), "11:59PM");
    EXPECT_TRUE(f.tabs()->isTabVisible(UpdateScheduleForm::kCommandTab));
    EXPECT_FALSE(f.tabs()->isTabVisible(UpdateScheduleForm::kMessageTab));
}

TEST_F(UpdateScheduleTest, GivenACustomYearlyTask_WhenAnImpossibleCountIsTyped_ThenItIsRefusedAndKeepsTheFocus) {
    UpdateScheduleForm& f = open(Request::insert);
    f.tabs()->setCurrentIndex(3);
    tick(f.controls().when->scheduleTypes[5]);
    tick(f.controls().when->everyTypes[5]);  // "year(s)"
    typeInto(f.controls().when->every, QStringLiteral("999999"));
    EXPECT_EQ(f.controls().when->every->text().toStdString(), "1");
    EXPECT_EQ(QApplication::focusWidget(), f.controls().when->every);
    typeInto(f.controls().when->every, QStringLiteral("12"));
    EXPECT_EQ(editor->task().every, 12);

    // Enter after the refusal goes no further: the form once saved the count it had put back and closed.
    QLineEdit* every = f.controls().when->every;
    every->setFocus();
    every->selectAll();
    QTest::keyClicks(every, QStringLiteral("999999"));
    QTest::keyClick(every, Qt::Key_Return);
    QTest::qWait(50);
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(QApplication::focusWidget(), every);
    EXPECT_EQ(editor->task().every, 12);
}

TEST_F(UpdateScheduleTest, GivenAFridayTask_WhenAMondayIsTypedAsNextDate_ThenTheWarningShowsAndTheMondayStays) {
    UpdateScheduleForm& f = open(Request::change, test::addTask(files, fridayTask(2)));
    EXPECT_EQ(f.windowTitle().toStdString(), "Changing a Schedule Record");
    f.tabs()->setCurrentIndex(3);
    EXPECT_EQ(f.controls().when->lastRunDate->text().toStdString(), "Jun 7, 1996");
    EXPECT_EQ(f.controls().when->lastRunTime->text().toStdString(), "9:00AM");
    EXPECT_TRUE(f.controls().when->lastRunDate->isReadOnly());
    typeInto(f.controls().when->date, QStringLiteral("6/10/1996"));
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().caption, "Warning");
    EXPECT_EQ(messages.last().text, "Date given does not match schedule type.");
    EXPECT_EQ(f.controls().when->date->text().toStdString(), "Jun 10, 1996");
    EXPECT_EQ(editor->task().date, june10());
}

TEST_F(UpdateScheduleTest, GivenTheCalendarButtons_WhenUsed_ThenTheDateIsPutInWithoutTheFieldsChecks) {
    UpdateScheduleForm& f = open(Request::change, test::addTask(files, fridayTask(5)));
    f.tabs()->setCurrentIndex(3);
    calendarAnswer = june10();  // a Monday: the field's check would warn
    QTest::mouseClick(f.controls().when->dateCalendar, Qt::LeftButton);
    ASSERT_EQ(calendarOpened.size(), 1u);
    EXPECT_EQ(calendarOpened[0].title, "Select Date");
    EXPECT_EQ(calendarOpened[0].date, june10() + 4);
    EXPECT_NE(calendarOpened[0].checkMode, "None");
    ASSERT_TRUE(calendarOpened[0].dayFits);
    EXPECT_FALSE(calendarOpened[0].dayFits(june10()));
    EXPECT_EQ(f.controls().when->date->text().toStdString(), "Jun 10, 1996");
    EXPECT_EQ(messages.count(), 0u);

    calendarAnswer = june10() - 1;
    QTest::mouseClick(f.controls().when->warnCalendar, Qt::LeftButton);
    ASSERT_EQ(calendarOpened.size(), 2u);
    EXPECT_EQ(calendarOpened[1].checkMode, "None");
    EXPECT_EQ(calendarOpened[1].date, 0);
    EXPECT_EQ(f.controls().when->warnDate->text().toStdString(), "Jun 9, 1996");
}

TEST_F(UpdateScheduleTest, GivenABlankWavFile_WhenPlayIsPressed_ThenTheWavChooserOpens) {
    UpdateScheduleForm& f = open(Request::insert);
    f.tabs()->setCurrentIndex(4);
    tick(f.controls().advanced->alarm);
    dialog.choose("/sounds/bell.wav");
    QTest::mouseClick(f.controls().advanced->play, Qt::LeftButton);
    ASSERT_EQ(dialog.requests().size(), 1u);
    EXPECT_EQ(dialog.requests()[0].title, "Select WAV File for Alarm");
    EXPECT_EQ(f.controls().advanced->wavFile->text().toStdString(), "/sounds/bell.wav");
    EXPECT_EQ(QApplication::focusWidget(), f.controls().advanced->wavBrowse);
    // The file cannot be played (the fake says so): the focus goes to Browse again, nothing plays.
    f.controls().advanced->play->setFocus();
    QTest::mouseClick(f.controls().advanced->play, Qt::LeftButton);
    EXPECT_TRUE(sound.played().empty());
    EXPECT_EQ(QApplication::focusWidget(), f.controls().advanced->wavBrowse);
}

TEST_F(UpdateScheduleTest, GivenANewTask_WhenOkOrCancelIsPressed_ThenTheTaskIsSavedOrNoRecordIsLeft) {
    {
        UpdateScheduleForm& f = open(Request::insert);
        typeInto(f.controls().task->description, QStringLiteral("Water the plants"));
        QTest::mouseClick(f.okButton(), Qt::LeftButton);
        EXPECT_FALSE(f.isVisible());
        EXPECT_EQ(editor->finish(), Response::completed);
        ASSERT_TRUE(test::storedTask(files, 1).has_value());
        EXPECT_EQ(test::storedTask(files, 1)->description.text(), "Water the plants");
        EXPECT_EQ(test::storedTask(files, 1)->taskType.text(), "Both");
    }
    {
        UpdateScheduleForm& f = open(Request::insert);
        EXPECT_EQ(editor->task().id, 2);
        QTest::mouseClick(f.cancelButton(), Qt::LeftButton);
        EXPECT_EQ(editor->finish(), Response::cancelled);
        EXPECT_FALSE(test::storedTask(files, 2).has_value());
    }
    {
        UpdateScheduleForm& f = open(Request::insert);
        EXPECT_EQ(editor->task().id, 2);
        f.close();  // the close box
        EXPECT_EQ(editor->finish(), Response::cancelled);
        EXPECT_FALSE(test::storedTask(files, 2).has_value());
    }
}

// Alt+O presses OK without the focus change of a click, and a click went through after the entry it
// took the focus from had refused its text: either way the date being typed was lost and the task saved
// with the one shown before.
TEST_F(UpdateScheduleTest, GivenADateTypedButNotLeft_WhenOkIsPressed_ThenTheDateIsTakenOrRefusedFirst) {
    // GIVEN a new task with text typed over its next date, the focus still in the entry
    const auto typeIntoDate = [this](const char* text) {
        UpdateScheduleForm& f = *form;
        f.tabs()->setCurrentIndex(3);
        widgets::DateEdit* date = f.controls().when->date;
        date->setFocus();
        date->selectAll();
        QTest::keyClicks(date, QString::fromUtf8(text));
        return date;
    };
    UpdateScheduleForm& f = open(Request::insert);
    const StdDate shown = f.controls().when->date->date();

    // WHEN the text is no date, THEN it is refused, the focus stays on it and the form stays open
    for (const bool byMouse : {false, true}) {
        SCOPED_TRACE(byMouse ? "clicked" : "Alt+O");
        widgets::DateEdit* date = typeIntoDate("the 14th");
        if (byMouse) QTest::mouseClick(f.okButton(), Qt::LeftButton);
        else QTest::keyClick(date, Qt::Key_O, Qt::AltModifier);
        QTest::qWait(300);
        EXPECT_TRUE(f.isVisible());
        EXPECT_EQ(QApplication::focusWidget(), date);
        EXPECT_EQ(editor->task().date, shown);
    }
    // but Cancel leaves whatever the entry makes of its text
    typeIntoDate("the 14th");
    QTest::mouseClick(f.cancelButton(), Qt::LeftButton);
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(editor->finish(), Response::cancelled);

    // WHEN it is a date, THEN the task is saved with it
    UpdateScheduleForm& g = open(Request::insert);
    QTest::keyClick(typeIntoDate("6/14/1996"), Qt::Key_O, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&g] { return !g.isVisible(); }, 2000));
    EXPECT_EQ(editor->finish(), Response::completed);
    ASSERT_TRUE(test::storedTask(files, editor->task().id).has_value());
    EXPECT_EQ(test::storedTask(files, editor->task().id)->date, june10() + 4);
}

TEST_F(UpdateScheduleTest, GivenATickWhileTheFormIsOpen_WhenOkIsPressed_ThenTheEnginesDateIsKeptAndTheEditStays) {
    const Task original = test::addTask(files, fridayTask(6));
    UpdateScheduleForm& f = open(Request::change, original);
    typeInto(f.controls().task->description, QStringLiteral("Pay day, bank"));

    // The timer performs the task and moves it on, through the data layer, while the form is open.
    {
        TableUse use(files, TableId::schedule);
        Task engine = *test::storedTask(files, 6);
        advanceTask(engine, engine.date, engine.time + 1, messages);
        ASSERT_TRUE(files.schedule().put(engine).ok());
    }
    const StdDate moved = test::storedTask(files, 6)->date;
    ASSERT_EQ(moved, original.date + 7);

    messages.answer(platform::kOk);      // kWarnUpdateOperationError
    messages.answer(platform::kCancel);  // kWarnRecordUpdateError: stay
    QTest::mouseClick(f.okButton(), Qt::LeftButton);
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(messages.captions(), (std::vector<std::string>{"Update Operation Error", "Record Update Error"}));
    EXPECT_EQ(f.controls().task->description->text().toStdString(), "Pay day, bank");
    EXPECT_EQ(test::storedTask(files, 6)->date, moved);
    EXPECT_EQ(test::storedTask(files, 6)->description.text(), "Pay day");
}

// --- By keyboard and mouse ------------------------------------------------------------------------

// Each case works on a new task's form by keys and clicks; the form then shows whether it is still open,
// or how it ended, with the messages shown on the way.
struct FormKeysCase {
    const char* name;
    std::function<void(UpdateScheduleForm&)> steps;
    const char* outcome;
};
void PrintTo(const FormKeysCase& c, std::ostream* os) { *os << c.name; }

class UpdateScheduleKeysTest : public UpdateScheduleTest, public testing::WithParamInterface<FormKeysCase> {
public:
    using UpdateScheduleTest::tick;
};

TEST_P(UpdateScheduleKeysTest, GivenANewTaskThenEnterPressesOKFromEveryFieldAndEveryCancelLeavesUnchecked) {
    UpdateScheduleForm& f = open(Request::insert);
    f.controls().task->description->setFocus();
    QTest::keyClicks(f.controls().task->description, QStringLiteral("Backup"));
    GetParam().steps(f);
    QTest::qWait(20);
    std::string outcome = f.isVisible() ? "open" : editor->response() == Response::completed ? "completed" : "cancelled";
    for (const auto& m : messages.requests()) outcome += ", " + m.text;
    EXPECT_EQ(outcome, GetParam().outcome);
}

void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), k, modifiers);
    QTest::qWait(150);  // a button pressed by its letter clicks once the entry left has completed
}
// An advance warning after the task, which the form refuses with a message when the entry is left.
void typeLateWarning(UpdateScheduleForm& f) {
    f.tabs()->setCurrentIndex(UpdateScheduleForm::kWhenTab);
    f.controls().when->warnDate->setFocus();
    f.controls().when->warnDate->selectAll();
    QTest::keyClicks(f.controls().when->warnDate, QStringLiteral("Dec 31, 1999"));
}

INSTANTIATE_TEST_SUITE_P(
    Form, UpdateScheduleKeysTest,
    testing::Values(
        FormKeysCase{"EnterInTheDescription", [](auto&) { key(Qt::Key_Return); }, "completed"},
        FormKeysCase{"KeypadEnterInTheTime",
                     [](UpdateScheduleForm& f) {
                         f.tabs()->setCurrentIndex(UpdateScheduleForm::kWhenTab);
                         f.controls().when->time->setFocus();
                         key(Qt::Key_Enter, Qt::KeypadModifier);
                     },
                     "completed"},
        FormKeysCase{"EnterInTheMessageIsANewLine",
                     [](UpdateScheduleForm& f) {
                         f.tabs()->setCurrentIndex(UpdateScheduleForm::kMessageTab);
                         f.controls().message->message->setFocus();
                         key(Qt::Key_Return);
                     },
                     "open"},
        FormKeysCase{"EnterAfterBrowseByItsLetter",
                     [](UpdateScheduleForm& f) {
                         f.tabs()->setCurrentIndex(UpdateScheduleForm::kCommandTab);
                         f.controls().command->command->setFocus();
                         key(Qt::Key_B, Qt::AltModifier);
                         key(Qt::Key_Return);
                     },
                     "completed"},
        FormKeysCase{"EnterAfterClickingDisable",
                     [](UpdateScheduleForm& f) {
                         f.tabs()->setCurrentIndex(UpdateScheduleForm::kAdvancedTab);
                         UpdateScheduleKeysTest::tick(f.controls().advanced->disabled);
                         key(Qt::Key_Return);
                     },
                     "completed"},
        FormKeysCase{"CancelButtonLeavesALateWarningUnchecked",
                     [](UpdateScheduleForm& f) {
                         typeLateWarning(f);
                         test::clickThroughWindow(*f.cancelButton());
                     },
                     "cancelled"},
        FormKeysCase{"EscapeLeavesALateWarningUnchecked",
                     [](UpdateScheduleForm& f) {
                         typeLateWarning(f);
                         key(Qt::Key_Escape);
                     },
                     "cancelled"},
        FormKeysCase{"CloseBoxLeavesALateWarningUnchecked",
                     [](UpdateScheduleForm& f) {
                         typeLateWarning(f);
                         f.close();
                     },
                     "cancelled"}),
    test::NamedBy<&FormKeysCase::name>());

}  // namespace
}  // namespace tarvelo
