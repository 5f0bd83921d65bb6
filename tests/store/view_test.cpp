// Views: independent filtered cursors, position strings, reset and re-reading with change watching.
#include <gtest/gtest.h>

#include "store_test_support.h"

namespace tarvelo::store::testing {
namespace {

class Views : public ::testing::Test {
protected:
    void SetUp() override {
        openOrCreate(tasks);
        // Ten tasks on consecutive days; odd ids are disabled.
        for (int id = 1; id <= 10; ++id) {
            Row r = task(id, id % 2 ? "Odd" : "Even", "task " + std::to_string(id), 80000 + id, 100, id % 2);
            ASSERT_TRUE(tasks.add(r).ok());
        }
    }
    static std::vector<std::int64_t> forwards(View& view, int count = 100) {
        std::vector<std::int64_t> ids;
        Row r;
        while (count-- > 0 && view.next(r).ok()) ids.push_back(number(r, kId));
        return ids;
    }

    TempFolder folder;
    Table tasks{taskDef(), folder.path()};
};

TEST_F(Views, givenFilterWhenReadingBothWaysThenOnlyAcceptedRecordsInKeyOrder) {
    View enabled(tasks, kKeyDate, [](const Row& r) { return number(r, kDisabled) == 0; });
    EXPECT_EQ(forwards(enabled), (std::vector<std::int64_t>{2, 4, 6, 8, 10}));
    ASSERT_TRUE(enabled.setToEnd().ok());
    std::vector<std::int64_t> back;
    Row r;
    while (enabled.previous(r).ok()) back.push_back(number(r, kId));
    EXPECT_EQ(back, (std::vector<std::int64_t>{10, 8, 6, 4, 2}));
}

TEST_F(Views, givenFilterRejectingAlmostEverythingWhenReadingThenFindsTheFewAcrossBatches) {
    Transaction tx;
    ASSERT_TRUE(tx.begin({&tasks}, 2).ok());
    for (int id = 11; id <= 700; ++id) {
        Row extra = task(id, "Bulk", "bulk", 90000 + id, 100, 1);
        ASSERT_TRUE(tasks.add(extra).ok());
    }
    ASSERT_TRUE(tx.commit().ok());
    int calls = 0;
    View rare(tasks, kKeyDate, [&calls](const Row& r) { return ++calls, number(r, kId) % 300 == 0; });
    Row r;
    ASSERT_TRUE(rare.next(r).ok());
    EXPECT_EQ(number(r, kId), 300);
    ASSERT_TRUE(rare.next(r).ok());
    EXPECT_EQ(number(r, kId), 600);
    EXPECT_EQ(rare.next(r).code, kRecordNotAvailable);
    EXPECT_EQ(number(r, kId), 600);
    EXPECT_EQ(calls, 700);  // each record judged once
    ASSERT_TRUE(rare.previous(r).ok());
    EXPECT_EQ(number(r, kId), 600);
}

TEST_F(Views, givenTwoViewsAndTableCursorWhenInterleavedThenEachKeepsItsOwnPlace) {
    View a(tasks, kKeyDate);
    View b(tasks, kKeyDate);
    Row r;
    ASSERT_TRUE(tasks.setToEnd(kKeyDate).ok());
    ASSERT_TRUE(a.next(r).ok());
    ASSERT_TRUE(a.next(r).ok());
    ASSERT_TRUE(b.next(r).ok());
    EXPECT_EQ(number(r, kId), 1);
    ASSERT_TRUE(tasks.previous(r).ok());
    EXPECT_EQ(number(r, kId), 10);
    ASSERT_TRUE(a.next(r).ok());
    EXPECT_EQ(number(r, kId), 3);
}

TEST_F(Views, givenPositionOfRecordWhenResetThenNextReturnsThatRecordAndPreviousTheOneBefore) {
    View view(tasks, kKeyDate);
    Row r;
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(view.next(r).ok());
    const std::string fourth = view.position();
    ASSERT_FALSE(fourth.empty());
    EXPECT_LE(fourth.size(), 512u);
    EXPECT_EQ(forwards(view, 2), (std::vector<std::int64_t>{5, 6}));

    ASSERT_TRUE(view.reset(fourth).ok());
    ASSERT_TRUE(view.next(r).ok());
    EXPECT_EQ(number(r, kId), 4);
    EXPECT_EQ(view.position(), fourth);
    ASSERT_TRUE(view.reset(fourth).ok());
    ASSERT_TRUE(view.previous(r).ok());
    EXPECT_EQ(number(r, kId), 3);
}

TEST_F(Views, givenEqualKeyValuesWhenResetToTheSecondThenReadingResumesThere) {
    Row a = task(21, "c", "tie", 70000, 5);
    Row b = task(22, "c", "tie", 70000, 5);
    Row c = task(23, "c", "tie", 70000, 5);
    ASSERT_TRUE(tasks.add(a).ok() && tasks.add(b).ok() && tasks.add(c).ok());
    View view(tasks, kKeyDate);
    Row r;
    ASSERT_TRUE(view.next(r).ok());
    ASSERT_TRUE(view.next(r).ok());
    ASSERT_EQ(number(r, kId), 22);
    const std::string second = view.position();
    View other(tasks, kKeyDate);
    ASSERT_TRUE(other.reset(second).ok());
    EXPECT_EQ(forwards(other, 3), (std::vector<std::int64_t>{22, 23, 1}));
    ASSERT_TRUE(other.reset(second).ok());
    ASSERT_TRUE(other.previous(r).ok());
    EXPECT_EQ(number(r, kId), 21);
}

TEST_F(Views, givenPositionOfDeletedRecordWhenResetThenReadingResumesWhereItWas) {
    View view(tasks, kKeyDate);
    Row r;
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(view.next(r).ok());
    const std::string fifth = view.position();
    ASSERT_TRUE(tasks.erase(r).ok());
    ASSERT_TRUE(view.reset(fifth).ok());
    EXPECT_EQ(forwards(view, 1), (std::vector<std::int64_t>{6}));
    ASSERT_TRUE(view.reset(fifth).ok());
    ASSERT_TRUE(view.previous(r).ok());
    EXPECT_EQ(number(r, kId), 4);
    EXPECT_EQ(view.reread(fifth, r).code, kRecordNotFound);
}

TEST_F(Views, givenPositionOfMovedRecordWhenResetThenReadingFollowsItToItsNewPlace) {
    View view(tasks, kKeyDate);
    Row r;
    for (int i = 0; i < 2; ++i) ASSERT_TRUE(view.next(r).ok());
    const std::string second = view.position();
    r.values[kDate] = std::int64_t{80008};
    r.values[kTime] = std::int64_t{200};  // now between 8 and 9
    ASSERT_TRUE(tasks.put(r).ok());
    ASSERT_TRUE(view.reset(second).ok());
    EXPECT_EQ(forwards(view, 2), (std::vector<std::int64_t>{2, 9}));
}

TEST_F(Views, givenGarbledPositionWhenResetOrRereadThenCode35) {
    View view(tasks, kKeyDate);
    Row r;
    for (const char* bad : {"", "nonsense", "0.x", "0.1.q12", "0.1.sabc", "-1.1", "99.1"}) {
        Status s = view.reset(bad);
        EXPECT_FALSE(s.ok()) << bad;
        EXPECT_FALSE(view.reread(bad, r).ok()) << bad;
    }
    EXPECT_EQ(view.reset("nonsense").code, kRecordNotFound);
}

TEST_F(Views, givenPositionFromEveryKeyWhenRegetThenSameRecordAndTableReadsOnFromThere) {
    for (int key : {kKeyId, kKeyDate, kKeyCategory, kKeyDateEnabled}) {
        std::vector<Row> all = readAll(tasks, key);
        ASSERT_EQ(all.size(), 10u);
        const Row& middle = all[4];
        const std::string pos = tasks.position(key, middle);
        EXPECT_LE(pos.size(), 512u);
        Row r;
        ASSERT_TRUE(tasks.reget(pos, r).ok()) << key;
        EXPECT_EQ(r.values, middle.values);
        ASSERT_TRUE(tasks.next(r).ok());
        EXPECT_EQ(r.values, all[5].values) << key;
    }
}

TEST_F(Views, givenLongTextKeyWhenPositionTakenThenRoundTripsWithinLimit) {
    const std::string longCategory(20, 'W');
    const std::string longDescription = "ÉÉÉÉÉÉÉÉÉÉÉÉÉÉÉÉÉÉÉÉ";  // 40 bytes
    Row r = task(50, longCategory, longDescription);
    ASSERT_TRUE(tasks.add(r).ok());
    const std::string pos = tasks.position(kKeyCategory, r);
    EXPECT_LE(pos.size(), 512u);
    View view(tasks, kKeyCategory);
    ASSERT_TRUE(view.reset(pos).ok());
    Row got;
    ASSERT_TRUE(view.next(got).ok());
    EXPECT_EQ(number(got, kId), 50);
}

TEST_F(Views, givenRecordRereadWhenChangedMeanwhileThenPutOfRereadCopyFailsWith89) {
    View view(tasks, kKeyId);
    Row r;
    ASSERT_TRUE(view.next(r).ok());
    const std::string pos = view.position();
    Row copy;
    ASSERT_TRUE(view.reread(pos, copy).ok());
    Row other;
    ASSERT_TRUE(view.reread(pos, other).ok());
    other.values[kDescription] = std::string("changed elsewhere");
    ASSERT_TRUE(tasks.put(other).ok());
    copy.values[kDescription] = std::string("my change");
    EXPECT_EQ(tasks.put(copy).code, kRecordChanged);
    EXPECT_EQ(lastError().message, "Record Changed By Another Station");
    ASSERT_TRUE(view.reread(pos, copy).ok());
    EXPECT_EQ(text(copy, kDescription), "changed elsewhere");
    copy.values[kDescription] = std::string("my change");
    EXPECT_TRUE(tasks.put(copy).ok());
}

TEST_F(Views, givenViewSetAtKeyValueWhenFilteredThenFirstAcceptedAtOrAfterIt) {
    View enabled(tasks, kKeyDate, [](const Row& r) { return number(r, kDisabled) == 0; });
    ASSERT_TRUE(enabled.setAt(task(0, "", "", 80005, 0)).ok());
    EXPECT_EQ(forwards(enabled, 2), (std::vector<std::int64_t>{6, 8}));
    ASSERT_TRUE(enabled.setAt(task(0, "", "", 80005, 0)).ok());
    Row r;
    ASSERT_TRUE(enabled.previous(r).ok());
    EXPECT_EQ(number(r, kId), 4);
}

}  // namespace
}  // namespace tarvelo::store::testing
