// Two processes on one data file, each through its own connections: neither ever loses the other's
// writes, and no process is left writing into a log that another one deleted.
#include <gtest/gtest.h>
#include <limits.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "fakes/store_fixture.h"

namespace tarvelo::store::testing {
namespace {

// The descriptors of this process that point at a file of folder that was deleted meanwhile.
int deletedFilesOpen(const std::string& folder) {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        char target[PATH_MAX] = {};
        const ssize_t n = ::readlink(entry.path().c_str(), target, sizeof target - 1);
        if (n <= 0) continue;
        const std::string link(target, static_cast<std::size_t>(n));
        if (link.rfind(folder, 0) == 0 && link.find(" (deleted)") != std::string::npos) ++count;
    }
    return count;
}

// The second process opens its table either way: checked, as the programs do, or lean, as the watcher
// does; either way nothing is lost, and the log is gone once the last connection has closed.
class SharedFileOpening : public ::testing::TestWithParam<Opening> {};

TEST_P(SharedFileOpening, GivenAProcessHoldingTwoTablesWhenAnotherOpensWritesAndClosesThenNeitherLosesARecord) {
    TempFolder folder;
    {
        Table tasks(taskDef(), folder.path());
        Table categories(categoryDef(), folder.path());
        openOrCreate(tasks);
        openOrCreate(categories);
    }
    // Process A opens two tables of the file (the second open used to read the file outside SQLite,
    // dropping every lock A held) and stays open.
    ChildProcess a([&](ChildProcess& self) {
        Table tasks(taskDef(), folder.path());
        Table categories(categoryDef(), folder.path());
        if (!tasks.open().ok() || !categories.open().ok()) return 10;
        Row first = task(1, "Work", "from A");
        if (!tasks.add(first).ok()) return 11;
        self.tell();
        if (!self.await()) return 12;
        // B has come and gone; A writes on and reads everything back.
        Row third = task(3, "Work", "from A again");
        if (!tasks.add(third).ok()) return 13;
        if (readAll(tasks, kKeyId) != Ids{1, 2, 3}) return 14;
        return deletedFilesOpen(folder.path()) == 0 ? 0 : 15;
    });
    ASSERT_TRUE(a.await());
    ChildProcess b([&](ChildProcess&) {
        Table tasks(taskDef(), folder.path());
        tasks.setOpening(GetParam());
        if (!tasks.open().ok()) return 20;
        Row second = task(2, "Home", "from B");
        if (!tasks.add(second).ok()) return 21;
        tasks.close();  // the last connection of B: it checkpoints, and deletes the log if it is alone
        return 0;
    });
    ASSERT_EQ(b.join(), 0);
    a.tell();
    EXPECT_EQ(a.join(), 0);

    {
        Table tasks(taskDef(), folder.path());
        ASSERT_TRUE(tasks.open().ok());
        EXPECT_EQ(readAll(tasks, kKeyId), (Ids{1, 2, 3}));
    }
    EXPECT_FALSE(std::filesystem::exists(folder.file("SM.KTB-wal")));
}

INSTANTIATE_TEST_SUITE_P(Openings, SharedFileOpening, ::testing::Values(Opening::checked, Opening::lean),
                         [](const auto& info) { return info.param == Opening::lean ? "Lean" : "Checked"; });

// A reader going through the whole table a page at a time, in record order, while another process adds
// and deletes between its pages: each record at most once, the deleted one never, the added ones at the
// end, as they come in that order.
TEST(SharedFile, GivenARecordOrderReadInPagesWhenAnotherProcessWritesBetweenThemThenEveryRecordOnceInOrder) {
    TempFolder folder;
    {
        Table tasks(taskDef(), folder.path());
        openOrCreate(tasks);
        Transaction tx;
        ASSERT_TRUE(tx.begin({&tasks}).ok());
        for (int id = 1; id <= 30; ++id) addAll(tasks, {task(id, "Work", "t" + std::to_string(id))});
        ASSERT_TRUE(tx.commit().ok());
    }
    ChildProcess writer([&](ChildProcess& self) {
        if (!self.await()) return 20;
        Table tasks(taskDef(), folder.path());
        if (!tasks.open().ok()) return 21;
        Row gone;
        if (!tasks.fetch(kKeyId, task(25, "", ""), gone).ok() || !tasks.erase(gone).ok()) return 22;
        Row a = task(31, "Home", "added"), b = task(32, "Home", "added");
        if (!tasks.add(a).ok() || !tasks.add(b).ok()) return 23;
        tasks.close();
        self.tell();
        return 0;
    });

    Table tasks(taskDef(), folder.path());
    ASSERT_TRUE(tasks.open().ok());
    View view(tasks, kRecordOrder);
    std::vector<Row> page;
    Ids seen;
    for (int pages = 0; pages < 10; ++pages) {
        ASSERT_TRUE(view.readPage(Direction::forward, 10, page).ok());
        for (const Row& r : page) seen.push_back(number(r, kId));
        if (pages == 1) {  // the other process writes after the second page
            writer.tell();
            ASSERT_TRUE(writer.await());
        }
        if (page.size() < 10) break;
    }
    EXPECT_EQ(writer.join(), 0);
    Ids expected;
    for (int id = 1; id <= 32; ++id) {
        if (id != 25) expected.push_back(id);
    }
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(deletedFilesOpen(folder.path()), 0);
}

}  // namespace
}  // namespace tarvelo::store::testing
