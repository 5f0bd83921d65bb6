#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "scheduler_fixture.h"

namespace tarvelo::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class TickTest : public SchedulerTest {};

TEST_F(TickTest, GivenTheSchedulerIsInactiveThenEveryTickOnlySetsTheInactiveTitleUntilItIsActiveAgain) {
    settings.schedulerActive = 0;
    settings.historyExpiryDays = 1;
    Task due = task("Due", day(1996, 10, 30), at(8, 0), "Display Message");
    due.message = "due";
    due.advanceWarnDate = day(1996, 10, 29);
    due.advanceWarnTime = at(8, 0);
    add(due);
    Task copy = task("Old copy", day(1990, 1, 1), at(8, 0));
    copy.completed = copy.disabled = 1;
    const Task storedCopy = add(copy);

    tick();
    tick();

    EXPECT_THAT(frame.titles(), ElementsAre(kInactiveTitle, kInactiveTitle));
    EXPECT_EQ(std::string(kInactiveTitle), "Pellacorp Scheduler (Inactive)");
    EXPECT_THAT(log.lines(), IsEmpty());
    EXPECT_TRUE(byId(storedCopy.id)) << "no purge either";

    settings.schedulerActive = 1;  // as the setup window does, in place
    tick();
    EXPECT_THAT(windows.texts(), ElementsAre("due"));
    EXPECT_EQ(frame.title(), "Tarvelo '96");
}

TEST_F(TickTest, GivenADueTaskAndAPassedWarningThenOneTickPerformsTheTaskThenShowsTheWarningThenPurges) {
    settings.historyExpiryDays = 3;
    Task due = task("Due", day(1996, 10, 31), at(8, 0), "Display Message");
    due.message = "due now";
    add(due);
    Task later = task("Later", day(1996, 11, 2), at(8, 0), "Display Message");
    later.message = "coming";
    later.advanceWarnDate = day(1996, 10, 31);
    later.advanceWarnTime = at(8, 0);
    add(later);
    Task copy = task("Old copy", day(1996, 10, 1), at(8, 0));
    copy.completed = copy.disabled = 1;
    const Task storedCopy = add(copy);

    tick();

    EXPECT_THAT(log.lines(), ElementsAre("window due now", "box Advanced Warning: Nov 2, 1996 8:00AM\rcoming"));
    EXPECT_FALSE(byId(storedCopy.id));
}

TEST_F(TickTest, GivenAChangeListenerThenItHearsOfEveryTickThatChangedTheTasksAndOfNoOther) {
    int changes = 0;
    scheduler.setChangeListener([&] { ++changes; });
    settings.historyExpiryDays = 3;
    add(task("Later", day(1996, 11, 2), at(8, 0)));

    tick();
    EXPECT_EQ(changes, 0) << "nothing due, nothing to purge";

    add(task("Due", day(1996, 10, 31), at(8, 0)));
    tick();
    EXPECT_EQ(changes, 1) << "a task moved on, its copy added";

    Task copy = task("Old copy", day(1996, 10, 1), at(8, 0));
    copy.completed = copy.disabled = 1;
    add(copy);
    tick();
    EXPECT_EQ(changes, 2) << "an expired copy removed";
}

TEST_F(TickTest, GivenAPromptIsOpenWhenTheTimerFiresAgainThenTheNestedTickDoesNothing) {
    for (const char* name : {"first", "second"}) {
        Task t = task(name, day(1996, 10, 31), at(8, 0), "Display Message");
        t.userSkip = 1;
        t.message = name;
        add(t);
    }
    int nested = 0;
    messages.whileOpen = [&] {
        ++nested;
        EXPECT_TRUE(scheduler.isTicking());
        const auto titles = frame.titles().size();
        tick();  // what Qt's nested event loop does with the frame's timer
        tick();
        EXPECT_EQ(frame.titles().size(), titles);
    };
    messages.answer(platform::kYes);

    tick();

    EXPECT_EQ(nested, 1) << "one prompt, never a pile of them";
    EXPECT_THAT(windows.texts(), ElementsAre("first"));
    EXPECT_FALSE(scheduler.isTicking());

    messages.answer(platform::kYes);
    tick();
    EXPECT_THAT(windows.texts(), ElementsAre("first", "second"));
}

// --- The clock jumping ----------------------------------------------------------------------------

TEST_F(TickTest, GivenTheClockSpringsForwardOverATasksTimeThenItRunsOnTheFirstTickAfterTheJump) {
    Task t = task("At half past two", day(1997, 3, 30), at(2, 30), "Run Program");
    t.command = "nightly";
    t.warn = 1;
    const Task stored = add(t);

    clock.set(day(1997, 3, 30), at(1, 59, 58));
    tick();
    EXPECT_THAT(programs.starts(), IsEmpty());

    clock.set(day(1997, 3, 30), at(3, 0, 3));  // 02:00 to 02:59 never happens on this day
    tick();
    EXPECT_THAT(log.lines(), ElementsAre("start nightly @ ")) << "no missed-task prompt: it is still its day";
    EXPECT_EQ(byId(stored.id)->date, day(1997, 3, 31));
}

TEST_F(TickTest, GivenTheMachineSleptForDaysThenAnHourlyTaskIsPerformedOnceAndMovedPastNow) {
    Task t = task("Hourly", day(1996, 10, 31), at(12, 15), "Run Program");
    t.everyType = RepetitionUnit::Hour;
    t.command = "sync";
    t.warn = 1;
    const Task stored = add(t);
    messages.answer(platform::kYes);

    clock.set(day(1996, 11, 3), at(9, 40));  // woke up three days later
    tick();
    tick();

    EXPECT_EQ(messages.captions(), std::vector<std::string>{"Missed Task"});
    EXPECT_EQ(programs.starts().size(), 1u);
    EXPECT_EQ(completedCopies().size(), 1u);
    EXPECT_EQ(byId(stored.id)->date, day(1996, 11, 3));
    EXPECT_EQ(byId(stored.id)->time, at(10, 15));
}

struct FallBackCase {
    const char* name;
    const char* scheduleType;
    const char* everyType;
    int every;
    friend void PrintTo(const FallBackCase& c, std::ostream* os) { *os << c.name; }
};

class FallBackTest : public TickTest, public ::testing::WithParamInterface<FallBackCase> {
protected:
    Task ruled(StdDate date, StdTime time) {
        Task t = task(GetParam().name, date, time, "Display Message");
        t.scheduleType = ScheduleTypeWord::fromText(GetParam().scheduleType);
        t.everyType = RepetitionUnitWord::fromText(GetParam().everyType);
        t.every = GetParam().every;
        t.monday = t.tuesday = t.wednesday = t.thursday = t.friday = t.saturday = t.sunday = 1;
        t.message = "half past one";
        return add(t);
    }
    int copiesAt(StdDate date, StdTime time) {
        int n = 0;
        for (const auto& c : completedCopies()) n += (c.date == date && c.time == time);
        return n;
    }
    // Ticks every five seconds from `from` up to `to` (same day).
    void tickThrough(StdDate date, StdTime from, StdTime to) {
        for (StdTime t = from; t <= to; t += 500) {
            clock.set(date, t);
            tick();
        }
    }
};

TEST_P(FallBackTest, GivenTheClockFallsBackAnHourThenNoOccurrenceIsPerformedTwice) {
    const StdDate sunday = day(1996, 10, 27);
    ruled(sunday, at(1, 30));

    tickThrough(sunday, at(1, 0), at(2, 0));   // summer time
    tickThrough(sunday, at(1, 0), at(2, 0));   // the same hour again, in winter time

    EXPECT_EQ(copiesAt(sunday, at(1, 30)), 1);
}

TEST_P(FallBackTest, GivenTheClockFallsBackWhileThePromptIsOpenThenTheOccurrenceIsStillUsedUp) {
    const StdDate sunday = day(1996, 10, 27);
    Task t = ruled(sunday, at(1, 30));
    t.userSkip = 1;
    ASSERT_TRUE(schedule().put(t).ok());
    bool setBack = false;
    messages.whileOpen = [&] {
        if (!setBack) clock.set(sunday, at(0, 45));  // also across midnight below
        setBack = true;
    };

    clock.set(sunday, at(1, 30, 5));
    messages.answer(platform::kYes);
    tick();
    tickThrough(sunday, at(0, 45), at(1, 59));

    EXPECT_EQ(copiesAt(sunday, at(1, 30)), 1);
    EXPECT_EQ(windows.texts().size(), 1u);
    EXPECT_EQ(messages.captions().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(EveryRule, FallBackTest,
                         ::testing::Values(FallBackCase{"EveryHour", "Custom", "hour(s)", 1},
                                           FallBackCase{"Every30Minutes", "Custom", "minute(s)", 30},
                                           FallBackCase{"Daily", "Custom", "day(s)", 1},
                                           FallBackCase{"Monthly", "Monthly", "", 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TickTest, GivenADailyTaskWhenTheClockIsSetBackAcrossMidnightDuringItsPromptThenItIsNotDueAgain) {
    Task t = task("Daily", day(1996, 10, 27), at(0, 10), "Display Message");
    t.userSkip = 1;
    t.message = "daily";
    const Task stored = add(t);
    messages.whileOpen = [&] { clock.set(day(1996, 10, 26), at(23, 30)); };
    clock.set(day(1996, 10, 27), at(0, 10, 5));
    messages.answer(platform::kYes);

    tick();

    EXPECT_EQ(byId(stored.id)->date, day(1996, 10, 28));
}

}  // namespace
}  // namespace tarvelo::test
