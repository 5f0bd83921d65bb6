// Writing: every key kept current, change detection within and across processes, refused writes.
#include <gtest/gtest.h>

#include "store/database.h"
#include "store_test_support.h"

namespace tarvelo::store::testing {
namespace {

class Writes : public ::testing::Test {
protected:
    void SetUp() override { openOrCreate(tasks); }

    TempFolder folder;
    Table tasks{taskDef(), folder.path()};
};

TEST_F(Writes, givenAddedRecordThenRefFilledAndReadBackWithTextsTrimmedAndCut) {
    Row r = task(1, "Home   ", std::string(45, 'x'), 80000, 1, 0, "line one\nline two  ");
    ASSERT_TRUE(tasks.add(r).ok());
    EXPECT_GT(r.ref.rowId, 0);
    EXPECT_EQ(r.ref.version, 1);
    Row back;
    ASSERT_TRUE(tasks.fetch(kKeyId, task(1, "", ""), back).ok());
    EXPECT_EQ(text(back, kCategory), "Home");
    EXPECT_EQ(text(back, kDescription), std::string(40, 'x'));
    EXPECT_EQ(text(back, kMessage), "line one\nline two");
    EXPECT_EQ(back.ref.rowId, r.ref.rowId);
    EXPECT_EQ(back.ref.version, 1);
}

TEST_F(Writes, givenTextCutInsideCharacterThenWholeCharacterDropped) {
    Row r = task(1, std::string(19, 'a') + "é", "d");  // 21 bytes in a 20-byte field
    ASSERT_TRUE(tasks.add(r).ok());
    Row back;
    ASSERT_TRUE(tasks.fetch(kKeyId, task(1, "", ""), back).ok());
    EXPECT_EQ(text(back, kCategory), std::string(19, 'a'));
}

TEST_F(Writes, givenPutThatMovesKeysThenEveryKeyOrderReflectsItAndEraseRemovesFromAll) {
    Row a = task(1, "Alpha", "one", 80001, 1);
    Row b = task(2, "Beta", "two", 80002, 1);
    ASSERT_TRUE(tasks.add(a).ok());
    ASSERT_TRUE(tasks.add(b).ok());
    a.values[kCategory] = std::string("Gamma");
    a.values[kDate] = std::int64_t{80003};
    a.values[kDisabled] = std::int64_t{1};
    ASSERT_TRUE(tasks.put(a).ok());
    EXPECT_EQ(a.ref.version, 2);
    EXPECT_EQ(fieldOf(readAll(tasks, kKeyCategory), kId), (std::vector<std::int64_t>{2, 1}));
    EXPECT_EQ(fieldOf(readAll(tasks, kKeyDate), kId), (std::vector<std::int64_t>{2, 1}));
    EXPECT_EQ(fieldOf(readAll(tasks, kKeyDateEnabled), kId), (std::vector<std::int64_t>{2, 1}));

    // Blanking a record's category and description takes it out of that key only.
    b.values[kCategory] = std::string("");
    b.values[kDescription] = std::string("");
    ASSERT_TRUE(tasks.put(b).ok());
    EXPECT_EQ(fieldOf(readAll(tasks, kKeyCategory), kId), (std::vector<std::int64_t>{1}));
    EXPECT_EQ(fieldOf(readAll(tasks, kKeyDate), kId), (std::vector<std::int64_t>{2, 1}));

    ASSERT_TRUE(tasks.erase(a).ok());
    for (int key : {kKeyId, kKeyDate, kKeyDateEnabled}) EXPECT_EQ(fieldOf(readAll(tasks, key), kId), (std::vector<std::int64_t>{2}));
    EXPECT_TRUE(readAll(tasks, kKeyCategory).empty());
    EXPECT_EQ(tasks.records(), 1);
}

TEST_F(Writes, givenTwoCopiesWhenBothPutThenSecondFailsWith89AndFirstChangeStays) {
    Row r = task(1, "c", "original");
    ASSERT_TRUE(tasks.add(r).ok());
    Row mine = r;
    Row theirs = r;
    theirs.values[kDescription] = std::string("theirs");
    ASSERT_TRUE(tasks.put(theirs).ok());
    mine.values[kDescription] = std::string("mine");
    EXPECT_EQ(tasks.put(mine).code, kRecordChanged);
    EXPECT_EQ(mine.ref.version, 1);
    EXPECT_EQ(tasks.erase(mine).code, kRecordChanged);
    Row back;
    ASSERT_TRUE(tasks.fetch(kKeyId, r, back).ok());
    EXPECT_EQ(text(back, kDescription), "theirs");
    // The copy that was written knows its new version and can be written again.
    theirs.values[kDescription] = std::string("theirs again");
    EXPECT_TRUE(tasks.put(theirs).ok());
    EXPECT_TRUE(tasks.erase(theirs).ok());
    EXPECT_EQ(tasks.put(theirs).code, kRecordChanged);  // gone
}

TEST_F(Writes, givenPutWithUnchangedValuesThenVersionStillMovesOn) {
    Row r = task(1, "c", "d");
    ASSERT_TRUE(tasks.add(r).ok());
    Row stale = r;
    ASSERT_TRUE(tasks.put(r).ok());
    EXPECT_EQ(tasks.put(stale).code, kRecordChanged);
}

TEST_F(Writes, givenDeletedHighestRowWhenNewRowAddedThenStaleCopyCannotOverwriteIt) {
    Row first = task(1, "c", "first");
    Row last = task(2, "c", "last");
    ASSERT_TRUE(tasks.add(first).ok());
    ASSERT_TRUE(tasks.add(last).ok());
    const Row stale = last;
    ASSERT_TRUE(tasks.erase(last).ok());
    Row newcomer = task(2, "c", "newcomer");
    ASSERT_TRUE(tasks.add(newcomer).ok());
    EXPECT_NE(newcomer.ref.rowId, stale.ref.rowId);
    Row overwrite = stale;
    EXPECT_EQ(tasks.put(overwrite).code, kRecordChanged);
    Row back;
    ASSERT_TRUE(tasks.fetch(kKeyId, task(2, "", ""), back).ok());
    EXPECT_EQ(text(back, kDescription), "newcomer");
}

TEST_F(Writes, givenPutCreatingDuplicateOfUniqueKeyThenCode40AndNothingWritten) {
    Row one = task(1, "c", "one");
    Row two = task(2, "c", "two");
    ASSERT_TRUE(tasks.add(one).ok());
    ASSERT_TRUE(tasks.add(two).ok());
    two.values[kId] = std::int64_t{1};
    two.values[kDescription] = std::string("clash");
    EXPECT_EQ(tasks.put(two).code, kDuplicateKey);
    EXPECT_EQ(fieldOf(readAll(tasks, kKeyId), kId), (std::vector<std::int64_t>{1, 2}));
    EXPECT_EQ(textOf(readAll(tasks, kKeyId), kDescription), (std::vector<std::string>{"one", "two"}));
    Row dup = task(2, "x", "y");
    EXPECT_EQ(tasks.add(dup).code, kDuplicateKey);
    EXPECT_EQ(dup.ref.rowId, 0);
}

TEST_F(Writes, givenMisshapenOrUnstoredRowsThenRefusedWithoutWriting) {
    Row shortRow;
    shortRow.values = {std::int64_t{1}};
    EXPECT_EQ(tasks.add(shortRow).code, kInvalidRecordDeclaration);
    Row wrongKind = task(1, "c", "d");
    wrongKind.values[kDate] = std::string("tomorrow");
    EXPECT_EQ(tasks.add(wrongKind).code, kInvalidRecordDeclaration);
    Row never = task(1, "c", "d");
    EXPECT_EQ(tasks.put(never).code, kRecordNotAvailable);
    EXPECT_EQ(tasks.erase(never).code, kRecordNotAvailable);
    EXPECT_EQ(tasks.records(), 0);
}

TEST_F(Writes, givenHighestIdDeletedWhenNumberingFromTheEndThenNumberReused) {
    for (int id = 1; id <= 3; ++id) {
        Row r = task(id, "c", "d");
        ASSERT_TRUE(tasks.add(r).ok());
    }
    Row highest;
    ASSERT_TRUE(tasks.setToEnd(kKeyId).ok());
    ASSERT_TRUE(tasks.previous(highest).ok());
    ASSERT_TRUE(tasks.erase(highest).ok());
    ASSERT_TRUE(tasks.setToEnd(kKeyId).ok());
    ASSERT_TRUE(tasks.previous(highest).ok());
    EXPECT_EQ(number(highest, kId) + 1, 3);
}

TEST_F(Writes, givenRecordReadWhenAnotherProcessChangesItThenPutFailsWith89) {
    Row r = task(1, "c", "original");
    ASSERT_TRUE(tasks.add(r).ok());
    tasks.close();
    ASSERT_EQ(Database::openCount(), 0);

    ChildProcess other([&](ChildProcess& self) {
        if (!self.await()) return 10;
        Table mine(taskDef(), folder.path());
        if (!mine.open().ok()) return 11;
        Row theirs;
        if (!mine.fetch(kKeyId, task(1, "", ""), theirs).ok()) return 12;
        theirs.values[kDescription] = std::string("changed by the other");
        if (!mine.put(theirs).ok()) return 13;
        self.tell();
        return 0;
    });
    openOrCreate(tasks);
    Row copy;
    ASSERT_TRUE(tasks.fetch(kKeyId, task(1, "", ""), copy).ok());
    other.tell();
    ASSERT_TRUE(other.await());
    copy.values[kDescription] = std::string("mine");
    EXPECT_EQ(tasks.put(copy).code, kRecordChanged);
    EXPECT_EQ(tasks.erase(copy).code, kRecordChanged);
    Row back;
    ASSERT_TRUE(tasks.fetch(kKeyId, copy, back).ok());
    EXPECT_EQ(text(back, kDescription), "changed by the other");
    EXPECT_EQ(other.join(), 0);
}

TEST_F(Writes, givenTablesOfOneFileThenTheyShareOneConnection) {
    Table categories(categoryDef(), folder.path());
    openOrCreate(categories);
    EXPECT_EQ(&categories.database(), &tasks.database());
    EXPECT_EQ(Database::openCount(), 1);
    EXPECT_EQ(tasks.name(), "SM\\!Schedule");
    EXPECT_EQ(categories.name(), "SM\\!Categories");
}

}  // namespace
}  // namespace tarvelo::store::testing
