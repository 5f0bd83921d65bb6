#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fakes/data_fixture.h"
#include "fakes/run_entries.h"
#include "runlog/run_log.h"
#include "scheduler_fixture.h"

namespace tarvelo::test {
namespace {

class PurgeHistoryTest : public SchedulerTest {
protected:
    Task copyOn(StdDate date, std::string description = "copy") {
        Task c = task(std::move(description), date, at(9, 0), "Display Message");
        c.completed = 1;
        c.disabled = 1;
        return add(c);
    }
    const StdDate today = day(1996, 10, 31);
};

TEST_F(PurgeHistoryTest, GivenZeroOrNegativeDaysThenCopiesAreKeptForEver) {
    // A negative expiry typed into Setup once removed every copy up to that many days ahead.
    const Task ancient = copyOn(day(1801, 1, 1));
    const Task past = copyOn(today - 400);
    const Task ahead = copyOn(today + 3);
    for (const int days : {0, -1, -7, -100000}) {
        SCOPED_TRACE(days);
        settings.historyExpiryDays = days;
        purgeHistory();
        EXPECT_TRUE(byId(ancient.id));
        EXPECT_TRUE(byId(past.id));
        EXPECT_TRUE(byId(ahead.id));
    }
}

TEST_F(PurgeHistoryTest, GivenSwitchedOffTasksAmongTheCopiesThenTheyAreKeptAndReadPast) {
    settings.historyExpiryDays = 2;
    Task off = task("Switched off", today - 30, at(9, 0));
    off.disabled = 1;
    const Task storedOff = add(off);
    const Task older = copyOn(today - 40);
    const Task newer = copyOn(today - 10);
    const Task recent = copyOn(today - 1);
    Task enabled = task("Enabled and old", today - 50, at(9, 0));
    const Task storedEnabled = add(enabled);

    purgeHistory();

    EXPECT_TRUE(byId(storedOff.id));
    EXPECT_FALSE(byId(older.id));
    EXPECT_FALSE(byId(newer.id));
    EXPECT_TRUE(byId(recent.id));
    EXPECT_TRUE(byId(storedEnabled.id)) << "only disabled records are looked at";
}

TEST_F(PurgeHistoryTest, GivenAThousandExpiredCopiesThenOneTickRemovesThemAll) {
    settings.historyExpiryDays = 1;
    {
        store::Transaction batch;  // one write to the disk for the whole set-up
        ASSERT_TRUE(batch.begin({&schedule().table()}).ok());
        for (int i = 0; i < 1000; ++i) copyOn(today - 2 - i % 300);
        ASSERT_TRUE(batch.commit().ok());
    }
    const Task kept = copyOn(today);

    purgeHistory();

    const auto left = all();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].id, kept.id);
}

// The run log expires with the completed copies, in the same step.
class PurgeRunLogTest : public PurgeHistoryTest {
protected:
    PurgeRunLogTest() : runLogUse(files, TableId::runLog) { scheduler.setRunLog(files.runLog()); }

    void runOn(StdDate date) {
        RunEntry e = runEntry(1, date);
        ASSERT_TRUE(runlog::addEntry(files.runLog(), e).ok());
    }
    std::vector<StdDate> runDays() {
        std::vector<StdDate> days;
        for (const RunEntry& e : loggedRuns(files.runLog(), RunLogKey::keyStart)) days.push_back(e.startDate);
        return days;
    }

    TableUse runLogUse;
};

TEST_F(PurgeRunLogTest, GivenSevenDaysThenACopyOrRunEightDaysOldGoesAndOneSevenDaysOldStaysUntilTomorrow) {
    settings.historyExpiryDays = 7;
    const Task eight = copyOn(today - 8);
    const Task seven = copyOn(today - 7);
    runOn(today - 8);
    runOn(today - 7);

    purgeHistory();
    EXPECT_FALSE(byId(eight.id));
    EXPECT_TRUE(byId(seven.id));
    EXPECT_EQ(runDays(), std::vector<StdDate>{today - 7});

    clock.set(today + 1, at(0, 0, 1));
    purgeHistory();
    EXPECT_FALSE(byId(seven.id));
    EXPECT_TRUE(runDays().empty());
}

TEST_F(PurgeRunLogTest, GivenTheRunLogCannotBeWrittenThenThePurgeStepFailsWithIt) {
    settings.historyExpiryDays = 7;
    runOn(today - 30);
    runSql(folder.path() + "/SM.KTB", R"(CREATE TRIGGER injected BEFORE DELETE ON "RunLog"
                                          BEGIN SELECT RAISE(ABORT, 'injected fault'); END)");
    const TickOutcome outcome = scheduler.tick();
    EXPECT_TRUE(outcome[TickOutcome::dueTask].ok());
    EXPECT_EQ(outcome[TickOutcome::purge].driverMessage, "injected fault");
    EXPECT_EQ(runDays(), std::vector<StdDate>{today - 30});
}

// A failed run reaches the user once, through the notification port.
class TellFailuresTest : public PurgeRunLogTest {
protected:
    void ended(const std::string& description, int exitStatus, int signal, const std::string& output) {
        RunEntry e = runEntry(1, today, runlog::RunState::ended, 1, exitStatus, signal);
        e.description = description;
        e.output = output;
        e.told = runlog::failed(e) ? 0 : 1;
        ASSERT_TRUE(runlog::addEntry(files.runLog(), e).ok());
    }
    std::vector<std::string> summaries() {
        std::vector<std::string> out;
        for (const auto& n : fake.notifications.sent()) out.push_back(n.summary + " | " + n.body + (n.urgent ? " !" : ""));
        return out;
    }
};

TEST_F(TellFailuresTest, GivenFailedAndGoodRunsWhenTickedTwiceThenEachFailureIsNotifiedOnce) {
    ended("Backup", 3, 0, "copying\ndisk full\n");
    ended("Sync", 0, 0, "done\n");
    ended("Mirror", 0, 9, "");
    tick();
    tick();
    EXPECT_EQ(summaries(), (std::vector<std::string>{"Backup failed: exit status 3 | disk full !",
                                                     "Mirror failed: ended by signal 9 (Killed) |  !"}));
}

TEST_F(TellFailuresTest, GivenTheSettingOffThenNothingIsNotifiedNorLeftForLater) {
    settings.notifyFailures = 0;
    ended("Backup", 3, 0, "x\n");
    tick();
    settings.notifyFailures = 1;
    tick();
    EXPECT_TRUE(summaries().empty());
}

TEST_F(TellFailuresTest, GivenNoNotificationServiceThenTheFailureIsALineOnStandardError) {
    fake.notifications.available = false;
    ended("Backup", 3, 0, "disk full\n");
    ::testing::internal::CaptureStderr();
    tick();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Backup failed: exit status 3: disk full\n");
}

}  // namespace
}  // namespace tarvelo::test
