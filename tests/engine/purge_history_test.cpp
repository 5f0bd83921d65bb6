#include <gmock/gmock.h>
#include <gtest/gtest.h>

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

TEST_F(PurgeHistoryTest, GivenSevenDaysThenACopyEightDaysOldGoesAndOneSevenDaysOldStaysUntilTomorrow) {
    settings.historyExpiryDays = 7;
    const Task eight = copyOn(today - 8);
    const Task seven = copyOn(today - 7);

    purgeHistory();
    EXPECT_FALSE(byId(eight.id));
    EXPECT_TRUE(byId(seven.id));

    clock.set(today + 1, at(0, 0, 1));
    purgeHistory();
    EXPECT_FALSE(byId(seven.id));
}

TEST_F(PurgeHistoryTest, GivenZeroDaysThenCopiesAreKeptForEver) {
    settings.historyExpiryDays = 0;
    const Task ancient = copyOn(day(1801, 1, 1));
    purgeHistory();
    EXPECT_TRUE(byId(ancient.id));
}

TEST_F(PurgeHistoryTest, GivenNegativeDaysThenCopiesAreKeptForEver) {
    // A negative expiry typed into Setup once removed every copy up to that many days ahead.
    const Task past = copyOn(today - 400);
    const Task ahead = copyOn(today + 3);
    for (const int days : {-1, -7, -100000}) {
        SCOPED_TRACE(days);
        settings.historyExpiryDays = days;
        purgeHistory();
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

}  // namespace
}  // namespace tarvelo::test
