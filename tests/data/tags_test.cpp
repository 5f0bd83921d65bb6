#include "data/tags.h"

#include <gtest/gtest.h>

#include "fakes/tag_fixture.h"

namespace tarvelo::test {
namespace {


class TagsTest : public TagTest {};

TEST_F(TagsTest, setTagTwiceLeavesOneTagCountedOnce) {
    // GIVEN a task tagged once
    const auto p = task(5);
    tags->tag(kScheduleTable, p, "5");
    ASSERT_EQ(tags->countTags(kScheduleTable), 1);
    // WHEN it is tagged again
    tags->tag(kScheduleTable, p, "5");
    // THEN one tag record holds it and the count stays
    EXPECT_EQ(tagRecords(), 1);
    EXPECT_EQ(tags->countTags(kScheduleTable), 1);
    EXPECT_TRUE(tags->isTagged(kScheduleTable, p));
}

TEST_F(TagsTest, clrTagOfAnUntaggedTaskChangesNothing) {
    const auto tagged = task(1);
    const auto untagged = task(2);
    tags->tag(kScheduleTable, tagged, "1");
    tags->untag(kScheduleTable, untagged);
    EXPECT_EQ(tags->countTags(kScheduleTable), 1);
    EXPECT_EQ(walk(), std::vector<std::int64_t>{tagged});
    tags->untag(kScheduleTable, tagged);
    EXPECT_EQ(tags->countTags(kScheduleTable), 0);
    EXPECT_FALSE(tags->isTagged(kScheduleTable, tagged));
}

TEST_F(TagsTest, cntTagAnswersFromItsCacheAfterSetTag) {
    // GIVEN a counted table
    tags->tag(kScheduleTable, task(1), "1");
    tags->tag(kScheduleTable, task(2), "2");
    ASSERT_EQ(tags->countTags(kScheduleTable), 2);
    // WHEN another program tags a task behind this one's back, and this one tags another
    Tags other(*files, runner);
    other.tag(kScheduleTable, task(3), "3");
    tags->tag(kScheduleTable, task(4), "4");
    // THEN the count is the cached one plus 1, not a new walk's 4
    EXPECT_EQ(tags->countTags(kScheduleTable), 3);
    EXPECT_TRUE(runner.titles.empty());
}

TEST_F(TagsTest, cntTagCountsInSlicesWithoutCancel) {
    {
        Tags::Batch batch(*tags, "test");
        for (int id = 1; id <= 250; ++id) tags->tag(kScheduleTable, task(id), std::to_string(id));
        batch.commit();
    }
    Tags fresh(*files, runner);
    EXPECT_EQ(fresh.countTags(kScheduleTable), 250);
    EXPECT_EQ(runner.titles, std::vector<std::string>{"Progress..."});
    EXPECT_FALSE(runner.lastCancellable);
    EXPECT_EQ(runner.shown.back(), (platform::Progress{100, "Counting Tags", "250"}));
}

TEST_F(TagsTest, walkFollowsTheSortValueAsText) {
    const auto nine = task(9);
    const auto ten = task(10);
    const auto hundred = task(100);
    tags->tag(kScheduleTable, nine, "9");
    tags->tag(kScheduleTable, ten, "10");
    tags->tag(kScheduleTable, hundred, "100");
    EXPECT_EQ(walk(), (std::vector<std::int64_t>{ten, hundred, nine}));
}

TEST_F(TagsTest, newTagEmptiesAFileOfScheduleTagsAtOnce) {
    for (int id = 1; id <= 30; ++id) tags->tag(kScheduleTable, task(id), std::to_string(id));
    tags->clearTags(kScheduleTable);
    EXPECT_EQ(tagRecords(), 0);
    EXPECT_EQ(tags->countTags(kScheduleTable), 0);
    EXPECT_TRUE(runner.titles.empty()) << "no progress window for the quick path";
}

TEST_F(TagsTest, newTagDeletesOnlyItsTableWhenOthersShareTheFile) {
    // GIVEN tags of Schedule between tags of another table
    tags->tag(2, 1, "a");
    for (int id = 1; id <= 25; ++id) tags->tag(kScheduleTable, task(id), std::to_string(id));
    tags->tag(3, 999, "z");
    // WHEN Schedule's tags are cleared
    tags->clearTags(kScheduleTable);
    // THEN the others stay, after a clearing window (25 tags are counted without one)
    EXPECT_EQ(tagRecords(), 2);
    EXPECT_TRUE(tags->isTagged(2, 1));
    EXPECT_EQ(tags->countTags(kScheduleTable), 0);
    EXPECT_EQ(runner.titles, (std::vector<std::string>{"Progress..."}));
    EXPECT_EQ(runner.shown.back(), (platform::Progress{100, "Clearing Tags", "100%"}));
}

TEST_F(TagsTest, cancellingTheSlowClearLeavesTheRestToBeCountedAfresh) {
    tags->tag(2, 1, "a");
    for (int id = 1; id <= 25; ++id) tags->tag(kScheduleTable, task(id), std::to_string(id));
    runner.cancelAfter = 1;  // the count needs no window; the clear is cancelled after one slice of 10
    tags->clearTags(kScheduleTable);
    EXPECT_EQ(tags->countTags(kScheduleTable), 15);
}

TEST_F(TagsTest, tableZeroIsRefusedByEveryOperation) {
    const auto p = task(1);
    tags->tag(0, p, "1");
    tags->clearTags(0);
    tags->untag(0, p);
    EXPECT_EQ(tagRecords(), 0);
    EXPECT_FALSE(tags->isTagged(0, p));
    EXPECT_EQ(tags->firstTagged(0), 0);
    EXPECT_EQ(tags->countTags(0), 0);
}

TEST_F(TagsTest, aTagWhoseTaskIsGoneTagsNothingAndGoesWithTheNextClear) {
    // GIVEN two tagged tasks, one deleted afterwards and one whose tag names another SCH:ID
    const auto kept = task(1);
    const auto deleted = task(2);
    const auto renumbered = task(3);
    tags->tag(kScheduleTable, kept, "1");
    tags->tag(kScheduleTable, deleted, "2");
    tags->tag(kScheduleTable, renumbered, "33");
    store::Row row;
    row.ref.rowId = deleted;
    ASSERT_TRUE(files->table(TableId::schedule).reget(files->table(TableId::schedule).position(0, row), row).ok());
    ASSERT_TRUE(files->table(TableId::schedule).erase(row).ok());
    // THEN neither stale tag counts as tagging its position
    EXPECT_FALSE(tags->isTagged(kScheduleTable, deleted));
    EXPECT_FALSE(tags->isTagged(kScheduleTable, renumbered));
    EXPECT_EQ(walk(), std::vector<std::int64_t>{kept});
    // AND a task added now never takes the deleted one's position
    EXPECT_GT(task(4), renumbered);
    // AND the next clear drops them with the live one
    tags->clearTags(kScheduleTable);
    EXPECT_EQ(tagRecords(), 0);
}

TEST_F(TagsTest, onlyStaleTagsMeanNothingIsSelectedYetTheyAreCleared) {
    tags->tag(kScheduleTable, task(1), "7");
    EXPECT_EQ(tags->firstTagged(kScheduleTable), 0);
    tags->clearTags(kScheduleTable);
    EXPECT_EQ(tagRecords(), 0);
}

TEST_F(TagsTest, aTagFileThatCannotBeWrittenStopsTheProgramNamingTheOperation) {
    const auto p = task(1);
    runSql(tagFile(), "CREATE TRIGGER injected BEFORE INSERT ON \"TagFile_\" BEGIN SELECT RAISE(ABORT, 'disk full'); END");
    EXPECT_THROW(tags->tag(kScheduleTable, p, "1"), HaltCalled);
    ASSERT_EQ(halt.stopTexts().size(), 1u);
    EXPECT_EQ(halt.stopTexts()[0].rfind("Error #90 - disk full (", 0), 0u) << halt.stopTexts()[0];
    EXPECT_TRUE(halt.stopTexts()[0].ends_with(" (SetTag_/ADD)")) << halt.stopTexts()[0];
    EXPECT_EQ(messages.last().text, halt.stopTexts()[0]);
}

// Another program of ours holding the tag file beyond the lock wait is no fatal error: the user is asked
// whether to wait again; Cancel drops the operation and tells the caller so.
TEST_F(TagsTest, aTagFileKeptBusyAsksWhetherToWaitAgainAndCancelGivesUpTheOperation) {
    const auto p = task(1);
    auto lock = std::make_unique<ForeignLock>(tagFile());

    tags->tag(kScheduleTable, p, "1");  // Cancel, the default

    EXPECT_TRUE(tags->gaveUp());
    EXPECT_FALSE(halt.halted());
    ASSERT_EQ(messages.captions(), std::vector<std::string>{"File Busy"});
    EXPECT_EQ(messages.last().text.rfind("Error: (database is locked (SQLITE_BUSY (5))) TagFile_\\!TagFile_ is busy: ", 0), 0u)
        << messages.last().text;

    messages.answer(platform::kRetry);
    messages.onShow = [&](const platform::MessageBoxRequest&) { lock.reset(); };
    tags->tag(kScheduleTable, p, "1");
    EXPECT_FALSE(tags->gaveUp());
    EXPECT_TRUE(tags->isTagged(kScheduleTable, p));
}

TEST(TagErrorText, shouldShowTheCodeTheTextAndTheOperation) {
    EXPECT_EQ(tagErrorText(store::Status::make(store::kRecordNotAvailable), "NewTag_/SlowButSure/DELETE"),
              "Error #33 - Record Not Available (NewTag_/SlowButSure/DELETE)");
}

}  // namespace
}  // namespace tarvelo::test
