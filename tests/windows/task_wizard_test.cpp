// The wizards driven through their widgets; message boxes, file dialogs, sound and the calendar faked.
#include "tasks/windows/task_wizard.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>

#include "core/profile.h"
#include "core/settings.h"
#include "data/data_files.h"
#include "app/frame_wizards.h"
#include "app/main_frame.h"
#include "fakes/case_names.h"
#include "fakes/fake_engine_ports.h"
#include "fakes/fake_file_dialog.h"
#include "fakes/fake_ports.h"
#include "fakes/task_table.h"
#include "qt_environment.h"
#include "widgets/date_edit.h"
#include "widgets/time_edit.h"

namespace tarvelo {
namespace {

StdDate june10() { return dateFromYmd(1996, 6, 10); }  // a Monday

class TaskWizardTest : public testing::Test {
protected:
    TaskWizardTest()
        : dataFolder(test::freshFolder("task-wizard")),
          files(warn, dataFolder),
          pellschd("PELLSCHD.INI", dataFolder),
          services{files, messages, dialog, sound, clock, pellschd, [](const std::string&) { return false; },
                   [this](CalendarOptions) { return calendarAnswer; }} {}
    void SetUp() override { test::clearIniFiles(); }
    void TearDown() override { delete wizard.data(); }

    TaskWizardWindow& open(WizardKind kind, const Task& source = {}) {
        TaskWizardWindow* w = TaskWizardWindow::open(kind, services, nullptr, source);
        EXPECT_NE(w, nullptr);
        wizard = w;
        QObject::connect(w, &TaskWizardWindow::ended, [this](Response r) { response = r; });
        w->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(w));
        return *w;
    }
    static void click(QAbstractButton* b) { QTest::mouseClick(b, Qt::LeftButton); }
    // Radios and check boxes answer only a click on their indicator or text.
    static void tick(QAbstractButton* b) { QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2)); }
    static void typeInto(QWidget* entry, const QString& text) {
        entry->setFocus();
        if (auto* line = qobject_cast<QLineEdit*>(entry)) line->selectAll();
        QTest::keyClicks(QApplication::focusWidget(), text);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::qWait(20);
    }
    // The page shown and the buttons: "3 B N*" is page 3 with "&Back" and "&Next" (the default) shown.
    std::string state() const {
        TaskWizardWindow& w = *wizard;
        std::string out = std::to_string(w.pages()->currentIndex() + 1);
        if (w.backButton()->isVisible()) out += " B";
        if (w.nextButton()->isVisible()) out += w.nextButton()->isDefault() ? " N*" : " N";
        if (w.finishButton()->isVisible()) out += w.finishButton()->isDefault() ? " F*" : " F";
        return out;
    }
    void shot(const std::string& name) {
        if (const char* dir = std::getenv("TARVELO_SCREENSHOT_DIR"))
            wizard->grab().save(QString::fromLocal8Bit(dir) + QLatin1Char('/') + QString::fromStdString(name));
    }
    Task weeklyTask(std::int32_t id) {
        Task s;
        s.id = id;
        s.taskType = TaskType::Both;
        s.description = "Pay day";
        s.command = "payroll";
        s.message = "Cheques";
        s.scheduleType = ScheduleType::DayOfWeek;
        s.friday = 1;
        s.date = june10() + 4;
        s.time = timeFromHms(9, 0);
        return s;
    }

    std::string dataFolder;
    test::FakeMessageBox messages;
    test::FakeHalt halt;
    DataWarning warn{messages, halt};
    DataFiles files;
    ProfileFile pellschd;
    test::FakeFileDialog dialog;
    test::FakeSound sound;
    test::FakeClock clock{{dateFromYmd(1996, 6, 3), timeFromHms(10, 15)}};
    StdDate calendarAnswer = 0;
    TaskFormServices services;
    QPointer<TaskWizardWindow> wizard;
    Response response = Response::none;
};

struct WalkCase {
    const char* name;
    WizardKind kind;
    int taskTypeRadio;  // -1: the wizard's own type
    std::vector<std::string> forward;
    std::vector<std::string> backward;
};

void PrintTo(const WalkCase& c, std::ostream* os) { *os << c.name; }

class TaskWizardWalkTest : public TaskWizardTest, public testing::WithParamInterface<WalkCase> {};

TEST_P(TaskWizardWalkTest, GivenATaskType_WhenPressingNextThenBack_ThenPagesAndButtonsFollowTheTable) {
    const WalkCase& c = GetParam();
    test::addTask(files, weeklyTask(3));
    TaskWizardWindow& w = open(c.kind, weeklyTask(3));
    if (c.taskTypeRadio >= 0) tick(w.controls().task->taskTypes[c.taskTypeRadio]);
    std::vector<std::string> forward{state()};
    while (w.nextButton()->isVisible()) {
        click(w.nextButton());
        forward.push_back(state());
    }
    EXPECT_EQ(forward, c.forward);
    std::vector<std::string> backward;
    while (w.backButton()->isVisible()) {
        click(w.backButton());
        backward.push_back(state());
    }
    EXPECT_EQ(backward, c.backward);
}

using V = std::vector<std::string>;
INSTANTIATE_TEST_SUITE_P(
    Wizards, TaskWizardWalkTest,
    testing::Values(
        WalkCase{"AddTaskBoth", WizardKind::addTask, 2, V{"1 N*", "2 B N*", "3 B N*", "4 B N*", "5 B F*"},
                 V{"4 B N*", "3 B N*", "2 B N*", "1 N*"}},
        WalkCase{"AddTaskDisplayMessage", WizardKind::addTask, 1, V{"1 N*", "3 B N*", "4 B N*", "5 B F*"},
                 V{"4 B N*", "3 B N*", "1 N*"}},
        WalkCase{"AddTaskRunProgram", WizardKind::addTask, 0, V{"1 N*", "2 B N*", "4 B N*", "5 B F*"},
                 V{"4 B N*", "2 B N*", "1 N*"}},
        WalkCase{"AddTaskNone", WizardKind::addTask, 3, V{"1 N*", "3 B N*", "4 B N*", "5 B F*"},
                 V{"4 B N*", "3 B N*", "1 N*"}},
        WalkCase{"AddProgram", WizardKind::addProgram, -1, V{"1 N*", "2 B N*", "3 B F*"}, V{"2 B N*", "1 N*"}},
        WalkCase{"AddMessage", WizardKind::addMessage, -1, V{"1 N*", "2 B F*"}, V{"1 N*"}},
        WalkCase{"SpecialEventBoth", WizardKind::specialEvent, -1, V{"1 N*", "2 B N*", "3 B N*", "4 B N*", "5 B F*"},
                 V{"4 B N*", "3 B N*", "2 B N*", "1 N*"}},
        WalkCase{"SpecialEventDisplayMessage", WizardKind::specialEvent, 1, V{"1 N*", "3 B N*", "4 B N*", "5 B F*"},
                 V{"4 B N*", "3 B N*", "1 N*"}},
        WalkCase{"SpecialEventRunProgram", WizardKind::specialEvent, 0, V{"1 N*", "2 B N*", "4 B N*", "5 B F*"},
                 V{"4 B N*", "2 B N*", "1 N*"}}),
    [](const testing::TestParamInfo<WalkCase>& info) { return std::string(info.param.name); });

TEST_F(TaskWizardTest, GivenAnAddWizard_WhenItOpens_ThenItIsCaptionedAsAnAddAndPositionedUnderItsName) {
    TaskWizardWindow& w = open(WizardKind::addTask);
    EXPECT_EQ(w.windowTitle().toStdString(), "Adding a Schedule Record");
    EXPECT_EQ(w.controls().task->category->currentText().toStdString(), "General");
    w.move(40, 50);
    click(w.cancelButton());
    EXPECT_FALSE(ProfileFile("Tarvelo96.INI").read("AddTaskWizard", "XPosit").empty());
}

TEST_F(TaskWizardTest, GivenTheGenericWizardOnAnyPage_WhenCancelled_ThenNoRecordIsLeft) {
    for (int page = 1; page <= 5; ++page) {
        TaskWizardWindow& w = open(WizardKind::addTask);
        for (int i = 1; i < page; ++i) click(w.nextButton());
        ASSERT_EQ(w.pages()->currentIndex() + 1, page);
        EXPECT_EQ(test::taskCount(files), 1);
        if (page == 3) w.close();  // the close box
        else click(w.cancelButton());
        QTest::qWait(10);
        EXPECT_TRUE(wizard.isNull()) << "the window deletes itself";
        EXPECT_EQ(response, Response::cancelled);
        EXPECT_EQ(test::taskCount(files), 0) << "page " << page;
    }
}

TEST_F(TaskWizardTest, GivenTheMessageWizard_WhenFilledInAndFinished_ThenTheTaskDisplaysTheMessageAndWarns) {
    TaskWizardWindow& w = open(WizardKind::addMessage);
    EXPECT_EQ(w.controls().command, nullptr);
    EXPECT_EQ(w.controls().advanced, nullptr);
    EXPECT_EQ(w.controls().task->taskTypes[0], nullptr);
    typeInto(w.controls().task->description, "Dentist");
    w.controls().message->message->setFocus();
    QTest::keyClicks(w.controls().message->message, "Leave at ten");
    click(w.nextButton());
    typeInto(w.controls().when->date, "Jun 10, 1996");
    click(w.finishButton());
    EXPECT_EQ(response, Response::completed);
    const std::optional<Task> s = test::storedTask(files, 1);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->taskType.text(), "Display Message");
    EXPECT_EQ(s->description.text(), "Dentist");
    EXPECT_EQ(s->message.text(), "Leave at ten");
    EXPECT_EQ(s->date, june10());
    EXPECT_EQ(s->warn, 1);
    EXPECT_EQ(s->alarm, 0);
    EXPECT_EQ(s->category.text(), "General");
}

TEST_F(TaskWizardTest, GivenTheProgramWizard_WhenAProgramIsChosen_ThenItsFolderIsTheStartFolderAndTheFocusStays) {
    TaskWizardWindow& w = open(WizardKind::addProgram);
    dialog.choose("/opt/tools/backup");
    click(w.controls().command->browse);
    EXPECT_EQ(dialog.requests().at(0).title, "Choose File to Execute");
    EXPECT_EQ(w.controls().command->command->text().toStdString(), "/opt/tools/backup");
    EXPECT_EQ(w.controls().command->path->text().toStdString(), "/opt/tools");
    EXPECT_EQ(w.pages()->currentIndex(), 0);
    click(w.nextButton());
    click(w.nextButton());
    tick(w.controls().advanced->alarm);
    EXPECT_TRUE(w.controls().advanced->play->isEnabled());
    click(w.finishButton());
    const std::optional<Task> s = test::storedTask(files, 1);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->taskType.text(), "Run Program");
    EXPECT_EQ(s->path.text(), "/opt/tools");
    EXPECT_EQ(s->alarm, 1);
}

TEST_F(TaskWizardTest, GivenTaskTypeNone_ThenTheTimeIsHiddenAndSetToTheEndOfTheDay) {
    TaskWizardWindow& w = open(WizardKind::addTask);
    tick(w.controls().task->taskTypes[3]);
    click(w.nextButton());  // the message page
    click(w.nextButton());  // the When page
    EXPECT_FALSE(w.controls().when->time->isVisible());
    EXPECT_FALSE(w.controls().when->timePrompt->isVisible());
    EXPECT_EQ(w.session().task().time, kNoneTaskTime);
}

TEST_F(TaskWizardTest, GivenAWeeklyTask_WhenRescheduledWithTheSkipBoxAndFinished_ThenTheSourceSkipsItsNextTime) {
    test::addTask(files, weeklyTask(3));
    TaskWizardWindow& w = open(WizardKind::specialEvent, weeklyTask(3));
    EXPECT_EQ(w.windowTitle().toStdString(), "Reschedule Event Wizard");
    EXPECT_EQ(w.controls().task->taskTypes[3], nullptr);
    EXPECT_EQ(w.controls().when->scheduleTypes[0], nullptr);
    EXPECT_EQ(w.controls().advanced->disabled, nullptr);
    EXPECT_EQ(w.controls().task->description->text().toStdString(), "Pay day");
    for (int i = 0; i < 3; ++i) click(w.nextButton());
    EXPECT_EQ(state(), "4 B N*");
    typeInto(w.controls().when->date, "Jun 10, 1996");  // a Monday: any date fits a one-off event
    EXPECT_EQ(messages.count(), 0u);
    EXPECT_EQ(w.controls().when->skip->text().toStdString(), "Skip next regular occurance of task being copied");
    tick(w.controls().when->skip);
    click(w.nextButton());
    EXPECT_EQ(test::storedTask(files, 3)->skipNextTime, 0);
    click(w.finishButton());
    EXPECT_EQ(response, Response::completed);
    const std::optional<Task> event = test::storedTask(files, 4);
    ASSERT_TRUE(event);
    EXPECT_EQ(event->scheduleType.text(), "Once");
    EXPECT_EQ(event->date, june10());
    EXPECT_EQ(event->skipNextTime, 0);
    EXPECT_EQ(test::storedTask(files, 3)->skipNextTime, 1);
}

TEST_F(TaskWizardTest, GivenTheSpecialEventCancelledOnItsLastPage_ThenNothingIsAddedAndTheSourceUntouched) {
    const Task source = test::addTask(files, weeklyTask(3));
    TaskWizardWindow& w = open(WizardKind::specialEvent, source);
    for (int i = 0; i < 3; ++i) click(w.nextButton());
    tick(w.controls().when->skip);
    click(w.nextButton());
    click(w.cancelButton());
    EXPECT_EQ(response, Response::cancelled);
    EXPECT_FALSE(test::storedTask(files, 4));
    EXPECT_EQ(*test::storedTask(files, 3), source);
}

TEST_F(TaskWizardTest, GivenTheFrame_WhenAWizardEntryIsChosen_ThenItsWizardOpensInsideTheFrame) {
    Settings settings;
    app::MainFrame frame(settings);
    frame.show();
    for (auto command : {app::FrameCommand::addMessage, app::FrameCommand::addProgram,
                         app::FrameCommand::genericAdd})
        EXPECT_FALSE(frame.action(command)->isEnabled());
    app::setWizardCommands(frame, services);
    frame.action(app::FrameCommand::addMessage)->trigger();
    const auto open = frame.findChildren<TaskWizardWindow*>();
    ASSERT_EQ(open.size(), 1);
    EXPECT_EQ(open[0]->objectName().toStdString(), "AddMessageWizard");
    EXPECT_TRUE(open[0]->isVisible());
    EXPECT_FALSE(open[0]->isModal());
    ASSERT_EQ(frame.mdiArea()->subWindowList().size(), 1);
    EXPECT_EQ(frame.mdiArea()->subWindowList()[0]->widget(), open[0]);
    EXPECT_TRUE(frame.action(app::FrameCommand::genericAdd)->isEnabled());
    EXPECT_EQ(test::taskCount(files), 1);
    frame.closeDown();
    QTest::qWait(10);
    EXPECT_EQ(test::taskCount(files), 0) << "closing down gives the reserved record back";
}

TEST_F(TaskWizardTest, GivenTheFrameAtItsFirstStartSize_WhenEachAddWizardOpens_ThenItFitsItsDocumentArea) {
    Settings settings;
    app::MainFrame frame(settings);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    app::setWizardCommands(frame, services);
    for (auto command : {app::FrameCommand::addMessage, app::FrameCommand::addProgram, app::FrameCommand::genericAdd}) {
        frame.action(command)->trigger();
        QMdiSubWindow* sub = frame.mdiArea()->activeSubWindow();
        ASSERT_NE(sub, nullptr);
        QApplication::processEvents();
        const std::string name = sub->widget()->objectName().toStdString();
        EXPECT_TRUE(frame.mdiArea()->viewport()->rect().contains(sub->geometry())) << name;
        // at the size its pages ask for, not a child widget's default
        EXPECT_GE(sub->widget()->height(), sub->widget()->minimumSizeHint().height()) << name;
        EXPECT_GE(sub->widget()->width(), sub->widget()->minimumSizeHint().width()) << name;
        sub->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    frame.closeDown();
    QTest::qWait(10);
}

// Every page of every wizard, for a look with TARVELO_SCREENSHOT_DIR set.
TEST_F(TaskWizardTest, GivenEachWizard_WhenWalkedThrough_ThenEveryPageCanBeShown) {
    test::addTask(files, weeklyTask(3));
    for (WizardKind kind :
         {WizardKind::addTask, WizardKind::addProgram, WizardKind::addMessage, WizardKind::specialEvent}) {
        TaskWizardWindow& w = open(kind, weeklyTask(3));
        const std::string name(wizardName(kind));
        int page = 1;
        shot(name + "-1.png");
        while (w.nextButton()->isVisible()) {
            click(w.nextButton());
            shot(name + "-" + std::to_string(++page) + ".png");
        }
        EXPECT_EQ(page, static_cast<int>(w.session().navigation().pages().size()));
        click(w.cancelButton());
    }
}

// --- Generic Add in the frame, by keyboard and mouse -------------------------------------------------

// Each case opens "Generic &Add" from the frame, types a description, then goes on by keys and clicks; the
// wizard then shows its page and buttons (state()), or it ended: "saved" or "cancelled", with the messages
// shown on the way.
struct FrameRoadCase {
    const char* name;
    std::vector<std::function<void(TaskWizardWindow&)>> steps;
    const char* outcome;
};
void PrintTo(const FrameRoadCase& c, std::ostream* os) { *os << c.name; }

class WizardFrameRoadTest : public TaskWizardTest, public testing::WithParamInterface<FrameRoadCase> {
public:
    using TaskWizardTest::tick;
};

// The user's keys go where the focus is.
void keys(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), k, modifiers);
    QTest::qWait(150);  // a button pressed by its letter clicks once the entry left has completed
}
void typed(const char* text) { QTest::keyClicks(QApplication::focusWidget(), QString::fromUtf8(text)); }

TEST_P(WizardFrameRoadTest, GivenGenericAddInTheFrameThenEachKeyAndClickGoesWhereTheButtonsSay) {
    Settings settings;
    app::MainFrame frame(settings);
    frame.show();
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    app::setWizardCommands(frame, services);
    frame.action(app::FrameCommand::genericAdd)->trigger();
    wizard = frame.findChild<TaskWizardWindow*>();
    ASSERT_TRUE(wizard);
    QObject::connect(wizard, &TaskWizardWindow::ended, [this](Response r) { response = r; });
    QTest::qWait(20);
    wizard->controls().task->description->setFocus();
    typed("Backup");
    for (const auto& step : GetParam().steps) {
        if (wizard) step(*wizard);
    }
    std::string outcome = wizard ? state() : response == Response::completed ? "saved" : "cancelled";
    for (const std::string& caption : messages.captions()) outcome += ", '" + caption + "'";
    EXPECT_EQ(outcome, GetParam().outcome);
    if (response == Response::completed) {
        EXPECT_EQ(test::storedTask(files, 1)->description.text(), "Backup");
    }
    frame.closeDown();
}

// A date after the task's own (June 3, 1996) typed as its advance warning, which the wizard refuses with a
// message when the entry is left.
void typeLateWarning(TaskWizardWindow& w) {
    w.controls().when->warnDate->setFocus();
    w.controls().when->warnDate->selectAll();
    typed("Dec 31, 1999");
}
void nextPage(TaskWizardWindow& w) { QTest::mouseClick(w.nextButton(), Qt::LeftButton); }

INSTANTIATE_TEST_SUITE_P(
    Wizards, WizardFrameRoadTest,
    testing::Values(
        FrameRoadCase{"EnterInTheDescription", {[](auto&) { keys(Qt::Key_Return); }}, "2 B N*"},
        FrameRoadCase{"KeypadEnterInTheDescription", {[](auto&) { keys(Qt::Key_Enter, Qt::KeypadModifier); }}, "2 B N*"},
        FrameRoadCase{"EnterAfterAltN",
                      {[](auto&) { keys(Qt::Key_N, Qt::AltModifier); }, [](auto&) { typed("backup.sh"); },
                       [](auto&) { keys(Qt::Key_Return); }},
                      "3 B N*"},
        FrameRoadCase{"EnterAfterClickingNext",
                      {nextPage, [](auto&) { typed("backup.sh"); }, [](auto&) { keys(Qt::Key_Return); }},
                      "3 B N*"},
        FrameRoadCase{"EnterInTheMessageIsANewLine",
                      {nextPage, nextPage, [](auto&) { keys(Qt::Key_Return); }},
                      "3 B N*"},
        FrameRoadCase{"EnterOnTheLastPageAfterClickingAlarm",
                      {nextPage, nextPage, nextPage, nextPage,
                       [](TaskWizardWindow& w) { WizardFrameRoadTest::tick(w.controls().advanced->alarm); },
                       [](auto&) { keys(Qt::Key_Return); }},
                      "saved"},
        FrameRoadCase{"KeyboardRoadSaves",
                      {[](auto&) { keys(Qt::Key_N, Qt::AltModifier); }, [](auto&) { keys(Qt::Key_Return); },
                       [](auto&) { keys(Qt::Key_N, Qt::AltModifier); }, [](auto&) { keys(Qt::Key_Return); },
                       [](auto&) { keys(Qt::Key_Return); }},
                      "saved"},
        FrameRoadCase{"CancelButtonLeavesAWarningUnchecked",
                      {nextPage, nextPage, nextPage, typeLateWarning,
                       [](TaskWizardWindow& w) { test::clickThroughWindow(*w.cancelButton()); }},
                      "cancelled"},
        FrameRoadCase{"EscapeLeavesAWarningUnchecked",
                      {nextPage, nextPage, nextPage, typeLateWarning, [](auto&) { keys(Qt::Key_Escape); }},
                      "cancelled"},
        FrameRoadCase{"CloseBoxLeavesAWarningUnchecked",
                      {nextPage, nextPage, nextPage, typeLateWarning,
                       [](TaskWizardWindow& w) {
                           qobject_cast<QMdiSubWindow*>(w.parentWidget())->close();
                           QTest::qWait(20);
                       }},
                      "cancelled"},
        FrameRoadCase{"LeavingALateWarningForNextIsRefused",
                      {nextPage, nextPage, nextPage, typeLateWarning, nextPage},
                      "5 B F*, ''"}),
    test::NamedBy<&FrameRoadCase::name>());

}  // namespace
}  // namespace tarvelo
