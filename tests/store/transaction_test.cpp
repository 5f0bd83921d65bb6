// Transactions: commit, rollback, the lock another process holds, and the implicit ones.
#include <gtest/gtest.h>

#include <chrono>

#include "store/database.h"
#include "store_test_support.h"

namespace tarvelo::store::testing {
namespace {

using Clock = std::chrono::steady_clock;

class Transactions : public ::testing::Test {
protected:
    void SetUp() override {
        openOrCreate(tasks);
        openOrCreate(categories);
        Row work = category("Work");
        ASSERT_TRUE(categories.add(work).ok());
        Row t = task(1, "Work", "report");
        ASSERT_TRUE(tasks.add(t).ok());
    }
    void closeAll() {
        tasks.close();
        categories.close();
        ASSERT_EQ(Database::openCount(), 0);
    }

    TempFolder folder;
    Table tasks{taskDef(), folder.path()};
    Table categories{categoryDef(), folder.path()};
};

TEST_F(Transactions, givenChangesToTwoTablesWhenRolledBackThenBothAsBefore) {
    Transaction tx;
    ASSERT_TRUE(tx.begin({&categories, &tasks}, 2).ok());
    EXPECT_TRUE(tx.active());
    Row c;
    ASSERT_TRUE(categories.fetch(0, category("work"), c).ok());
    c.values[0] = std::string("Office");
    ASSERT_TRUE(categories.put(c).ok());
    Row t;
    ASSERT_TRUE(tasks.fetch(kKeyId, task(1, "", ""), t).ok());
    ASSERT_TRUE(tasks.erase(t).ok());
    ASSERT_TRUE(tx.rollback().ok());
    EXPECT_FALSE(tx.active());

    EXPECT_EQ(textOf(readAll(categories, 0), 0), (std::vector<std::string>{"Work"}));
    EXPECT_EQ(fieldOf(readAll(tasks, kKeyId), kId), (std::vector<std::int64_t>{1}));
    // The copy read before the rollback still matches the stored row.
    EXPECT_TRUE(tasks.put(t).ok());
}

TEST_F(Transactions, givenChangesWhenCommittedThenKeptAfterReopening) {
    {
        Transaction tx;
        ASSERT_TRUE(tx.begin({&categories, &tasks}, 2).ok());
        Row home = category("Home");
        ASSERT_TRUE(categories.add(home).ok());
        ASSERT_TRUE(tx.commit().ok());
    }
    closeAll();
    openOrCreate(categories);
    EXPECT_EQ(textOf(readAll(categories, 0), 0), (std::vector<std::string>{"Home", "Work"}));
}

TEST_F(Transactions, givenTransactionLeftOpenWhenDestroyedThenRolledBack) {
    {
        Transaction tx;
        ASSERT_TRUE(tx.begin({&categories}, 2).ok());
        Row home = category("Home");
        ASSERT_TRUE(categories.add(home).ok());
    }
    EXPECT_EQ(textOf(readAll(categories, 0), 0), (std::vector<std::string>{"Work"}));
}

TEST_F(Transactions, givenDuplicateInsideTransactionThenOnlyThatWriteFailsAndCommitKeepsTheRest) {
    Transaction tx;
    ASSERT_TRUE(tx.begin({&categories}, 2).ok());
    Row home = category("Home");
    ASSERT_TRUE(categories.add(home).ok());
    Row dup = category("WORK");
    EXPECT_EQ(categories.add(dup).code, kDuplicateKey);
    ASSERT_TRUE(tx.commit().ok());
    EXPECT_EQ(textOf(readAll(categories, 0), 0), (std::vector<std::string>{"Home", "Work"}));
}

TEST_F(Transactions, givenBegunTransactionWhenBegunAgainOrOverClosedTableThenRefused) {
    Transaction tx;
    ASSERT_TRUE(tx.begin({&tasks}, 2).ok());
    EXPECT_EQ(tx.begin({&tasks}, 2).code, kDriverError);
    Transaction second;
    EXPECT_FALSE(second.begin({&categories}, 0).ok());  // same file, already in a transaction
    EXPECT_FALSE(second.active());
    ASSERT_TRUE(tx.rollback().ok());
    Table closed(todoDef(), folder.path());
    EXPECT_EQ(second.begin({&closed}, 2).code, kDriverError);
}

TEST_F(Transactions, givenAnotherProcessHoldsTheWriteLockWhenBeginningThenCleanFailureAfterTheTimeout) {
    closeAll();
    ChildProcess holder([&](ChildProcess& self) {
        Table mine(taskDef(), folder.path());
        if (!mine.open().ok()) return 10;
        Transaction tx;
        if (!tx.begin({&mine}, 2).ok()) return 11;
        Row r = task(2, "Work", "held");
        if (!mine.add(r).ok()) return 12;
        self.tell();
        if (!self.await(20000)) return 13;
        return tx.rollback().ok() ? 0 : 14;
    });
    ASSERT_TRUE(holder.await());
    openOrCreate(tasks);
    openOrCreate(categories);

    Transaction tx;
    const auto start = Clock::now();
    Status s = tx.begin({&tasks, &categories}, 2);
    const double waited = std::chrono::duration<double>(Clock::now() - start).count();
    EXPECT_EQ(s.code, kDriverError);
    EXPECT_EQ(s.driverCode, "SQLITE_BUSY (5)");
    EXPECT_FALSE(s.driverMessage.empty());
    EXPECT_EQ(lastError().code, kDriverError);
    EXPECT_FALSE(tx.active());
    EXPECT_GE(waited, 1.8);
    EXPECT_LT(waited, 5.0);

    // A single write outside a transaction is bounded the same way, and reads go on meanwhile.
    Row extra = category("Blocked");
    const auto writeStart = Clock::now();
    EXPECT_EQ(categories.add(extra).code, kDriverError);
    EXPECT_LT(std::chrono::duration<double>(Clock::now() - writeStart).count(), 5.0);
    EXPECT_EQ(readAll(tasks, kKeyId).size(), 1u);

    holder.tell();
    EXPECT_EQ(holder.join(), 0);
    EXPECT_TRUE(tx.begin({&tasks, &categories}, 2).ok());
    EXPECT_TRUE(tx.commit().ok());
}

}  // namespace
}  // namespace tarvelo::store::testing
