// Views: independent filtered cursors, position strings, reset and re-reading with change watching.
#include <gtest/gtest.h>

#include "fakes/store_fixture.h"

namespace tarvelo::store::testing {
namespace {

class Views : public ::testing::Test {
protected:
    void SetUp() override {
        openOrCreate(tasks);
        // Ten tasks on consecutive days; odd ids are disabled.
        for (int id = 1; id <= 10; ++id) addAll(tasks, {task(id, "Cat", "task " + std::to_string(id), 80000 + id, 100, id % 2)});
    }
    static Ids forwards(View& view, int count = 100) {
        Ids ids;
        Row r;
        while (count-- > 0 && view.next(r).ok()) ids.push_back(number(r, kId));
        return ids;
    }

    TempFolder folder;
    Table tasks{taskDef(), folder.path()};
};

TEST_F(Views, givenFilterWhenReadingBothWaysOrFromAValueThenOnlyAcceptedRecordsInKeyOrder) {
    View enabled(tasks, kKeyDate, [](const Row& r) { return number(r, kDisabled) == 0; });
    EXPECT_EQ(forwards(enabled), (Ids{2, 4, 6, 8, 10}));
    ASSERT_TRUE(enabled.setToEnd().ok());
    Ids back;
    Row r;
    while (enabled.previous(r).ok()) back.push_back(number(r, kId));
    EXPECT_EQ(back, (Ids{10, 8, 6, 4, 2}));
    ASSERT_TRUE(enabled.setAt(task(0, "", "", 80005, 0)).ok());
    EXPECT_EQ(forwards(enabled, 2), (Ids{6, 8}));
}

TEST_F(Views, givenFilterRejectingAlmostEverythingThenEachRecordJudgedOnceAcrossBatches) {
    Transaction tx;
    ASSERT_TRUE(tx.begin({&tasks}, 2).ok());
    for (int id = 11; id <= 700; ++id) addAll(tasks, {task(id, "Bulk", "bulk", 90000 + id, 100, 1)});
    ASSERT_TRUE(tx.commit().ok());
    int calls = 0;
    View rare(tasks, kKeyDate, [&calls](const Row& r) { return ++calls, number(r, kId) % 300 == 0; });
    EXPECT_EQ(forwards(rare), (Ids{300, 600}));
    EXPECT_EQ(calls, 700);
    Row r;
    ASSERT_TRUE(rare.previous(r).ok());  // from the end reached
    EXPECT_EQ(number(r, kId), 600);
}

TEST_F(Views, givenTwoViewsAndTableCursorWhenInterleavedThenEachKeepsItsOwnPlace) {
    View a(tasks, kKeyDate);
    View b(tasks, kKeyDate);
    Row r;
    ASSERT_TRUE(tasks.setToEnd(kKeyDate).ok());
    ASSERT_TRUE(a.next(r).ok() && a.next(r).ok() && b.next(r).ok());
    EXPECT_EQ(number(r, kId), 1);
    ASSERT_TRUE(tasks.previous(r).ok());
    EXPECT_EQ(number(r, kId), 10);
    ASSERT_TRUE(a.next(r).ok());
    EXPECT_EQ(number(r, kId), 3);
}

TEST_F(Views, givenPositionWhenResetThenNextReturnsThatRecordAndPreviousTheOneBeforeAmongTies) {
    addAll(tasks, {task(21, "c", "tie", 70000, 5), task(22, "c", "tie", 70000, 5), task(23, "c", "tie", 70000, 5)});
    View view(tasks, kKeyDate);
    Row r;
    ASSERT_TRUE(view.next(r).ok() && view.next(r).ok());
    const std::string second = view.position();
    EXPECT_LE(second.size(), 512u);
    View other(tasks, kKeyDate);
    ASSERT_TRUE(other.reset(second).ok());
    EXPECT_EQ(forwards(other, 3), (Ids{22, 23, 1}));
    ASSERT_TRUE(other.reset(second).ok());
    ASSERT_TRUE(other.previous(r).ok());
    EXPECT_EQ(number(r, kId), 21);
    ASSERT_TRUE(other.reset(second).ok());
    ASSERT_TRUE(other.next(r).ok());
    EXPECT_EQ(other.position(), second);
}

TEST_F(Views, givenRecordDeletedOrMovedSincePositionTakenWhenResetThenResumesWhereItWasOrFollowsIt) {
    View view(tasks, kKeyDate);
    Row r;
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(view.next(r).ok());
    const std::string fifth = view.position();
    ASSERT_TRUE(tasks.erase(r).ok());
    ASSERT_TRUE(view.reset(fifth).ok());
    EXPECT_EQ(forwards(view, 1), (Ids{6}));
    EXPECT_EQ(view.reread(fifth, r).code, kRecordNotFound);

    ASSERT_TRUE(view.next(r).ok());  // 7
    const std::string seventh = view.position();
    r.values[kDate] = std::int64_t{80002};
    ASSERT_TRUE(tasks.put(r).ok());  // now right after 2
    ASSERT_TRUE(view.reset(seventh).ok());
    EXPECT_EQ(forwards(view, 2), (Ids{7, 3}));
}

TEST_F(Views, givenPositionNoDriverMadeWhenResetRereadOrRegetThenCode35) {
    View view(tasks, kKeyDate);
    Row r;
    for (const char* bad : {"", "nonsense", "0.x", "0.1.q12", "0.1.sabc", "-1.1", "99.1"}) {
        EXPECT_EQ(view.reset(bad).code, kRecordNotFound) << bad;
        EXPECT_EQ(view.reread(bad, r).code, kRecordNotFound) << bad;
        EXPECT_EQ(tasks.reget(bad, r).code, kRecordNotFound) << bad;
    }
}

TEST_F(Views, givenPositionInEveryKeyWhenRegetThenSameRecordAndTableReadsOnFromThere) {
    addAll(tasks, {task(50, std::string(20, 'W'), "ÉÉÉÉÉÉÉÉÉÉÉÉÉÉÉÉÉÉÉÉ", 80050)});  // the widest key values
    for (int key : {kKeyId, kKeyDate, kKeyCategory, kKeyDateEnabled, kKeyCategoryDate}) {
        const Ids all = readAll(tasks, key);
        ASSERT_EQ(all.size(), 11u);
        Row middle;
        ASSERT_TRUE(tasks.fetch(kKeyId, task(all[4], "", ""), middle).ok());
        const std::string pos = tasks.position(key, middle);
        EXPECT_LE(pos.size(), 512u);
        Row r;
        ASSERT_TRUE(tasks.reget(pos, r).ok()) << key;
        EXPECT_EQ(r.values, middle.values);
        ASSERT_TRUE(tasks.next(r).ok());
        EXPECT_EQ(number(r, kId), all[5]) << key;
    }
}

TEST_F(Views, givenRecordRereadWhenChangedMeanwhileThenPutOfThatCopyFailsWith89) {
    View view(tasks, kKeyId);
    Row r;
    ASSERT_TRUE(view.next(r).ok());
    const std::string pos = view.position();
    Row mine;
    Row other;
    ASSERT_TRUE(view.reread(pos, mine).ok() && view.reread(pos, other).ok());
    other.values[kDescription] = std::string("changed elsewhere");
    ASSERT_TRUE(tasks.put(other).ok());
    mine.values[kDescription] = std::string("my change");
    EXPECT_EQ(tasks.put(mine).message, "Record Changed By Another Station");
    ASSERT_TRUE(view.reread(pos, mine).ok());
    EXPECT_EQ(text(mine, kDescription), "changed elsewhere");
}

}  // namespace
}  // namespace tarvelo::store::testing
