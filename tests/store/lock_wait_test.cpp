// Waiting for another process's lock: as long as the one lock wait says, with the observer told who
// holds the file while the wait lasts; only then a clean SQLITE_BUSY.
#include <sqlite3.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "fakes/store_fixture.h"

namespace tarvelo::store::testing {
namespace {

using std::chrono::milliseconds;

// Another process holding the file's write lock for holdMs.
ChildProcess holdLock(const std::string& path, int holdMs) {
    return ChildProcess([path, holdMs](ChildProcess& self) {
        sqlite3* db = nullptr;
        if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) return 1;
        if (sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) return 2;
        self.tell();
        ::usleep(static_cast<useconds_t>(holdMs) * 1000);
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        return 0;
    });
}

class LockWaitTest : public ::testing::Test {
protected:
    LockWaitTest() : m_usualWait(lockWait()), m_usualNotice(lockWaitNoticeAfter()) {
        Table t(taskDef(), folder.path());
        openOrCreate(t);
    }
    ~LockWaitTest() override {
        setLockWait(m_usualWait);
        setLockWaitNoticeAfter(m_usualNotice);
        setLockWaitObserver({});
    }
    std::string dataFile() const { return folder.file("SM.KTB"); }
    // Another process takes the lock for holdMs; then this one adds a task, waiting as long as it may.
    // Returns what the add came to; waited says how long it took.
    Status addWhileHeldElsewhere(int holdMs, milliseconds& waited) {
        ChildProcess other = holdLock(dataFile(), holdMs);
        EXPECT_TRUE(other.await());
        EXPECT_TRUE(tasks.open().ok());
        const auto start = std::chrono::steady_clock::now();
        Row r = task(1, "Work", "Report");
        const Status added = tasks.add(r);
        waited = std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - start);
        EXPECT_EQ(other.join(), 0);
        return added;
    }

    TempFolder folder;
    Table tasks{taskDef(), folder.path()};

private:
    milliseconds m_usualWait;
    milliseconds m_usualNotice;
};

TEST_F(LockWaitTest, AWriteWaitsOutAnotherProcessHoldingTheLockAndTheObserverHearsWhoItIsNowAndThen) {
    setLockWait(milliseconds(20000));
    setLockWaitNoticeAfter(milliseconds(200));
    std::vector<LockWaitNotice> notices;
    setLockWaitObserver([&](const LockWaitNotice& n) { notices.push_back(n); });

    milliseconds waited{0};
    const Status added = addWhileHeldElsewhere(1200, waited);

    EXPECT_TRUE(added.ok()) << added;
    EXPECT_GE(waited, milliseconds(900));
    ASSERT_GE(notices.size(), 1u);
    EXPECT_LE(notices.size(), 7u) << "about once per notice interval, not on every try";
    EXPECT_EQ(notices.front().file, dataFile());
    EXPECT_GE(notices.front().waited, milliseconds(200));
    EXPECT_EQ(notices.front().limit, milliseconds(20000));
    EXPECT_NE(notices.front().holders.find("(process "), std::string::npos) << notices.front().holders;
}

TEST_F(LockWaitTest, BeyondTheWaitTheWriteFailsBusyAndWritesNothing) {
    setLockWait(milliseconds(300));

    milliseconds waited{0};
    const Status added = addWhileHeldElsewhere(1500, waited);

    EXPECT_TRUE(isBusy(added)) << added;
    EXPECT_EQ(added.driverCode, "SQLITE_BUSY (5)");
    EXPECT_GE(waited, milliseconds(300));
    EXPECT_LT(waited, milliseconds(1200)) << "given up after the wait, not when the other let go";
    EXPECT_EQ(tasks.records().value(), 0);
}

TEST_F(LockWaitTest, NobodyHoldingTheFileNamesNobody) {
    EXPECT_EQ(lockHolders(dataFile()), "");
    ASSERT_TRUE(tasks.open().ok());
    Transaction tx;
    ASSERT_TRUE(tx.begin({&tasks}).ok());
    EXPECT_EQ(lockHolders(dataFile()), "") << "this process's own lock is no other's";
}

}  // namespace
}  // namespace tarvelo::store::testing
