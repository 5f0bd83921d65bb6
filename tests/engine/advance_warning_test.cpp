#include <functional>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "scheduler_fixture.h"

namespace tarvelo::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class AdvanceWarningTest : public SchedulerTest {
protected:
    // A task on `date` at `time` whose warning falls `daysBefore` days earlier at the same time.
    Task warned(std::string description, StdDate date, StdTime time, int daysBefore, std::string type = "Run Program") {
        Task t = task(std::move(description), date, time, std::move(type));
        t.advanceWarnDate = date - daysBefore;
        t.advanceWarnTime = time;
        return t;
    }
};

TEST_F(AdvanceWarningTest, GivenNoTaskWithAWarningThenNothingHappens) {
    add(task("Plain", day(1996, 10, 1), at(8, 0)));
    checkAdvanceWarning();
    EXPECT_THAT(log.lines(), IsEmpty());
}

TEST_F(AdvanceWarningTest, GivenAProgramTaskWarnedADayAheadThenTheBoxShowsItsMomentAndItsCommand) {
    Task t = warned("Backup", day(1996, 10, 31), at(17, 30), 1);
    t.command = "backup --all";
    const Task stored = add(t);

    clock.set(day(1996, 10, 30), at(17, 30));
    checkAdvanceWarning();
    EXPECT_THAT(log.lines(), IsEmpty()) << "not before the warning time has passed";

    clock.set(day(1996, 10, 30), at(17, 30, 1));
    checkAdvanceWarning();

    ASSERT_EQ(messages.requests().size(), 1u);
    const auto& box = messages.requests()[0];
    EXPECT_EQ(box.caption, "Advanced Warning");
    EXPECT_EQ(box.text, "Oct 31, 1996 5:30PM\rCommand:  backup --all");
    EXPECT_EQ(box.icon, platform::Icon::None);
    EXPECT_EQ(box.buttons, platform::kOk);
    EXPECT_EQ(byId(stored.id)->advanceWarned, 1);

    checkAdvanceWarning();
    EXPECT_EQ(messages.requests().size(), 1u) << "a warning is given once per occurrence";
}

TEST_F(AdvanceWarningTest, GivenEachTaskTypeThenTheWarningTextFollowsIt) {
    struct Case {
        std::string type;
        std::string message;
        std::string command;
        std::string text;  // after the first line
    };
    const std::vector<Case> cases{
        {"Display Message", "  Bring cake", "ignored", "  Bring cake"},
        {"Run Program", "ignored", "cake.sh", "Command:  cake.sh"},
        {"Both", "Bring cake", "cake.sh", "Bring cake\rCommand: cake.sh"},
        {"Both", "", "cake.sh", "\rCommand: cake.sh"},
        {"Both", "   ", "cake.sh", "\rCommand: cake.sh"},
        {"None", "  Bring cake", "cake.sh", "Bring cake\rCommand: cake.sh"},
        {"None", "  Bring cake", "", "Bring cake"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type + " / " + c.message + " / " + c.command);
        for (const auto& r : all()) ASSERT_TRUE(schedule().erase(r).ok());
        Task t = warned("Party", day(1996, 11, 2), at(15, 0), 3, c.type);
        t.message = c.message;
        t.command = c.command;
        add(t);

        checkAdvanceWarning();

        ASSERT_FALSE(messages.requests().empty());
        EXPECT_EQ(messages.requests().back().text, "Nov 2, 1996 3:00PM\r" + c.text);
    }
}

TEST_F(AdvanceWarningTest, GivenTwoPassedWarningsThenTheEarlierIsShownNowAndTheOtherOnTheNextTick) {
    Task late = warned("Late", day(1996, 11, 5), at(9, 0), 6, "Display Message");
    late.message = "late";
    add(late);
    Task early = warned("Early", day(1996, 11, 3), at(9, 0), 5, "Display Message");
    early.message = "early";
    add(early);

    checkAdvanceWarning();
    ASSERT_EQ(messages.requests().size(), 1u);
    EXPECT_EQ(messages.requests()[0].text, "Nov 3, 1996 9:00AM\rearly");

    checkAdvanceWarning();
    ASSERT_EQ(messages.requests().size(), 2u);
    EXPECT_EQ(messages.requests()[1].text, "Nov 5, 1996 9:00AM\rlate");
}

TEST_F(AdvanceWarningTest, GivenAWarningWithATimeButNoDateThenItIsGivenAtOnce) {
    Task t = task("Time only", day(1996, 12, 1), at(9, 0), "Display Message");
    t.advanceWarnTime = at(23, 0);
    add(t);
    checkAdvanceWarning();
    EXPECT_EQ(messages.requests().size(), 1u);
}

TEST_F(AdvanceWarningTest, GivenTheOccurrenceIsToBeSkippedThenNoBoxIsShownButTheTaskIsMarkedWarned) {
    Task t = warned("Skipped", day(1996, 11, 1), at(9, 0), 1);
    t.skipNextTime = 1;
    const Task stored = add(t);

    checkAdvanceWarning();

    EXPECT_THAT(log.lines(), IsEmpty());
    EXPECT_EQ(byId(stored.id)->advanceWarned, 1);
}

TEST_F(AdvanceWarningTest, GivenATaskThatWillNotBePerformedThenItIsNeitherWarnedNorMarkedNorHoldsBackTheNext) {
    // A blank schedule type, a completed copy (its occurrence was performed just now) and a disabled task
    // all carry a passed, unwarned warning that must not be shown.
    struct Case {
        std::string name;
        std::function<void(Task&)> make;
    };
    const std::vector<Case> cases{
        {"BlankScheduleType", [](Task& t) { t.scheduleType = ScheduleTypeWord::fromText(""); }},
        {"CompletedCopy", [](Task& t) { t.completed = 1; t.disabled = 1; }},
        {"Disabled", [](Task& t) { t.disabled = 1; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const auto& r : all()) ASSERT_TRUE(schedule().erase(r).ok());
        messages.fake().clear();
        Task passedOver = warned("Passed over", day(1996, 11, 1), at(9, 0), 3);
        c.make(passedOver);
        const Task storedPassedOver = add(passedOver);
        Task next = warned("Has rule", day(1996, 11, 1), at(10, 0), 2, "Display Message");
        next.message = "ruled";
        const Task storedNext = add(next);

        checkAdvanceWarning();
        checkAdvanceWarning();

        EXPECT_EQ(byId(storedPassedOver.id)->advanceWarned, 0);
        ASSERT_EQ(messages.requests().size(), 1u);
        EXPECT_EQ(messages.requests()[0].text, "Nov 1, 1996 10:00AM\rruled");
        EXPECT_EQ(byId(storedNext.id)->advanceWarned, 1);
    }
}

TEST_F(AdvanceWarningTest, GivenAWarningWhenTheTaskIsPerformedThenTheWarningIsPendingAgainForTheNextOccurrence) {
    Task t = warned("Weekly", day(1996, 10, 31), at(11, 0), 1, "None");
    t.everyType = RepetitionUnit::Week;
    t.advanceWarned = 1;  // given yesterday
    const Task stored = add(t);

    checkDueTask();

    const auto moved = byId(stored.id);
    EXPECT_EQ(moved->date, day(1996, 11, 7));
    EXPECT_EQ(moved->advanceWarnDate, day(1996, 11, 6));
    EXPECT_EQ(moved->advanceWarned, 0);
    clock.set(day(1996, 11, 6), at(11, 0, 1));
    checkAdvanceWarning();
    ASSERT_EQ(messages.requests().size(), 1u);
    EXPECT_EQ(messages.requests()[0].text.substr(0, 19), "Nov 7, 1996 11:00AM");
}

}  // namespace
}  // namespace tarvelo::test
