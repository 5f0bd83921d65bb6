// Writing: every key kept current, change detection within and across processes, refused writes.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include "store/database.h"
#include "fakes/store_fixture.h"

namespace tarvelo::store::testing {
namespace {

class Writes : public ::testing::Test {
protected:
    void SetUp() override { openOrCreate(tasks); }
    Row stored(std::int64_t id) {
        Row r;
        EXPECT_TRUE(tasks.fetch(kKeyId, task(id, "", ""), r).ok());
        return r;
    }

    TempFolder folder;
    Table tasks{taskDef(), folder.path()};
};

TEST_F(Writes, givenAddedRecordThenRefFilledAndTextsStoredTrimmedAndCutAtWholeCharacters) {
    Row r = task(1, std::string(19, 'a') + "éé", std::string(45, 'x') + "  ", 80000, 1, 0, "line one\nline two  ");
    ASSERT_TRUE(tasks.add(r).ok());
    EXPECT_GT(r.ref.rowId, 0);
    EXPECT_EQ(r.ref.version, 1);
    const Row back = stored(1);
    EXPECT_EQ(text(back, kCategory), std::string(19, 'a') + "é");  // widths count characters, not bytes
    EXPECT_EQ(text(back, kDescription), std::string(40, 'x'));
    EXPECT_EQ(text(back, kMessage), "line one\nline two");
    EXPECT_EQ(back.ref.rowId, r.ref.rowId);
}

TEST_F(Writes, givenPutsAndEraseThenEveryKeyOrderReflectsThem) {
    Row a = task(1, "Alpha", "one", 80001, 1);
    Row b = task(2, "Beta", "two", 80002, 1);
    ASSERT_TRUE(tasks.add(a).ok() && tasks.add(b).ok());
    a.values[kCategory] = std::string("Gamma");
    a.values[kDate] = std::int64_t{80003};
    a.values[kDisabled] = std::int64_t{1};
    ASSERT_TRUE(tasks.put(a).ok());
    EXPECT_EQ(a.ref.version, 2);
    for (int key : {kKeyCategory, kKeyDate, kKeyDateEnabled, kKeyCategoryDate}) EXPECT_EQ(readAll(tasks, key), (Ids{2, 1})) << key;

    b.values[kCategory] = std::string("");  // blank category and description: out of that key only
    b.values[kDescription] = std::string("");
    ASSERT_TRUE(tasks.put(b).ok());
    EXPECT_EQ(readAll(tasks, kKeyCategory), (Ids{1}));
    EXPECT_EQ(readAll(tasks, kKeyDate), (Ids{2, 1}));

    ASSERT_TRUE(tasks.erase(a).ok());
    for (int key : {kKeyId, kKeyDate, kKeyDateEnabled, kKeyCategoryDate}) EXPECT_EQ(readAll(tasks, key), (Ids{2})) << key;
    EXPECT_EQ(readAll(tasks, kKeyCategory), (Ids{}));
}

TEST_F(Writes, givenTwoCopiesWhenBothWrittenThenSecondFailsWith89AndFirstChangeStays) {
    Row r = task(1, "c", "original");
    ASSERT_TRUE(tasks.add(r).ok());
    Row mine = r;
    Row theirs = r;
    ASSERT_TRUE(tasks.put(theirs).ok());  // even an unchanged put moves the version on
    mine.values[kDescription] = std::string("mine");
    EXPECT_EQ(tasks.put(mine).code, kRecordChanged);
    EXPECT_EQ(mine.ref.version, 1);
    EXPECT_EQ(tasks.erase(mine).code, kRecordChanged);
    EXPECT_EQ(text(stored(1), kDescription), "original");
    theirs.values[kDescription] = std::string("theirs again");
    EXPECT_TRUE(tasks.put(theirs).ok());
    EXPECT_TRUE(tasks.erase(theirs).ok());
    EXPECT_EQ(tasks.put(theirs).code, kRecordChanged);  // gone
}

TEST_F(Writes, givenDeletedLastRowWhenNewRowAddedThenStaleCopyCannotOverwriteIt) {
    Row first = task(1, "c", "first");
    Row last = task(2, "c", "last");
    ASSERT_TRUE(tasks.add(first).ok() && tasks.add(last).ok());
    Row stale = last;
    ASSERT_TRUE(tasks.erase(last).ok());
    Row newcomer = task(2, "c", "newcomer");
    ASSERT_TRUE(tasks.add(newcomer).ok());
    EXPECT_NE(newcomer.ref.rowId, stale.ref.rowId);
    EXPECT_EQ(tasks.put(stale).code, kRecordChanged);
    EXPECT_EQ(text(stored(2), kDescription), "newcomer");
}

TEST_F(Writes, givenDuplicateOrMisshapenOrUnstoredRowsThenRefusedAndNothingWritten) {
    Row one = task(1, "c", "one");
    Row two = task(2, "c", "two");
    ASSERT_TRUE(tasks.add(one).ok() && tasks.add(two).ok());
    two.values[kId] = std::int64_t{1};
    EXPECT_EQ(tasks.put(two).code, kDuplicateKey);
    Row dup = task(2, "x", "y");
    EXPECT_EQ(tasks.add(dup).code, kDuplicateKey);
    EXPECT_EQ(dup.ref.rowId, 0);

    Row shortRow{{std::int64_t{3}}, {}};
    EXPECT_EQ(tasks.add(shortRow).code, kInvalidRecordDeclaration);
    Row wrongKind = task(3, "c", "d");
    wrongKind.values[kDate] = std::string("tomorrow");
    EXPECT_EQ(tasks.add(wrongKind).code, kInvalidRecordDeclaration);
    Row never = task(3, "c", "d");
    EXPECT_EQ(tasks.put(never).code, kRecordNotAvailable);
    EXPECT_EQ(tasks.erase(never).code, kRecordNotAvailable);
    EXPECT_EQ(readAll<std::string>(tasks, kKeyId, kDescription), (Texts{"one", "two"}));
}

TEST_F(Writes, givenRecordReadWhenAnotherProcessChangesItThenPutAndEraseFailWith89) {
    addAll(tasks, {task(1, "c", "original")});
    tasks.close();
    ASSERT_EQ(Database::openCount(), 0);
    ChildProcess other([&](ChildProcess& self) {
        Table theirs(taskDef(), folder.path());
        Row r;
        if (!self.await() || !theirs.open().ok() || !theirs.fetch(kKeyId, task(1, "", ""), r).ok()) return 10;
        r.values[kDescription] = std::string("changed by the other");
        if (!theirs.put(r).ok()) return 11;
        self.tell();
        return 0;
    });
    openOrCreate(tasks);
    Row copy = stored(1);
    other.tell();
    ASSERT_TRUE(other.await());
    copy.values[kDescription] = std::string("mine");
    EXPECT_EQ(tasks.put(copy).code, kRecordChanged);
    EXPECT_EQ(tasks.erase(copy).code, kRecordChanged);
    EXPECT_EQ(text(stored(1), kDescription), "changed by the other");
    EXPECT_EQ(other.join(), 0);
}

// Which columns each UPDATE names, as SQLite itself sees it: a trigger per column logs the updates that
// set it (created by another connection, as a tool would).
class ColumnLog {
public:
    explicit ColumnLog(const std::string& file) {
        sqlite3_open(file.c_str(), &m_db);
        std::string sql = "CREATE TABLE put_log (col TEXT);";
        for (const char* column : {"ID", "TASKTYPE", "CATEGORY", "DESCRIPTION", "DATE", "TIME", "DISABLED", "MESSAGE"}) {
            sql += std::string("CREATE TRIGGER log_") + column + " AFTER UPDATE OF \"" + column +
                   "\" ON Schedule BEGIN INSERT INTO put_log VALUES ('" + column + "'); END;";
        }
        EXPECT_EQ(sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(m_db);
    }
    ~ColumnLog() { sqlite3_close(m_db); }
    // The columns set since the last call, by name.
    Texts take() {
        Texts columns;
        sqlite3_exec(m_db, "SELECT col FROM put_log ORDER BY col", [](void* out, int, char** v, char**) {
            static_cast<Texts*>(out)->push_back(v[0]);
            return 0;
        }, &columns, nullptr);
        sqlite3_exec(m_db, "DELETE FROM put_log", nullptr, nullptr, nullptr);
        return columns;
    }

private:
    sqlite3* m_db = nullptr;
};

TEST_F(Writes, givenACopyReadWithItsValuesWhenSomeFieldsChangeThenOnlyThoseAreWrittenAndTheRestStaysAsStored) {
    Row added = task(1, "Work", "report", 80000, 100, 0, "memo");
    ASSERT_TRUE(tasks.add(added).ok());
    ColumnLog log(folder.file("SM.KTB"));

    Row copy = stored(1);
    copy.values[kDate] = std::int64_t{80001};
    copy.values[kDescription] = std::string("report   ");  // the same once trailing blanks are off
    ASSERT_TRUE(tasks.put(copy).ok());
    EXPECT_EQ(log.take(), (Texts{"DATE"}));

    copy.values[kCategory] = std::string("Home");
    copy.values[kMessage] = std::string("memo, longer");
    ASSERT_TRUE(tasks.put(copy).ok());  // the copy knows what its last put stored
    EXPECT_EQ(log.take(), (Texts{"CATEGORY", "MESSAGE"}));

    EXPECT_EQ(tasks.put(added).code, kRecordChanged) << "89 still fires for a copy older than the row";
    EXPECT_EQ(log.take(), (Texts{}));
    const Row back = stored(1);
    EXPECT_EQ(number(back, kDate), 80001);
    EXPECT_EQ(text(back, kCategory), "Home");
    EXPECT_EQ(text(back, kDescription), "report");
    EXPECT_EQ(text(back, kMessage), "memo, longer");
    EXPECT_EQ(text(back, kTaskType), "None");
    EXPECT_EQ(number(back, kTime), 100);
}

TEST_F(Writes, givenACopyWithoutItsValuesAsReadThenEveryFieldIsWritten) {
    Row added = task(1, "Work", "report");
    ASSERT_TRUE(tasks.add(added).ok());
    ColumnLog log(folder.file("SM.KTB"));
    Row bare = task(1, "Work", "report, changed");
    bare.ref.rowId = added.ref.rowId;
    bare.ref.version = added.ref.version;

    ASSERT_TRUE(tasks.put(bare).ok());

    EXPECT_EQ(log.take().size(), 8u);
    EXPECT_EQ(text(stored(1), kDescription), "report, changed");
}

}  // namespace
}  // namespace tarvelo::store::testing
