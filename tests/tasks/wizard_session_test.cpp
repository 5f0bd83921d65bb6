// The wizards' page sequences and their sessions over the data files, without widgets.
#include "tasks/wizard_session.h"

#include <gtest/gtest.h>

#include "core/profile.h"
#include "fakes/data_fixture.h"
#include "fakes/fake_engine_ports.h"
#include "fakes/fake_file_dialog.h"
#include "fakes/task_table.h"

namespace tarvelo {
namespace {

TEST(WizardNavigation, GivenTheTaskTypeChangedOnTheWay_WhenGoingBack_ThenTheNewTypeDecides) {
    WizardNavigation nav(WizardKind::addTask);
    nav.next(TaskType::Both);  // 2
    nav.next(TaskType::Both);  // 3
    nav.next(TaskType::Both);  // 4
    ASSERT_EQ(nav.current(), WizardPage::when);
    nav.back(TaskType::RunProgram);
    EXPECT_EQ(nav.current(), WizardPage::command);
}

StdDate june10() { return dateFromYmd(1996, 6, 10); }  // a Monday

class WizardSessionTest : public test::DataTest {
protected:
    WizardSessionTest() : pellschd("PELLSCHD.INI", folder.path()) {}

    TaskEditorPorts ports() {
        return TaskEditorPorts{messages, dialog, sound, clock, pellschd, [](const std::string&) { return false; }};
    }
    std::unique_ptr<TaskWizardSession> openWizard(WizardKind kind, const Task& source = {}) {
        auto w = std::make_unique<TaskWizardSession>(*files, kind, ports(), source);
        EXPECT_TRUE(w->start());
        return w;
    }
    // The task and its category, as the schedule browse would find them.
    Task addTask(Task s) {
        if (!s.category.isBlank()) {
            TableUse categories(*files, TableId::categories);
            Category c;
            c.category = s.category.text();
            EXPECT_TRUE(files->categories().add(c).ok());
        }
        return test::addTask(*files, s);
    }
    void removeTask(std::int32_t id) {
        TableUse use(*files, TableId::schedule);
        const std::optional<Task> s = test::storedTask(*files, id);
        ASSERT_TRUE(s);
        ASSERT_TRUE(files->schedule().erase(*s).ok());
    }
    std::vector<std::string> categoryNames() {
        TableUse use(*files, TableId::categories);
        RecordView<Category> view(files->table(TableId::categories), CategoryKey::keyCategory);
        std::vector<std::string> names;
        EXPECT_TRUE(view.setToStart().ok());
        for (Category c; view.next(c).ok();) names.push_back(c.category.text());
        return names;
    }
    // A weekly Friday task with everything a copy must carry over.
    Task weeklyTask(std::int32_t id) {
        Task s;
        s.id = id;
        s.taskType = TaskType::Both;
        s.category = "Office";
        s.description = "Pay day";
        s.command = "payroll --print";
        s.path = "/srv/pay";
        s.message = "Hand out the cheques";
        s.scheduleType = ScheduleType::DayOfWeek;
        s.friday = 1;
        s.date = june10() + 4;
        s.time = timeFromHms(9, 0);
        s.advanceWarnDate = june10() + 3;
        s.advanceWarnTime = timeFromHms(9, 0);
        s.advanceWarned = 1;
        s.alarm = 1;
        s.alarmFile = "/snd/bell.wav";
        s.userSkip = 1;
        return s;
    }

    ProfileFile pellschd;
    test::FakeFileDialog dialog;
    test::FakeSound sound;
    test::FakeClock clock{{dateFromYmd(1996, 6, 3), timeFromHms(10, 15)}};
};

TEST_F(WizardSessionTest, GivenNoGeneralCategory_WhenEachAddWizardStarts_ThenGeneralIsAddedOnceAndChosen) {
    for (WizardKind kind : {WizardKind::addTask, WizardKind::addProgram, WizardKind::addMessage}) {
        auto w = openWizard(kind);
        EXPECT_EQ(w->task().category.text(), "General");
        EXPECT_EQ(w->editor().categoryIndex(), 0);
        w->cancel();
        w->end();
    }
    EXPECT_EQ(categoryNames(), std::vector<std::string>{"General"});
}

TEST_F(WizardSessionTest, GivenGeneralSpelledInLowerCase_WhenAWizardStarts_ThenNoSecondIsAddedAndItIsChosen) {
    {
        TableUse use(*files, TableId::categories);
        Category c;
        c.category = "general";
        ASSERT_TRUE(files->categories().add(c).ok());
    }
    auto w = openWizard(WizardKind::addMessage);
    EXPECT_EQ(categoryNames(), std::vector<std::string>{"general"});
    EXPECT_EQ(w->task().category.text(), "general");
    EXPECT_EQ(w->editor().categoryIndex(), 0);
    EXPECT_EQ(messages.count(), 0u);
    w->cancel();
    w->end();
}

TEST_F(WizardSessionTest, GivenAnAddWizard_WhenItStarts_ThenTheTaskHasTheWizardsTypeAndTheNewTaskDefaults) {
    struct Case {
        WizardKind kind;
        const char* taskType;
    };
    for (const Case c : {Case{WizardKind::addTask, "Both"}, Case{WizardKind::addProgram, "Run Program"},
                         Case{WizardKind::addMessage, "Display Message"}}) {
        auto w = openWizard(c.kind);
        const Task& t = w->task();
        EXPECT_EQ(t.taskType.text(), c.taskType);
        EXPECT_EQ(t.date, dateFromYmd(1996, 6, 3));
        EXPECT_EQ(t.scheduleType.text(), "Day of Week");
        EXPECT_EQ(t.warn, 1);
        EXPECT_EQ(t.alarm, 0);
        EXPECT_EQ(t.id, 1);
        w->cancel();
        w->end();
    }
}

TEST_F(WizardSessionTest, GivenATaskReadEarlier_WhenAWizardStarts_ThenNothingOfItCarriesOver) {
    addTask(weeklyTask(4));
    auto w = openWizard(WizardKind::addTask);
    EXPECT_EQ(w->task().id, 5);
    EXPECT_TRUE(w->task().description.isBlank());
    EXPECT_TRUE(w->task().command.isBlank());
    EXPECT_EQ(w->task().advanceWarnDate, 0);
    w->cancel();
    EXPECT_EQ(w->end(), Response::cancelled);
}

TEST_F(WizardSessionTest, GivenAWizardCancelled_ThenNoRecordIsLeftAndTheNextWizardGetsTheSameNumber) {
    auto first = openWizard(WizardKind::addProgram);
    EXPECT_EQ(test::taskCount(*files), 1);  // reserved while the wizard is open
    first->cancel();
    EXPECT_EQ(first->end(), Response::cancelled);
    EXPECT_EQ(test::taskCount(*files), 0);
    auto second = openWizard(WizardKind::addMessage);
    EXPECT_EQ(second->task().id, 1);
}

TEST_F(WizardSessionTest, GivenTheMessageWizardFinished_ThenTheStoredTaskDisplaysAMessageWarnsAndHasNoAlarm) {
    auto w = openWizard(WizardKind::addMessage);
    w->task().description = "Dentist";
    w->task().message = "Leave at ten";
    EXPECT_FALSE(w->finishPressed());
    EXPECT_EQ(w->end(), Response::completed);
    const std::optional<Task> s = test::storedTask(*files, 1);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->taskType.text(), "Display Message");
    EXPECT_EQ(s->warn, 1);
    EXPECT_EQ(s->alarm, 0);
    EXPECT_EQ(s->category.text(), "General");
    EXPECT_EQ(s->message.text(), "Leave at ten");
}

TEST_F(WizardSessionTest, GivenAutomaticWarnings_WhenFinishing_ThenAddWizardsRecomputeAndTheSpecialEventDoesNot) {
    pellschd.write("Warning", "Active", "1");
    pellschd.write("Warning", "Date", "1");
    const Task source = addTask(weeklyTask(1));

    auto add = openWizard(WizardKind::addTask);
    EXPECT_FALSE(add->finishPressed());
    EXPECT_EQ(add->task().advanceWarnDate, dateFromYmd(1996, 6, 2));
    add->end();

    auto special = openWizard(WizardKind::specialEvent, source);
    EXPECT_FALSE(special->finishPressed());
    special->end();
    EXPECT_EQ(test::storedTask(*files, special->task().id)->advanceWarnDate, source.advanceWarnDate);
}

TEST_F(WizardSessionTest, GivenAWeeklyTask_WhenRescheduled_ThenTheEventIsAnEnabledUnwarnedOnceCopyUnderANewNumber) {
    Task source = weeklyTask(7);
    source.disabled = 1;
    source = addTask(source);
    auto w = openWizard(WizardKind::specialEvent, source);
    Task expected = source;
    expected.id = 8;
    expected.scheduleType = ScheduleType::Once;
    expected.disabled = 0;
    expected.advanceWarned = 0;
    expected.ref = w->task().ref;
    EXPECT_EQ(w->task(), expected);
    EXPECT_FALSE(w->finishPressed());
    EXPECT_EQ(w->end(), Response::completed);

    const std::optional<Task> event = test::storedTask(*files, 8);
    ASSERT_TRUE(event);
    expected.ref = event->ref;
    EXPECT_EQ(*event, expected);
    EXPECT_EQ(test::storedTask(*files, 7)->skipNextTime, 0);
    EXPECT_EQ(test::storedTask(*files, 7)->scheduleType.text(), "Day of Week");
}

TEST_F(WizardSessionTest, GivenTheSkipBoxTicked_WhenFinished_ThenTheSkipMovesToTheSourceTask) {
    const Task source = addTask(weeklyTask(7));
    auto w = openWizard(WizardKind::specialEvent, source);
    w->task().skipNextTime = 1;
    EXPECT_FALSE(w->finishPressed());
    // Until the wizard has ended, the source task is untouched; the event is never stored skipping itself.
    EXPECT_EQ(test::storedTask(*files, 7)->skipNextTime, 0);
    EXPECT_EQ(test::storedTask(*files, 8)->skipNextTime, 0);
    EXPECT_EQ(w->end(), Response::completed);
    EXPECT_EQ(test::storedTask(*files, 8)->skipNextTime, 0);
    EXPECT_EQ(test::storedTask(*files, 7)->skipNextTime, 1);
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(WizardSessionTest, GivenTheEventCannotBeSaved_WhenFinishing_ThenTheWizardStaysWithTheSkipBoxTicked) {
    const Task source = addTask(weeklyTask(7));
    auto w = openWizard(WizardKind::specialEvent, source);
    w->task().skipNextTime = 1;
    removeTask(8);  // the reserved record, gone behind the wizard's back
    EXPECT_TRUE(w->finishPressed());
    EXPECT_GE(messages.count(), 1u);
    EXPECT_EQ(w->task().skipNextTime, 1);
    w->cancel();
    EXPECT_EQ(w->end(), Response::cancelled);
    EXPECT_EQ(test::storedTask(*files, 7)->skipNextTime, 0);
}

TEST_F(WizardSessionTest, GivenTheSkipBoxTicked_WhenCancelled_ThenNoEventExistsAndTheSourceIsUnchanged) {
    const Task source = addTask(weeklyTask(7));
    auto w = openWizard(WizardKind::specialEvent, source);
    w->task().skipNextTime = 1;
    w->cancel();
    EXPECT_EQ(w->end(), Response::cancelled);
    EXPECT_FALSE(test::storedTask(*files, 8));
    EXPECT_EQ(test::storedTask(*files, 7)->skipNextTime, 0);
    EXPECT_EQ(test::taskCount(*files), 1);
}

TEST_F(WizardSessionTest, GivenASourceAlreadySkipping_WhenRescheduled_ThenTheSkipBoxStartsTicked) {
    Task source = weeklyTask(7);
    source.skipNextTime = 1;
    auto w = openWizard(WizardKind::specialEvent, addTask(source));
    EXPECT_EQ(w->task().skipNextTime, 1);
    w->cancel();
    w->end();
}

TEST_F(WizardSessionTest, GivenTheSourceDeletedMeanwhile_WhenFinishedWithSkip_ThenTheEventStaysAndTheFailureIsTold) {
    const Task source = addTask(weeklyTask(7));
    auto w = openWizard(WizardKind::specialEvent, source);
    w->task().skipNextTime = 1;
    removeTask(7);
    EXPECT_FALSE(w->finishPressed());
    EXPECT_EQ(w->end(), Response::completed);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().text,
              "Could not set SKIP status  ID #7Error:" + store::codeMessage(store::kRecordNotFound));
    EXPECT_EQ(messages.last().caption, "");
    ASSERT_TRUE(test::storedTask(*files, 8));
    EXPECT_EQ(test::storedTask(*files, 8)->skipNextTime, 0);
    EXPECT_FALSE(test::storedTask(*files, 7));
}

TEST_F(WizardSessionTest, GivenAWeeklyEvent_WhenAnyDateIsEntered_ThenNoScheduleTypeWarningIsShown) {
    auto w = openWizard(WizardKind::specialEvent, addTask(weeklyTask(7)));
    w->editor().fields().acceptNextDate(june10());  // a Monday; the source runs on Fridays only
    EXPECT_EQ(w->task().date, june10());
    EXPECT_EQ(messages.count(), 0u);
    w->cancel();
    w->end();
}

}  // namespace
}  // namespace tarvelo
