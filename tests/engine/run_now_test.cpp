// "Run Now": the task is stamped and its History entry kept in one transaction, then performed as the
// engine performs it (with a message window limit of its own); it is never moved on, and a run that
// cannot be stored performs nothing.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>

#include "data/history_record.h"
#include "engine/run_now.h"
#include "scheduler_fixture.h"

namespace tarvelo::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class RunNowTest : public SchedulerTest {
protected:
    RunNowTest() { historyUse.emplace(files, TableId::history); }

    RunNowOutcome runNow(Task& t) { return tarvelo::runNow(files, t, {clock, sound, messages, programs, windows}); }

    std::vector<History> history() {
        std::vector<History> entries;
        auto table = files.history();
        History e;
        (void)table.setToStart(HistoryKey::keyId);
        while (table.next(e).ok()) entries.push_back(e);
        return entries;
    }

    // Runs SQL through a connection of its own, as another program would.
    void foreignSql(const std::string& sql) {
        sqlite3* db = nullptr;
        sqlite3_open((std::filesystem::path(folder.path()) / "SM.KTB").c_str(), &db);
        char* error = nullptr;
        EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
        sqlite3_free(error);
        sqlite3_close(db);
    }

    std::optional<TableUse> historyUse;
};

TEST_F(RunNowTest, GivenAWeeklyTaskWhenRunTwiceThenTwoConsecutiveEntriesAndTheNextDateIsUnchanged) {
    // GIVEN a task due next week, skipping its next occurrence, with an advance warning
    Task t = task("Backup", day(1996, 11, 7), at(17, 30), "Display Message");
    t.message = "Back up now";
    t.skipNextTime = 1;
    t.advanceWarnDate = day(1996, 11, 6);
    t.advanceWarnTime = at(17, 30);
    Task stored = add(t);

    // WHEN it is run now twice, a minute apart
    EXPECT_TRUE(runNow(stored).performed);
    clock.advance(6000);
    EXPECT_TRUE(runNow(stored).performed);

    // THEN two entries numbered 1 and 2, each stamped when it ran; the task keeps its date, skip and warning
    const auto entries = history();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].id, 1);
    EXPECT_EQ(entries[1].id, 2);
    EXPECT_EQ(entries[0].lastRunTime, at(12, 0));
    EXPECT_EQ(entries[1].lastRunTime, at(12, 1));
    const Task after = *byId(stored.id);
    EXPECT_EQ(after.date, day(1996, 11, 7));
    EXPECT_EQ(after.time, at(17, 30));
    EXPECT_EQ(after.skipNextTime, 1);
    EXPECT_EQ(after.advanceWarnDate, day(1996, 11, 6));
    EXPECT_EQ(after.lastRunDate, day(1996, 10, 31));
    EXPECT_EQ(after.lastRunTime, at(12, 1));
    EXPECT_THAT(windows.texts(), ElementsAre("Back up now", "Back up now"));
    EXPECT_THAT(completedCopies(), IsEmpty()) << "Run Now leaves no completed copy";
}

TEST_F(RunNowTest, GivenATaskThenItsEntryHoldsEveryFieldOfTheStampedTaskAndIsCompleted) {
    Task t = task("Report", day(1996, 12, 2), at(9, 0), "Both");
    t.category = "Work";
    t.command = "report --weekly";
    t.path = "/srv/reports";
    t.message = "Weekly report";
    t.scheduleType = ScheduleType::DayOfMonth;
    t.monday = t.every2nd = t.everyLast = 1;
    t.alarm = 1;
    t.alarmFile = "/sounds/bell.wav";
    t.warn = t.userSkip = 1;
    t.advanceWarnDate = day(1996, 12, 1);
    t.advanceWarned = 1;
    Task stored = add(t);

    runNow(stored);

    ASSERT_EQ(history().size(), 1u);
    const History entry = history()[0];
    EXPECT_EQ(entry.completed, 1);
    Task recorded = recordedTask(entry);
    Task expected = *byId(stored.id);  // as stamped
    expected.id = entry.id;
    expected.completed = 1;
    expected.advanceWarned = 0;  // History has no such flag
    EXPECT_EQ(recorded, expected);
    EXPECT_EQ(expected.lastRunDate, day(1996, 10, 31));
}

struct MessageLimitCase {
    const char* name;
    int openWindows;
    const char* expected;  // what the user sees
};

class RunNowMessageLimitTest : public RunNowTest, public ::testing::WithParamInterface<MessageLimitCase> {};

TEST_P(RunNowMessageLimitTest, GivenOpenMessageWindowsThenTheMessageGoesToAWindowOrAPlainBox) {
    windows.setOpen(GetParam().openWindows);
    Task t = task("Note", day(1996, 10, 31), at(13, 0), "Display Message");
    t.message = "Call home";
    Task stored = add(t);

    runNow(stored);

    EXPECT_THAT(log.lines(), ElementsAre(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(RunNow, RunNowMessageLimitTest,
                         ::testing::Values(MessageLimitCase{"FiftyFourOpen", 54, "window Call home"},
                                           MessageLimitCase{"FiftyFiveOpen", 55, "box : Call home"},
                                           MessageLimitCase{"FiftyNineOpenWhereTheEngineStillOpensOne", 59,
                                                            "box : Call home"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RunNowTest, GivenTheTaskWasChangedSinceItWasReadThenItRunsOnlyAsStoredAndOnlyWhenTheUserSaysSo) {
    // GIVEN the browse's copy, then the engine moves the stored task on
    Task t = task("Tea", day(1996, 10, 31), at(16, 0), "Display Message");
    t.message = "Tea time";
    Task copy = add(t);
    Task engine = *byId(copy.id);
    engine.date = day(1996, 11, 1);
    ASSERT_TRUE(schedule().put(engine).ok());

    // WHEN the user declines to try again: nothing is performed nor stamped
    dataMessages.answer({platform::kOk, platform::kNo});
    EXPECT_FALSE(runNow(copy).performed);
    EXPECT_THAT(dataMessages.captions(), ElementsAre("Update Operation Error", "Record Update Error"));
    EXPECT_EQ(dataMessages.requests()[0].text, "This record was changed by another station.");
    EXPECT_THAT(log.lines(), IsEmpty());
    EXPECT_THAT(history(), IsEmpty());
    EXPECT_EQ(byId(copy.id)->lastRunDate, 0);

    // WHEN the user tries again: the task as stored is run, the engine's change kept
    dataMessages.answer({platform::kOk, platform::kYes});
    EXPECT_TRUE(runNow(copy).performed);
    EXPECT_EQ(byId(copy.id)->date, day(1996, 11, 1));
    EXPECT_EQ(byId(copy.id)->lastRunDate, day(1996, 10, 31));
    EXPECT_EQ(copy.date, day(1996, 11, 1)) << "the caller's copy is as stored";
    EXPECT_EQ(history().size(), 1u);
    EXPECT_THAT(windows.texts(), ElementsAre("Tea time"));
}

TEST_F(RunNowTest, GivenTheHistoryCannotBeWrittenThenNothingIsPerformedNorStamped) {
    foreignSql(R"(CREATE TRIGGER injected BEFORE INSERT ON "History" BEGIN SELECT RAISE(ABORT, 'injected fault'); END)");
    Task t = task("Backup", day(1996, 11, 7), at(17, 30), "Run Program");
    t.command = "backup";
    Task stored = add(t);

    EXPECT_FALSE(runNow(stored).performed);

    EXPECT_THAT(dataMessages.captions(), ElementsAre("Update Operation Error"));
    EXPECT_THAT(dataMessages.last().text, ::testing::HasSubstr("injected fault"));
    EXPECT_THAT(programs.starts(), IsEmpty());
    EXPECT_EQ(byId(stored.id)->lastRunDate, 0) << "the stamp was rolled back with the entry";
}

}  // namespace
}  // namespace tarvelo::test
