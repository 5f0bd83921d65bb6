#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "scheduler_fixture.h"

namespace tarvelo::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class DueTaskTest : public SchedulerTest {};

TEST_F(DueTaskTest, GivenNoEnabledTaskWhenTickedThenOnlyThePlainTitleIsSet) {
    frame.setMinimized(true);
    checkDueTask();  // an empty table
    // a table holding only a switched-off task and a completed copy, both long overdue
    Task off = task("Switched off", day(1990, 1, 1), at(8, 0), "Display Message");
    off.disabled = 1;
    add(off);
    Task copy = task("Old copy", day(1990, 1, 1), at(8, 0), "Display Message");
    copy.disabled = 1;
    copy.completed = 1;
    add(copy);

    checkDueTask();

    EXPECT_THAT(frame.titles(), ElementsAre("Tarvelo '96", "Tarvelo '96"));
    EXPECT_THAT(log.lines(), IsEmpty());
    EXPECT_EQ(all().size(), 2u);
}

TEST_F(DueTaskTest, GivenATaskAtExactlyNowThenItIsDueOnlyOnTheFirstTickAfterThatTime) {
    add(task("Lunch", day(1996, 10, 31), at(12, 0), "Display Message"));

    checkDueTask();
    EXPECT_THAT(windows.texts(), IsEmpty()) << "not yet due at exactly its time";

    clock.advance(1);
    checkDueTask();
    EXPECT_EQ(windows.texts().size(), 1u);
}

TEST_F(DueTaskTest, GivenAMissedProgramTaskWhenTheUserAnswersNoThenItIsStampedMovedOnAndCopiedButNotStarted) {
    // GIVEN a "Run Program" task from yesterday that warns when missed
    Task t = task("Backup", day(1996, 10, 30), at(17, 30), "Run Program");
    t.command = "backup --all";
    t.warn = 1;
    t.lastRunDate = day(1996, 10, 29);
    t.lastRunTime = at(17, 30, 5);
    const Task stored = add(t);
    messages.answer(platform::kNo);

    checkDueTask();

    ASSERT_EQ(messages.requests().size(), 1u);
    const auto& prompt = messages.requests()[0];
    EXPECT_EQ(prompt.caption, "Missed Task");
    EXPECT_EQ(prompt.text, "Backup was not run.  Run it now?");
    EXPECT_EQ(prompt.icon, platform::Icon::Question);
    EXPECT_EQ(prompt.buttons, platform::kYes + platform::kNo);
    EXPECT_EQ(prompt.defaultButton, platform::kNo);
    EXPECT_THAT(programs.starts(), IsEmpty());

    const auto moved = byId(stored.id);
    ASSERT_TRUE(moved);
    EXPECT_EQ(moved->lastRunDate, day(1996, 10, 31));
    EXPECT_EQ(moved->lastRunTime, at(12, 0));
    EXPECT_EQ(moved->date, day(1996, 11, 1));
    EXPECT_EQ(moved->time, at(17, 30));

    const auto copies = completedCopies();
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies[0].date, day(1996, 10, 30)) << "the copy keeps the occurrence's own date";
    EXPECT_EQ(copies[0].lastRunDate, day(1996, 10, 29)) << "and the stamps from before";
}

TEST_F(DueTaskTest, GivenAMissedProgramTaskWhenTheUserAnswersYesThenItStartsInItsFolder) {
    Task t = task("Backup", day(1996, 10, 30), at(17, 30), "Run Program");
    t.command = "backup --all";
    t.path = "/srv/data";
    t.warn = 1;
    const Task stored = add(t);
    messages.answer(platform::kYes);

    checkDueTask();

    EXPECT_THAT(log.lines(), ElementsAre("box Missed Task: Backup was not run.  Run it now?",
                                         "start backup --all @ /srv/data"));
    // The run log's entry names the task
    EXPECT_THAT(programs.labels(), ElementsAre(platform::ProgramLabel{stored.id, "Backup"}));
}

TEST_F(DueTaskTest, GivenAMissedMessageTaskThenThereIsNoMissedPromptAndConfirmComesOnlyWhenAsked) {
    struct Case {
        Byte userSkip;
        std::vector<std::string> effects;
    };
    const std::vector<Case> cases{
        {0, {"window Call home"}},
        {1, {"box Confirm Task: Call is due to run.  Run it now?", "window Call home"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "userSkip " << int(c.userSkip));
        for (const auto& r : all()) ASSERT_TRUE(schedule().erase(r).ok());
        log.clear();
        Task t = task("Call", day(1996, 10, 30), at(9, 0), "Display Message");
        t.warn = 1;
        t.userSkip = c.userSkip;
        t.message = "Call home";
        add(t);
        messages.answer(platform::kYes);

        checkDueTask();

        EXPECT_EQ(log.lines(), c.effects);
    }
}

TEST_F(DueTaskTest, GivenAConfirmPromptAnsweredNoThenNothingIsPerformedButTheOccurrenceIsUsedUp) {
    Task t = task("Reminder", day(1996, 10, 31), at(11, 0), "Both");
    t.userSkip = 1;
    t.command = "notify";
    t.message = "Stand up";
    const Task stored = add(t);

    checkDueTask();  // the default button is No

    EXPECT_EQ(messages.captions(), std::vector<std::string>{"Confirm Task"});
    EXPECT_THAT(windows.texts(), IsEmpty());
    EXPECT_THAT(programs.starts(), IsEmpty());
    EXPECT_EQ(byId(stored.id)->date, day(1996, 11, 1));
    EXPECT_EQ(byId(stored.id)->lastRunDate, day(1996, 10, 31));
    EXPECT_EQ(completedCopies().size(), 1u);
}

TEST_F(DueTaskTest, GivenASkippedOccurrenceThenNothingIsAnnouncedOrStampedAndTheCopyRecordsTheSkip) {
    Task t = task("Standup", day(1996, 10, 31), at(9, 0), "Both");
    t.skipNextTime = 1;
    t.alarm = 1;
    t.alarmFile = "/sounds/bell.wav";
    t.warn = 1;
    t.userSkip = 1;
    t.message = "Standup now";
    t.command = "meet";
    t.lastRunDate = day(1996, 10, 30);
    t.lastRunTime = at(9, 0, 3);
    frame.setMinimized(true);
    const Task stored = add(t);

    checkDueTask();

    EXPECT_THAT(log.lines(), IsEmpty()) << "no restore, alarm, prompt, window or program";
    const auto moved = byId(stored.id);
    EXPECT_EQ(moved->skipNextTime, 0);
    EXPECT_EQ(moved->date, day(1996, 11, 1));
    EXPECT_EQ(moved->lastRunDate, day(1996, 10, 30));
    EXPECT_EQ(moved->lastRunTime, at(9, 0, 3));
    const auto copies = completedCopies();
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies[0].skipNextTime, 1);
    EXPECT_EQ(copies[0].date, day(1996, 10, 31));
}

TEST_F(DueTaskTest, GivenAOnceTaskWhenPerformedThenItsRecordIsGoneAndACopyWithANewNumberRemains) {
    Task t = task("Dentist", day(1996, 10, 31), at(8, 0), "Display Message");
    t.scheduleType = ScheduleType::Once;
    t.message = "Dentist at 9";
    const Task stored = add(t);

    checkDueTask();

    EXPECT_FALSE(byId(stored.id)) << "the task itself is deleted";
    const auto records = all();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_NE(records[0].id, stored.id);
    EXPECT_EQ(records[0].completed, 1);
    EXPECT_EQ(records[0].disabled, 1);
    EXPECT_EQ(records[0].description, "Dentist");
    EXPECT_EQ(records[0].message, "Dentist at 9");
}

TEST_F(DueTaskTest, GivenACompletedCopyThenItIsTheTaskAsReadUnderTheNextFreeNumber) {
    add(task("Filler", day(2001, 1, 1), at(8, 0)));
    Task t = task("Water plants", day(1996, 10, 31), at(7, 0), "Display Message");
    t.category = "Home";
    t.message = "Water the ferns";
    t.advanceWarnDate = day(1996, 10, 30);
    t.advanceWarnTime = at(7, 0);
    t.advanceWarned = 1;
    const Task stored = add(t);
    add(task("Later", day(2002, 1, 1), at(8, 0)));  // number 3: the copy gets 4

    checkDueTask();

    const auto copy = byId(4);
    ASSERT_TRUE(copy);
    Task expected = stored;
    expected.id = 4;
    expected.completed = 1;
    expected.disabled = 1;
    EXPECT_EQ(*copy, expected);

    const auto moved = byId(stored.id);
    EXPECT_EQ(moved->date, day(1996, 11, 1));
    EXPECT_EQ(moved->advanceWarnDate, day(1996, 10, 31)) << "the warning moves on with the task";
    EXPECT_EQ(moved->advanceWarned, 0);
}

TEST_F(DueTaskTest, GivenThreeOverdueTasksThenTheyArePerformedOnThreeTicksEarliestFirst) {
    for (const auto& [name, hour] : std::vector<std::pair<std::string, int>>{{"second", 9}, {"third", 10}, {"first", 8}}) {
        Task t = task(name, day(1996, 10, 31), at(hour, 0), "Display Message");
        t.message = name;
        add(t);
    }

    checkDueTask();
    EXPECT_THAT(windows.texts(), ElementsAre("first"));
    checkDueTask();
    checkDueTask();
    EXPECT_THAT(windows.texts(), ElementsAre("first", "second", "third"));
    checkDueTask();
    EXPECT_EQ(windows.texts().size(), 3u) << "each is now moved on to tomorrow";
    EXPECT_EQ(completedCopies().size(), 3u);
}

TEST_F(DueTaskTest, GivenABothTaskWhoseProgramCannotStartThenTheWindowOpensAndThenTheRunCodeBox) {
    Task t = task("Report", day(1996, 10, 31), at(11, 0), "Both");
    t.message = "Monthly report";
    t.command = "report.exe /monthly";
    add(t);
    programs.fail("report.exe /monthly");

    checkDueTask();

    EXPECT_THAT(log.lines(), ElementsAre("window Monthly report", "start report.exe /monthly @ ",
                                         "box Error Starting report.exe /monthly: Run code -4"));
    const auto& box = messages.requests().back();
    EXPECT_EQ(box.icon, platform::Icon::None);
    EXPECT_EQ(box.buttons, platform::kOk);
    EXPECT_EQ(completedCopies().size(), 1u) << "a failed start still uses the occurrence up";
}

TEST_F(DueTaskTest, GivenMessageWindowsOpenThenTheSixtiethMessageGoesToAPlainBox) {
    struct Case {
        int open;
        std::vector<std::string> effects;
    };
    const std::vector<Case> cases{{59, {"window Hello there"}}, {60, {"box : Hello there"}}, {75, {"box : Hello there"}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.open);
        for (const auto& r : all()) ASSERT_TRUE(schedule().erase(r).ok());
        log.clear();
        windows.setOpen(c.open);
        Task t = task("Greeting", day(1996, 10, 31), at(11, 0), "Display Message");
        t.message = "Hello there";
        add(t);

        checkDueTask();

        EXPECT_EQ(log.lines(), c.effects);
    }
    const auto& box = messages.requests().back();
    EXPECT_EQ(box.icon, platform::Icon::None);
    EXPECT_EQ(box.buttons, platform::kOk);
    EXPECT_EQ(box.caption, "");
}

TEST_F(DueTaskTest, GivenAMinimizedFrameThenTheTitleShowsThePendingTaskAndTheFrameIsRestoredWhenItIsDue) {
    add(task("Call Bob", day(1996, 10, 31), at(17, 30), "None"));
    frame.setMinimized(true);

    checkDueTask();
    EXPECT_EQ(frame.title(), "Tarvelo '96 - Call Bob Oct 31, 1996 5:30PM");
    EXPECT_TRUE(frame.isMinimized());

    clock.set(day(1996, 10, 31), at(17, 30, 5));
    checkDueTask();
    EXPECT_FALSE(frame.isMinimized());
    EXPECT_THAT(log.lines(), ElementsAre("restore"));

    checkDueTask();
    EXPECT_EQ(frame.title(), "Tarvelo '96") << "not minimized any more";
}

TEST_F(DueTaskTest, GivenAnAlarmThenItPlaysOnceTheOccurrenceIsStoredAndTheStampIsTakenWhenThePromptCloses) {
    struct Case {
        int answer;
        std::vector<std::string> effects;
    };
    const std::vector<Case> cases{
        {platform::kYes, {"box Confirm Task: Pills is due to run.  Run it now?", "sound /home/me/alarm.wav", "window Take pills"}},
        {platform::kNo, {"box Confirm Task: Pills is due to run.  Run it now?"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer == platform::kYes ? "answered Yes" : "answered No");
        for (const auto& r : all()) ASSERT_TRUE(schedule().erase(r).ok());
        log.clear();
        clock.set(day(1996, 10, 31), at(12, 0));
        Task t = task("Pills", day(1996, 10, 31), at(11, 0), "Display Message");
        t.alarm = 1;
        t.alarmFile = "/home/me/alarm.wav";
        t.userSkip = 1;
        t.message = "Take pills";
        const Task stored = add(t);
        messages.answer(c.answer);
        messages.whileOpen = [&] { clock.set(day(1996, 10, 31), at(12, 3)); };  // the user took three minutes

        checkDueTask();

        EXPECT_EQ(log.lines(), c.effects);
        EXPECT_EQ(byId(stored.id)->lastRunTime, at(12, 3));
    }
}

}  // namespace
}  // namespace tarvelo::test
