// Moving a task on and keeping its completed copy are written together or not at all, and an occurrence
// whose write failed is not performed a second time.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>

#include "scheduler_fixture.h"

namespace tarvelo::test {
namespace {

using ::testing::ElementsAre;

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

private:
    sqlite3* m_db = nullptr;
};

class OccurrenceWriteTest : public SchedulerTest {
protected:
    Schedule dueMessage(std::string scheduleType = "Custom") {
        Schedule t = task("Stretch", day(1996, 10, 31), at(11, 0), "Display Message");
        t.scheduleType = scheduleType;
        t.message = "Stretch now";
        t.lastRunDate = day(1996, 10, 30);
        t.lastRunTime = at(11, 0, 2);
        return add(t);
    }
    // Adding any completed record fails, as a full disk or an I/O error would fail it.
    void failCopies(Intruder& intruder) {
        intruder.exec(R"(CREATE TRIGGER injected BEFORE INSERT ON "Schedule" WHEN NEW."COMPLETED" = 1
                         BEGIN SELECT RAISE(ABORT, 'injected fault'); END)");
    }
};

TEST_F(OccurrenceWriteTest, GivenTheCopyCannotBeAddedThenTheTaskIsNotMovedOnEither) {
    const Schedule stored = dueMessage();
    Intruder intruder(folder.path());
    failCopies(intruder);

    scheduler.tick();

    EXPECT_THAT(windows.texts(), ElementsAre("Stretch now"));
    EXPECT_EQ(all().size(), 1u) << "no copy";
    Schedule unchanged = *byId(stored.id);
    unchanged.ref = stored.ref;
    EXPECT_EQ(unchanged, stored) << "not moved on, not stamped";
}

TEST_F(OccurrenceWriteTest, GivenAOnceTaskWhoseCopyCannotBeAddedThenTheTaskIsNotDeleted) {
    const Schedule stored = dueMessage("Once");
    Intruder intruder(folder.path());
    failCopies(intruder);

    scheduler.tick();

    ASSERT_TRUE(byId(stored.id));
    EXPECT_EQ(byId(stored.id)->completed, 0);
    EXPECT_EQ(all().size(), 1u);
}

TEST_F(OccurrenceWriteTest, GivenAFailedWriteWhenTheWriteSucceedsOnALaterTickThenTheTaskIsNotPerformedAgain) {
    const Schedule stored = dueMessage();
    {
        Intruder intruder(folder.path());
        failCopies(intruder);
        scheduler.tick();
        intruder.exec("DROP TRIGGER injected");
    }
    clock.set(day(1996, 10, 31), at(12, 0, 5));

    scheduler.tick();
    scheduler.tick();

    EXPECT_THAT(windows.texts(), ElementsAre("Stretch now")) << "one window for one occurrence";
    const auto moved = byId(stored.id);
    EXPECT_EQ(moved->date, day(1996, 11, 1));
    EXPECT_EQ(moved->lastRunTime, at(12, 0)) << "stamped when it was performed";
    const auto copies = completedCopies();
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies[0].lastRunDate, day(1996, 10, 30));
}

TEST_F(OccurrenceWriteTest, GivenTheTaskIsChangedElsewhereWhileItsPromptIsOpenThenNeitherWriteHappensAndTheChangeIsKept) {
    Schedule t = dueMessage();
    t.userSkip = 1;
    ASSERT_TRUE(schedule().put(t).ok());
    messages.whileOpen = [&] {
        // The task form, on the same thread inside the box's event loop, saves an edit of the task.
        Schedule edited = *byId(t.id);
        edited.description = "Stretch and breathe";
        ASSERT_TRUE(schedule().put(edited).ok());
    };
    messages.answer(ui::kYes);

    scheduler.tick();

    EXPECT_EQ(all().size(), 1u) << "no copy without the task moved on";
    EXPECT_EQ(byId(t.id)->date, day(1996, 10, 31));
    EXPECT_EQ(byId(t.id)->description, "Stretch and breathe");

    messages.whileOpen = nullptr;
    scheduler.tick();
    EXPECT_EQ(messages.captions().size(), 1u) << "no second prompt for the same occurrence";
    EXPECT_EQ(windows.texts().size(), 1u);
    EXPECT_EQ(byId(t.id)->date, day(1996, 11, 1));
    EXPECT_EQ(byId(t.id)->description, "Stretch and breathe");
    EXPECT_EQ(completedCopies().size(), 1u);
}

TEST_F(OccurrenceWriteTest, GivenAnotherProgramHoldsTheWriteLockThenTheTickGivesUpCleanlyAndWritesOnceItIsFree) {
    const Schedule stored = dueMessage();
    Intruder intruder(folder.path());
    intruder.exec("BEGIN IMMEDIATE");

    const auto started = std::chrono::steady_clock::now();
    scheduler.tick();
    const auto waited = std::chrono::steady_clock::now() - started;

    EXPECT_LT(waited, std::chrono::seconds(5)) << "the write waits its two seconds, not for ever";
    EXPECT_EQ(byId(stored.id)->date, day(1996, 10, 31));
    EXPECT_EQ(all().size(), 1u);

    intruder.exec("COMMIT");
    scheduler.tick();
    EXPECT_EQ(byId(stored.id)->date, day(1996, 11, 1));
    EXPECT_EQ(completedCopies().size(), 1u);
    EXPECT_EQ(windows.texts().size(), 1u);
}

}  // namespace
}  // namespace tarvelo::test
