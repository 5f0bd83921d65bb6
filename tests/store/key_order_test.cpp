// Reading in key order: components, ties, case folding, blank exclusion, the ends, positioning.
#include <gtest/gtest.h>

#include "store/fold_collation.h"
#include "store_test_support.h"

namespace tarvelo::store::testing {
namespace {

class KeyOrder : public ::testing::Test {
protected:
    void SetUp() override { openOrCreate(tasks); }
    void addAll(std::vector<Row> rows) {
        for (auto& r : rows) ASSERT_TRUE(tasks.add(r).ok()) << lastError().message;
    }

    TempFolder folder;
    Table tasks{taskDef(), folder.path()};
};

TEST_F(KeyOrder, givenTasksWhenReadByDateThenDateThenTimeOrderWithTiesInInsertionOrder) {
    addAll({task(1, "c", "a", 80000, 500), task(2, "c", "b", 79000, 900), task(3, "c", "c", 80000, 100),
            task(4, "c", "d", 80000, 500), task(5, "c", "e", 79000, 900)});
    EXPECT_EQ(fieldOf(readAll(tasks, kKeyDate), kId), (std::vector<std::int64_t>{2, 5, 3, 1, 4}));
}

TEST_F(KeyOrder, givenDisabledAndEnabledTasksWhenReadByEnabledKeyThenEnabledComeFirstInDateOrder) {
    addAll({task(1, "c", "a", 80003, 1, 1), task(2, "c", "b", 80002, 1, 0), task(3, "c", "c", 80001, 1, 1),
            task(4, "c", "d", 80004, 1, 0)});
    EXPECT_EQ(fieldOf(readAll(tasks, kKeyDateEnabled), kId), (std::vector<std::int64_t>{2, 4, 3, 1}));
}

TEST_F(KeyOrder, givenTextsInMixedCaseAndScriptsWhenReadByCategoryThenFoldedOrder) {
    addAll({task(1, "work", "b"), task(2, "Émile", "a"), task(3, "WORK", "a"), task(4, "apple", "z"),
            task(5, "émile", "b"), task(6, "Zebra", "a"), task(7, "ΣΟΦΙΑ", "a"), task(8, "σοφια", "b")});
    // "Émile" sorts after the ASCII letters (by code point), case never separates equal words, and
    // the second component decides between them.
    EXPECT_EQ(fieldOf(readAll(tasks, kKeyCategory), kId), (std::vector<std::int64_t>{4, 3, 1, 6, 2, 5, 7, 8}));
}

TEST_F(KeyOrder, givenBlankCategoryAndDescriptionWhenReadByCategoryThenAbsentButPresentInOtherKeys) {
    addAll({task(1, "", "", 80000, 1), task(2, "x", "", 80000, 2), task(3, "", "y", 80000, 3)});
    EXPECT_EQ(fieldOf(readAll(tasks, kKeyCategory), kId), (std::vector<std::int64_t>{3, 2}));
    EXPECT_EQ(fieldOf(readAll(tasks, kKeyId), kId), (std::vector<std::int64_t>{1, 2, 3}));
    EXPECT_EQ(fieldOf(readAll(tasks, kKeyDate), kId), (std::vector<std::int64_t>{1, 2, 3}));
}

TEST_F(KeyOrder, givenTaskWithNeitherDateNorTimeWhenReadByDateThenAbsent) {
    addAll({task(1, "c", "a", 0, 0), task(2, "c", "b", 0, 7), task(3, "c", "c", 5, 0)});
    EXPECT_EQ(fieldOf(readAll(tasks, kKeyDate), kId), (std::vector<std::int64_t>{2, 3}));
}

TEST_F(KeyOrder, givenBlankTodoRecordsWhenReadByKeysThatKeepBlanksThenPresentFirst) {
    Table todos(todoDef(), folder.path());
    openOrCreate(todos);
    std::vector<Row> rows{todo(1, 5, "later"), todo(0, 0, ""), todo(0, 5, "Buy milk"), todo(0, 0, "")};
    for (auto& r : rows) ASSERT_TRUE(todos.add(r).ok());
    EXPECT_EQ(textOf(readAll(todos, kKeyDone), 2), (std::vector<std::string>{"", "", "Buy milk", "later"}));
    EXPECT_EQ(textOf(readAll(todos, kKeyText), 2), (std::vector<std::string>{"", "", "Buy milk", "later"}));
}

TEST_F(KeyOrder, givenLastRecordReadWhenReadingOnThenCode33AndRecordUnchangedAtBothEnds) {
    addAll({task(1, "c", "a", 1, 1), task(2, "c", "b", 2, 2)});
    Row r;
    ASSERT_TRUE(tasks.setToStart(kKeyDate).ok());
    ASSERT_TRUE(tasks.next(r).ok());
    ASSERT_TRUE(tasks.next(r).ok());
    const Row last = r;
    EXPECT_EQ(tasks.next(r).code, kRecordNotAvailable);
    EXPECT_EQ(lastError().code, kRecordNotAvailable);
    EXPECT_EQ(lastError().message, "Record Not Available");
    EXPECT_EQ(r.values, last.values);
    EXPECT_EQ(r.ref.rowId, last.ref.rowId);

    ASSERT_TRUE(tasks.setToStart(kKeyDate).ok());
    EXPECT_EQ(tasks.previous(r).code, kRecordNotAvailable);
    EXPECT_EQ(r.values, last.values);
    ASSERT_TRUE(tasks.setToEnd(kKeyDate).ok());
    EXPECT_EQ(tasks.next(r).code, kRecordNotAvailable);
    EXPECT_EQ(r.values, last.values);
}

TEST_F(KeyOrder, givenEmptyTableWhenReadingThenCode33Immediately) {
    Row r = task(9, "keep", "me");
    ASSERT_TRUE(tasks.setToStart(kKeyId).ok());
    EXPECT_EQ(tasks.next(r).code, kRecordNotAvailable);
    ASSERT_TRUE(tasks.setToEnd(kKeyId).ok());
    EXPECT_EQ(tasks.previous(r).code, kRecordNotAvailable);
    EXPECT_EQ(number(r, kId), 9);
}

TEST_F(KeyOrder, givenEndWhenReadingBackwardsThenReverseOrderIncludingTies) {
    addAll({task(1, "c", "a", 5, 5), task(2, "c", "b", 3, 3), task(3, "c", "c", 5, 5), task(4, "c", "d", 9, 9)});
    ASSERT_TRUE(tasks.setToEnd(kKeyDate).ok());
    std::vector<std::int64_t> ids;
    Row r;
    while (tasks.previous(r).ok()) ids.push_back(number(r, kId));
    EXPECT_EQ(ids, (std::vector<std::int64_t>{4, 3, 1, 2}));
}

TEST_F(KeyOrder, givenReadingForwardWhenTurningBackThenThePrecedingRecordComes) {
    addAll({task(1, "c", "a", 1, 1), task(2, "c", "b", 2, 2), task(3, "c", "c", 3, 3)});
    Row r;
    ASSERT_TRUE(tasks.setToStart(kKeyDate).ok());
    ASSERT_TRUE(tasks.next(r).ok());
    ASSERT_TRUE(tasks.next(r).ok());
    ASSERT_TRUE(tasks.previous(r).ok());
    EXPECT_EQ(number(r, kId), 1);
    // Past the end, reading back starts again at the last record.
    while (tasks.next(r).ok()) {}
    ASSERT_TRUE(tasks.previous(r).ok());
    EXPECT_EQ(number(r, kId), 3);
}

struct SetAtCase {
    const char* name;
    std::string category;
    std::string description;
    std::int64_t firstNext;      // ID read by next() after setAt, 0 for code 33
    std::int64_t firstPrevious;  // ID read by previous() after setAt, 0 for code 33
};

class SetAt : public KeyOrder, public ::testing::WithParamInterface<SetAtCase> {};

TEST_P(SetAt, givenKeyValueWhenPositionedThenNextReadsFirstAtOrAfterAndPreviousTheOneBefore) {
    addAll({task(1, "Home", "garden"), task(2, "home", "garden"), task(3, "Home", "kitchen"), task(4, "Work", "mail")});
    const SetAtCase& c = GetParam();
    Row r;
    ASSERT_TRUE(tasks.setAt(kKeyCategory, task(0, c.category, c.description)).ok());
    Status s = tasks.next(r);
    EXPECT_EQ(s.ok() ? number(r, kId) : 0, c.firstNext);
    ASSERT_TRUE(tasks.setAt(kKeyCategory, task(0, c.category, c.description)).ok());
    s = tasks.previous(r);
    EXPECT_EQ(s.ok() ? number(r, kId) : 0, c.firstPrevious);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SetAt,
    ::testing::Values(SetAtCase{"lowestOfCategory", "HOME", "", 1, 0},
                      SetAtCase{"exactValueWithTiesStartsAtFirstTie", "home", "Garden", 1, 0},
                      SetAtCase{"betweenValues", "home", "h", 3, 2},
                      SetAtCase{"trailingBlanksIgnored", "Home   ", "kitchen  ", 3, 2},
                      SetAtCase{"beyondLast", "zzz", "", 0, 4},
                      SetAtCase{"beforeFirst", "a", "", 1, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(KeyOrder, givenCategoryInOtherCaseWhenAddedThenRefusedAsDuplicateKey) {
    Table categories(categoryDef(), folder.path());
    openOrCreate(categories);
    Row work = category("Work");
    ASSERT_TRUE(categories.add(work).ok());
    for (const char* other : {"work", "WORK", "Work  "}) {
        Row r = category(other);
        EXPECT_EQ(categories.add(r).code, kDuplicateKey) << other;
        EXPECT_EQ(lastError().message, "Creates Duplicate Key");
    }
    Row accented = category("Émile");
    ASSERT_TRUE(categories.add(accented).ok());
    Row folded = category("émile");
    EXPECT_EQ(categories.add(folded).code, kDuplicateKey);
    Row sigma = category("ΣΟΦΙΑ");
    ASSERT_TRUE(categories.add(sigma).ok());
    Row sigmaLower = category("σοφια");
    EXPECT_EQ(categories.add(sigmaLower).code, kDuplicateKey);
    EXPECT_EQ(categories.records(), 3);
}

TEST_F(KeyOrder, givenBlankValuesWhenAddedToUniqueBlankExcludedKeyThenNeverDuplicates) {
    Row a = task(0, "c", "first");
    Row b = task(0, "c", "second");
    ASSERT_TRUE(tasks.add(a).ok());
    EXPECT_TRUE(tasks.add(b).ok());
    EXPECT_FALSE(tasks.duplicate(kKeyId, task(0, "c", "third")));
    EXPECT_TRUE(readAll(tasks, kKeyId).empty());
}

TEST_F(KeyOrder, givenUniqueKeyWhenAskedForDuplicateThenTellsWithoutCountingTheRecordItself) {
    Row one = task(1, "c", "a");
    ASSERT_TRUE(tasks.add(one).ok());
    EXPECT_TRUE(tasks.duplicate(kKeyId, task(1, "x", "y")));
    EXPECT_FALSE(tasks.duplicate(kKeyId, one));  // storing it in its own place duplicates nothing
    EXPECT_FALSE(tasks.duplicate(kKeyId, task(2, "x", "y")));
    EXPECT_TRUE(lastError().ok());
}

TEST_F(KeyOrder, givenUniqueKeyWhenFetchedByValueThenThatRecordOrCode35) {
    addAll({task(7, "c", "seven"), task(8, "c", "eight")});
    Row r;
    ASSERT_TRUE(tasks.fetch(kKeyId, task(8, "", ""), r).ok());
    EXPECT_EQ(text(r, kDescription), "eight");
    EXPECT_EQ(tasks.fetch(kKeyId, task(9, "", ""), r).code, kRecordNotFound);
    EXPECT_EQ(text(r, kDescription), "eight");
}

struct FoldCase {
    const char* a;
    const char* b;
    int sign;
};

TEST(FoldCollation, comparesCaseFoldedThenByCodePointIgnoringTrailingBlanks) {
    const FoldCase cases[] = {
        {"abc", "ABC", 0},   {"Work", "work  ", 0}, {"a", "B", -1},        {"Émile", "émile", 0},
        {"É", "z", 1},       {"ΣΟΦΙΑ", "σοφια", 0}, {"Straße", "STRASSE", 1}, {"", "   ", 0},
        {"ab", "abc", -1},   {"abc", "ab", 1},     {"a\xff", "a\xfe", 1},    {"a\xff", "aé", 1},
    };
    for (const auto& c : cases) {
        const int got = detail::foldCompare(c.a, c.b);
        EXPECT_EQ((got > 0) - (got < 0), c.sign) << c.a << " vs " << c.b;
        const int back = detail::foldCompare(c.b, c.a);
        EXPECT_EQ((back > 0) - (back < 0), -c.sign) << c.b << " vs " << c.a;
    }
}

}  // namespace
}  // namespace tarvelo::store::testing
