// Transactions: commit, rollback, the lock another process holds, and the implicit ones.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>

#include "store/database.h"
#include "fakes/lock_wait.h"
#include "fakes/store_fixture.h"

namespace tarvelo::store::testing {
namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

class Transactions : public ::testing::Test {
protected:
    void SetUp() override {
        openOrCreate(tasks);
        openOrCreate(categories);
        addAll(categories, {category("Work")});
        addAll(tasks, {task(1, "Work", "report")});
    }

    TempFolder folder;
    Table tasks{taskDef(), folder.path()};
    Table categories{categoryDef(), folder.path()};
};

TEST_F(Transactions, givenChangesToTwoTablesWhenRolledBackThenBothAsBeforeAndReadCopiesStillCurrent) {
    EXPECT_EQ(&categories.database(), &tasks.database());  // one connection, so one transaction covers both
    Transaction tx;
    ASSERT_TRUE(tx.begin({&categories, &tasks}).ok());
    EXPECT_TRUE(tx.active());
    Transaction second;
    EXPECT_FALSE(second.begin({&tasks}).ok());
    Row c;
    Row t;
    ASSERT_TRUE(categories.fetch(0, category("work"), c).ok() && tasks.fetch(kKeyId, task(1, "", ""), t).ok());
    c.values[0] = std::string("Office");
    ASSERT_TRUE(categories.put(c).ok());
    ASSERT_TRUE(tasks.erase(t).ok());
    ASSERT_TRUE(tx.rollback().ok());
    EXPECT_FALSE(tx.active());
    EXPECT_EQ(readAll<std::string>(categories, 0, 0), (Texts{"Work"}));
    EXPECT_EQ(readAll(tasks, kKeyId), (Ids{1}));
    EXPECT_TRUE(tasks.put(t).ok());
}

TEST_F(Transactions, givenCommitThenKeptAfterReopeningAndGivenNeitherThenRolledBackOnDestruction) {
    {
        Transaction tx;
        ASSERT_TRUE(tx.begin({&categories, &tasks}).ok());
        addAll(categories, {category("Home")});
        Row dup = category("WORK");
        EXPECT_EQ(categories.add(dup).code, kDuplicateKey);  // fails alone; the transaction goes on
        ASSERT_TRUE(tx.commit().ok());
    }
    {
        Transaction tx;
        ASSERT_TRUE(tx.begin({&categories}).ok());
        addAll(categories, {category("Lost")});
    }
    categories.close();
    tasks.close();
    ASSERT_EQ(Database::openCount(), 0);
    openOrCreate(categories);
    EXPECT_EQ(readAll<std::string>(categories, 0, 0), (Texts{"Home", "Work"}));
}

// The page cache of a bulk transaction is large only while the transaction lasts, however it ends.
TEST_F(Transactions, givenABulkTransactionThenTheCacheIsLargeWhileItLastsAndUsualAfterEveryEnd) {
    auto cacheKiB = [&] {
        Status s;
        Query q(tasks.database().statement("PRAGMA cache_size", s));
        return q.step() == SQLITE_ROW ? -sqlite3_column_int(q.get(), 0) : 0;
    };
    struct Case {
        const char* name;
        std::function<void(Transaction&)> end;
    };
    const Case cases[] = {
        {"committed", [](Transaction& tx) { ASSERT_TRUE(tx.commit().ok()); }},
        {"rolled back", [](Transaction& tx) { ASSERT_TRUE(tx.rollback().ok()); }},
        {"abandoned", [](Transaction& tx) { tx.abandon(); }},
        {"destroyed", [](Transaction&) {}},
    };
    for (const auto& c : cases) {
        {
            Transaction tx;
            ASSERT_TRUE(tx.beginBulk({&tasks, &categories}, 64).ok()) << c.name;
            EXPECT_EQ(cacheKiB(), 64 * 1024) << c.name;
            addAll(categories, {category(c.name)});
            c.end(tx);
        }
        EXPECT_EQ(cacheKiB(), 4096) << c.name;
    }
    Transaction small;
    ASSERT_TRUE(small.beginBulk({&tasks}, 1).ok());  // below the usual size: the usual size stays
    EXPECT_EQ(cacheKiB(), 4096);
}

TEST_F(Transactions, givenAnotherProcessHoldsTheWriteLockThenBeginAndWritesFailCleanlyAfterTheirTimeout) {
    const test::LockWaitFor measured(std::chrono::seconds(1));
    tasks.close();
    categories.close();
    ASSERT_EQ(Database::openCount(), 0);
    ChildProcess holder([&](ChildProcess& self) {
        Table theirs(taskDef(), folder.path());
        Transaction tx;
        Row r = task(2, "Work", "held");
        if (!theirs.open().ok() || !tx.begin({&theirs}).ok() || !theirs.add(r).ok()) return 10;
        self.tell();
        return self.await(20000) && tx.rollback().ok() ? 0 : 11;
    });
    ASSERT_TRUE(holder.await());
    openOrCreate(tasks);
    openOrCreate(categories);

    Transaction tx;
    auto start = std::chrono::steady_clock::now();
    const Status s = tx.begin({&tasks, &categories});
    const double waited = secondsSince(start);
    EXPECT_EQ(s.code, kDriverError);
    EXPECT_EQ(s.driverCode, "SQLITE_BUSY (5)");
    EXPECT_FALSE(tx.active());
    EXPECT_GE(waited, 0.9);
    EXPECT_LT(waited, 5.0);

    Row blocked = category("Blocked");
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(categories.add(blocked).code, kDriverError);
    EXPECT_LT(secondsSince(start), 5.0);
    EXPECT_EQ(readAll(tasks, kKeyId), (Ids{1}));  // reads go on meanwhile

    holder.tell();
    EXPECT_EQ(holder.join(), 0);
    EXPECT_TRUE(tx.begin({&tasks, &categories}).ok());
    EXPECT_TRUE(tx.commit().ok());
}

TEST_F(Transactions, givenAReadTransactionThenItReadsOneSnapshotWhileAnotherProcessWritesUnhindered) {
    // The other process starts while nothing is open here, so it inherits no connection.
    tasks.close();
    categories.close();
    ASSERT_EQ(Database::openCount(), 0);
    ChildProcess writer([&](ChildProcess& self) {
        if (!self.await()) return 10;
        Table theirs(taskDef(), folder.path());
        Row r = task(2, "Work", "added");
        if (!theirs.open().ok() || !theirs.add(r).ok()) return 11;
        self.tell();
        return 0;
    });
    openOrCreate(tasks);
    // GIVEN a read transaction that has read once
    Transaction reading;
    ASSERT_TRUE(reading.beginRead({&tasks}).ok());
    // One transaction per file, as for writing; refusing it leaves the reading as it was.
    EXPECT_FALSE(Transaction().begin({&tasks}).ok());
    ASSERT_EQ(readAll(tasks, kKeyId), (Ids{1}));
    // WHEN the other process adds a task meanwhile, THEN it is not held back
    writer.tell();
    ASSERT_TRUE(writer.await());
    EXPECT_EQ(writer.join(), 0);
    // AND the transaction still reads what it began with, the new task only after its end
    EXPECT_EQ(readAll(tasks, kKeyId), (Ids{1}));
    ASSERT_TRUE(reading.commit().ok());
    EXPECT_EQ(readAll(tasks, kKeyId), (Ids{1, 2}));
}

}  // namespace
}  // namespace tarvelo::store::testing
