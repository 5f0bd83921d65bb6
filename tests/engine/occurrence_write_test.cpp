// An occurrence is stored before it is performed: a write that fails performs nothing and is reported,
// a later tick performs it once; another scheduler that stores it first leaves nothing to do.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <filesystem>

#include "scheduler_fixture.h"
#include "fakes/case_names.h"

namespace tarvelo::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// A second connection to the data file, as another program would hold it.
class Intruder {
public:
    explicit Intruder(const std::string& folder) {
        sqlite3_open((std::filesystem::path(folder) / "SM.KTB").c_str(), &m_db);
        sqlite3_busy_timeout(m_db, 5000);
    }
    ~Intruder() { sqlite3_close(m_db); }
    void exec(const std::string& sql) {
        char* error = nullptr;
        ASSERT_EQ(sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
    }
    // Adding any completed record fails from now on, as a full disk or an I/O error would fail it.
    void failCopies() {
        exec(R"(CREATE TRIGGER injected BEFORE INSERT ON "Schedule" WHEN NEW."COMPLETED" = 1
                BEGIN SELECT RAISE(ABORT, 'injected fault'); END)");
    }
    // Removing a completed copy fails from now on.
    void failPurges() {
        exec(R"(CREATE TRIGGER injected BEFORE DELETE ON "Schedule" WHEN OLD."COMPLETED" = 1
                BEGIN SELECT RAISE(ABORT, 'injected fault'); END)");
    }
    // Marking an advance warning given fails from now on.
    void failWarnings() {
        exec(R"(CREATE TRIGGER injected BEFORE UPDATE ON "Schedule" WHEN NEW."ADVANCEWARNED" = 1
                BEGIN SELECT RAISE(ABORT, 'injected fault'); END)");
    }
    void mendCopies() { exec("DROP TRIGGER injected"); }

private:
    sqlite3* m_db = nullptr;
};

class OccurrenceWriteTest : public SchedulerTest {
protected:
    Task dueMessage(std::string scheduleType = "Custom") {
        Task t = task("Stretch", day(1996, 10, 31), at(11, 0), "Display Message");
        t.scheduleType = ScheduleTypeWord::fromText(scheduleType);
        t.message = "Stretch now";
        t.alarm = 1;
        t.alarmFile = "/bell.wav";
        t.lastRunDate = day(1996, 10, 30);
        t.lastRunTime = at(11, 0, 2);
        return add(t);
    }
    // The stored task, whatever version it is at.
    Task unversioned(std::int32_t id) {
        Task s = *byId(id);
        s.ref = {};
        return s;
    }
};

class FailedCopyTest : public OccurrenceWriteTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(FailedCopyTest, GivenTheCopyCannotBeAddedThenNothingIsPerformedOrStoredAndTheTickSaysSo) {
    Task stored = dueMessage(GetParam());
    Intruder intruder(folder.path());
    intruder.failCopies();

    const store::Status s = scheduler.tick()[TickOutcome::dueTask];

    EXPECT_EQ(s.code, store::kDriverError);
    EXPECT_EQ(s.driverMessage, "injected fault");
    EXPECT_THAT(log.lines(), IsEmpty()) << "no alarm, no window";
    ASSERT_EQ(all().size(), 1u) << "no copy, and a Once task is not deleted";
    stored.ref = {};
    EXPECT_EQ(unversioned(stored.id), stored) << "not moved on, not stamped";
}

INSTANTIATE_TEST_SUITE_P(ScheduleTypes, FailedCopyTest, ::testing::Values("Custom", "Once"),
    [](const ::testing::TestParamInfo<const char*>& info) { return test::caseName(info.param); });

TEST_F(OccurrenceWriteTest, GivenAFailedWriteWhenALaterTickStoresItThenItIsPerformedOnceAndStampedThen) {
    const Task stored = dueMessage();
    Intruder intruder(folder.path());
    intruder.failCopies();
    EXPECT_FALSE(scheduler.tick().ok());
    EXPECT_FALSE(scheduler.tick().ok());
    intruder.mendCopies();
    clock.set(day(1996, 10, 31), at(12, 0, 10));

    tick();
    tick();

    EXPECT_THAT(log.lines(), ElementsAre("sound /bell.wav", "window Stretch now"));
    const auto moved = byId(stored.id);
    EXPECT_EQ(moved->date, day(1996, 11, 1));
    EXPECT_EQ(moved->lastRunTime, at(12, 0, 10)) << "stamped by the tick that stored it";
    const auto copies = completedCopies();
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies[0].lastRunDate, day(1996, 10, 30));
}

TEST_F(OccurrenceWriteTest, GivenAPromptAnsweredWhenTheWriteFailsThenTheNextTickUsesTheAnswerWithoutAsking) {
    Task t = dueMessage();
    t.userSkip = 1;
    ASSERT_TRUE(schedule().put(t).ok());
    Intruder intruder(folder.path());
    intruder.failCopies();
    messages.answer(platform::kYes);
    EXPECT_FALSE(scheduler.tick().ok());
    intruder.mendCopies();

    tick();

    EXPECT_THAT(log.lines(), ElementsAre("box Confirm Task: Stretch is due to run.  Run it now?", "sound /bell.wav",
                                         "window Stretch now"));
}

TEST_F(OccurrenceWriteTest, GivenTheTaskIsChangedElsewhereWhileItsPromptIsOpenThenNeitherWriteHappensAndTheChangeIsKept) {
    Task t = dueMessage();
    t.userSkip = 1;
    ASSERT_TRUE(schedule().put(t).ok());
    messages.whileOpen = [&] {
        // The task form, on the same thread inside the box's event loop, saves an edit of the task.
        Task edited = *byId(t.id);
        edited.description = "Stretch and breathe";
        ASSERT_TRUE(schedule().put(edited).ok());
    };
    messages.answer(platform::kYes);

    tick();

    EXPECT_THAT(windows.texts(), IsEmpty()) << "not this tick's to perform";
    EXPECT_EQ(all().size(), 1u) << "no copy without the task moved on";
    EXPECT_EQ(byId(t.id)->date, day(1996, 10, 31));
    EXPECT_EQ(byId(t.id)->description, "Stretch and breathe");

    messages.whileOpen = nullptr;
    tick();
    EXPECT_EQ(messages.captions().size(), 1u) << "no second prompt for the same occurrence";
    EXPECT_EQ(windows.texts().size(), 1u);
    EXPECT_EQ(byId(t.id)->date, day(1996, 11, 1));
    EXPECT_EQ(byId(t.id)->description, "Stretch and breathe");
    EXPECT_EQ(completedCopies().size(), 1u);
}

TEST_F(OccurrenceWriteTest, GivenAnotherSchedulerStoresTheOccurrenceWhileThePromptIsOpenThenItIsPerformedOnce) {
    Task t = dueMessage();
    t.userSkip = 1;
    ASSERT_TRUE(schedule().put(t).ok());
    FakeMessageBox otherMessages;
    otherMessages.answer(platform::kYes);
    FakeFrame otherFrame;
    FakeSound otherSound;
    FakeProgramStart otherPrograms;
    FakeMessageWindows otherWindows;
    Scheduler other(files.schedule(), settings, {clock, otherFrame, otherMessages, otherSound, otherPrograms, otherWindows});
    messages.whileOpen = [&] { stored(other.tick()); };
    messages.answer(platform::kYes);

    tick();
    tick();

    EXPECT_THAT(otherWindows.texts(), ElementsAre("Stretch now"));
    EXPECT_THAT(windows.texts(), IsEmpty());
    EXPECT_THAT(sound.played(), IsEmpty());
    EXPECT_EQ(completedCopies().size(), 1u);
    EXPECT_EQ(byId(t.id)->date, day(1996, 11, 1));
}

TEST_F(OccurrenceWriteTest, GivenAnotherProgramHoldsTheWriteLockThenTheTickGivesUpCleanlyAndPerformsOnceItIsFree) {
    const Task stored = dueMessage();
    Intruder intruder(folder.path());
    intruder.exec("BEGIN IMMEDIATE");

    const auto started = std::chrono::steady_clock::now();
    const store::Status s = scheduler.tick()[TickOutcome::dueTask];
    const auto waited = std::chrono::steady_clock::now() - started;

    EXPECT_LT(waited, std::chrono::seconds(5)) << "the write waits its lock wait (two seconds here), not for ever";
    EXPECT_EQ(s.driverCode, "SQLITE_BUSY (5)");
    EXPECT_THAT(log.lines(), IsEmpty());
    EXPECT_EQ(byId(stored.id)->date, day(1996, 10, 31));

    intruder.exec("COMMIT");
    tick();
    tick();
    EXPECT_EQ(byId(stored.id)->date, day(1996, 11, 1));
    EXPECT_EQ(completedCopies().size(), 1u);
    EXPECT_THAT(windows.texts(), ElementsAre("Stretch now"));
}

TEST_F(OccurrenceWriteTest, GivenTheWarnedMarkCannotBeStoredThenTheWarningIsNotShownUntilItIs) {
    Task t = task("Later", day(1996, 11, 2), at(8, 0), "Display Message");
    t.message = "coming";
    t.advanceWarnDate = day(1996, 10, 31);
    t.advanceWarnTime = at(8, 0);
    add(t);
    Intruder intruder(folder.path());
    intruder.exec("BEGIN IMMEDIATE");

    EXPECT_EQ(scheduler.checkAdvanceWarning().driverCode, "SQLITE_BUSY (5)");
    EXPECT_THAT(messages.captions(), IsEmpty());

    intruder.exec("COMMIT");
    checkAdvanceWarning();
    checkAdvanceWarning();
    EXPECT_THAT(messages.captions(), ElementsAre("Advanced Warning"));
}

}  // namespace
}  // namespace tarvelo::test

namespace tarvelo::test {
namespace {

// A step after the due task that cannot store what it has to fails on its own: the task it performed
// stays performed and stored, and the tick says which step failed.
struct LaterFailure {
    const char* name;
    void (Intruder::*inject)();
    TickOutcome::Step failed;
    const char* text;
};

class LaterStepFailureTest : public OccurrenceWriteTest, public ::testing::WithParamInterface<LaterFailure> {};

TEST_P(LaterStepFailureTest, GivenALaterStepFailsThenTheDueTaskStaysPerformedAndOnlyThatStepFails) {
    settings.historyExpiryDays = 1;
    Task expired = task("Old copy", day(1996, 10, 1), at(9, 0));
    expired.completed = 1;
    expired.disabled = 1;
    add(expired);
    Task warned = task("Meeting", day(1996, 11, 5), at(9, 0));
    warned.advanceWarnDate = day(1996, 10, 30);
    warned.advanceWarnTime = at(9, 0);
    add(warned);
    const Task due = dueMessage();
    Intruder intruder(folder.path());
    (intruder.*GetParam().inject)();

    const TickOutcome outcome = scheduler.tick();

    EXPECT_TRUE(outcome[TickOutcome::dueTask].ok()) << errorText(outcome[TickOutcome::dueTask]);
    for (const auto step : {TickOutcome::advanceWarning, TickOutcome::purge}) {
        EXPECT_EQ(outcome[step].ok(), step != GetParam().failed) << step;
    }
    EXPECT_EQ(outcome[GetParam().failed].driverMessage, "injected fault");
    EXPECT_STREQ(TickOutcome::notSavedText(GetParam().failed), GetParam().text);
    EXPECT_EQ(windows.texts(), std::vector<std::string>{"Stretch now"}) << "performed";
    EXPECT_EQ(byId(due.id)->date, day(1996, 11, 1)) << "and stored as performed";
}

INSTANTIATE_TEST_SUITE_P(
    Steps, LaterStepFailureTest,
    ::testing::Values(LaterFailure{"Purge", &Intruder::failPurges, TickOutcome::purge,
                                   "The expired completed tasks could not be removed"},
                      LaterFailure{"AdvanceWarning", &Intruder::failWarnings, TickOutcome::advanceWarning,
                                   "The advance warning could not be saved"}),
    [](const ::testing::TestParamInfo<LaterFailure>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tarvelo::test
