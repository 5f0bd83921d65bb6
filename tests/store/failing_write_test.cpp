// A disk that fails under the store: a write that cannot reach the disk (full, or an I/O error) comes
// back as a Status that names the error, and loses nothing committed before, for this process and for
// another that has the file open meanwhile; once the disk takes writes again, the same write succeeds.
#include <gtest/gtest.h>

#include <functional>

#include "store/database.h"
#include "fakes/case_names.h"
#include "fakes/failing_vfs.h"
#include "fakes/store_fixture.h"

namespace tarvelo::store::testing {
namespace {

// The first failure of a write made of several steps (or ok).
using Write = std::function<Status(Table& tasks, Table& categories)>;

struct DiskFailure {
    const char* name;
    int code;                // what the disk answers every write with
    const char* driverCode;  // how the Status names it
    Write write;
};

Status addAlone(Table& tasks, Table&) {
    Row r = task(2, "Home", "added alone");
    return tasks.add(r);
}

Status addToBothTables(Table& tasks, Table& categories) {
    Transaction tx;
    Row t = task(2, "Home", "added in a transaction");
    Row c = category("Home");
    for (Status s : {tx.begin({&tasks, &categories}), tasks.add(t), categories.add(c)}) {
        if (!s.ok()) return s;
    }
    return tx.commit();
}

Status changeTheFirstTask(Table& tasks, Table&) {
    Row r;
    if (Status s = tasks.fetch(kKeyId, task(1, "", ""), r); !s.ok()) return s;
    r.values[kDescription] = std::string("changed");
    return tasks.put(r);
}

// What both tables hold, as one comparable list: task ids and descriptions, then the categories.
Texts contents(Table& tasks, Table& categories) {
    Texts all = readAll<std::string>(tasks, kKeyId, kDescription);
    for (const auto& c : readAll<std::string>(categories, 0, 0)) all.push_back("category " + c);
    return all;
}

class FailingWriteTest : public ::testing::TestWithParam<DiskFailure> {
protected:
    void SetUp() override {
        openOrCreate(tasks);
        openOrCreate(categories);
        addAll(categories, {category("Work")});
        addAll(tasks, {task(1, "Work", "committed")});
    }

    test::FailingWrites disk;  // first, so the tables' connection goes through it
    TempFolder folder;
    Table tasks{taskDef(), folder.path()};
    Table categories{categoryDef(), folder.path()};
};

TEST_P(FailingWriteTest, TheWriteFailsNamingTheErrorAndLosesNothingUntilTheDiskTakesItAgain) {
    const Texts before = contents(tasks, categories);
    // Another program with the file open all along: what it reads is what was committed.
    ChildProcess other([&](ChildProcess& self) {
        Table theirTasks{taskDef(), folder.path()};
        Table theirCategories{categoryDef(), folder.path()};
        if (!theirTasks.open().ok() || !theirCategories.open().ok()) return 10;
        self.tell();
        if (!self.await() || contents(theirTasks, theirCategories) != before) return 11;
        self.tell();
        if (!self.await() || contents(theirTasks, theirCategories) == before) return 12;
        return 0;
    });
    ASSERT_TRUE(other.await());

    disk.failWith(GetParam().code);
    const Status failed = GetParam().write(tasks, categories);
    disk.failWith(SQLITE_OK);

    EXPECT_GT(test::FailingWrites::failedWrites(), 0) << "the write never reached the disk";
    EXPECT_EQ(failed.code, kDriverError) << failed;
    EXPECT_EQ(failed.driverCode, GetParam().driverCode) << failed;
    EXPECT_FALSE(failed.driverMessage.empty());
    EXPECT_EQ(contents(tasks, categories), before);
    other.tell();
    ASSERT_TRUE(other.await()) << "the other program saw the failed write";

    const Status retried = GetParam().write(tasks, categories);
    ASSERT_TRUE(retried.ok()) << retried;
    const Texts after = contents(tasks, categories);
    EXPECT_NE(after, before);
    other.tell();
    EXPECT_EQ(other.join(), 0) << "the other program did not see the retried write";

    tasks.close();
    categories.close();
    ASSERT_EQ(Database::openCount(), 0);
    openOrCreate(tasks);
    openOrCreate(categories);
    EXPECT_EQ(contents(tasks, categories), after) << "on disk as it was committed";
}

INSTANTIATE_TEST_SUITE_P(
    Disk, FailingWriteTest,
    ::testing::Values(DiskFailure{"FullWhenARecordIsAdded", SQLITE_FULL, "SQLITE_FULL (13)", addAlone},
                      DiskFailure{"FullWhenATransactionCommits", SQLITE_FULL, "SQLITE_FULL (13)", addToBothTables},
                      DiskFailure{"FullWhenARecordIsChanged", SQLITE_FULL, "SQLITE_FULL (13)", changeTheFirstTask},
                      DiskFailure{"IoErrorWhenARecordIsAdded", SQLITE_IOERR_WRITE, "SQLITE_IOERR (778)", addAlone},
                      DiskFailure{"IoErrorWhenATransactionCommits", SQLITE_IOERR_WRITE, "SQLITE_IOERR (778)",
                                  addToBothTables},
                      DiskFailure{"IoErrorWhenARecordIsChanged", SQLITE_IOERR_WRITE, "SQLITE_IOERR (778)",
                                  changeTheFirstTask}),
    test::NamedBy<&DiskFailure::name>());

}  // namespace
}  // namespace tarvelo::store::testing
