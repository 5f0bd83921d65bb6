// A page read is one statement for a whole page: it must return exactly what as many single-row reads
// would, from either end, from the middle, across a filter, in both directions, in a key's order or in
// record order, and leave the view where they would. A page read into rows used before must leave
// nothing of them behind.
#include <gtest/gtest.h>

#include <ostream>

#include "fakes/store_fixture.h"

namespace tarvelo::store::testing {
namespace {

struct PageCase {
    const char* name;
    Direction direction;
    int from;   // 0: the order's end it starts at; else the view is reset to the task with this id
    int count;
    bool filtered;  // only enabled tasks (even ids)
    int key = kKeyDate;
    bool narrow = false;  // only the description is read
    friend void PrintTo(const PageCase& c, std::ostream* os) { *os << c.name; }
};

class PageReads : public ::testing::TestWithParam<PageCase> {
protected:
    void SetUp() override {
        openOrCreate(tasks);
        Transaction tx;
        ASSERT_TRUE(tx.begin({&tasks}).ok());
        // 60 tasks over 20 days, three to a day at the same time, so equal key values meet; odd ids off.
        // They are added out of id order, so record order is an order of its own.
        for (int k = 1; k <= 60; ++k) {
            const int id = k * 37 % 61;
            addAll(tasks, {task(id, "Cat", "t" + std::to_string(id), 80000 + (id - 1) / 3, 100, id % 2, "note")});
        }
        ASSERT_TRUE(tx.commit().ok());
    }
    View view(const PageCase& c) {
        return c.filtered ? View(tasks, c.key, [](const Row& r) { return number(r, kDisabled) == 0; })
                          : View(tasks, c.key);
    }
    void place(View& v, const PageCase& c) {
        if (c.narrow) v.readFields({kDescription});
        if (c.from == 0) {
            ASSERT_TRUE((c.direction == Direction::forward ? v.setToStart() : v.setToEnd()).ok());
            return;
        }
        Row r;
        ASSERT_TRUE(tasks.fetch(kKeyId, task(c.from, "", ""), r).ok());
        ASSERT_TRUE(v.reset(tasks.position(c.key, r)).ok());
    }

    TempFolder folder;
    Table tasks{taskDef(), folder.path()};
};

TEST_P(PageReads, givenAPageReadThenItEqualsTheSingleRowReadsItReplaces) {
    const PageCase& c = GetParam();
    // GIVEN three views placed alike
    View paged = view(c), reused = view(c), stepped = view(c);
    place(paged, c);
    place(reused, c);
    place(stepped, c);

    // WHEN one reads a page, one reads it into rows holding other records' values, and the third reads
    // as many single rows
    std::vector<Row> page;
    ASSERT_TRUE(paged.read(c.direction, c.count, page).ok());
    std::vector<Row> stale(70, task(99, "Stale", "stale", 99999, 9, 1, "stale"));
    stale[3].values[kDate] = std::string("a text where a number was");
    ASSERT_TRUE(reused.readPage(c.direction, c.count, stale).ok());
    std::vector<Row> expected;
    Row r;
    for (int i = 0; i < c.count; ++i) {
        if (!(c.direction == Direction::forward ? stepped.next(r) : stepped.previous(r)).ok()) break;
        expected.push_back(r);
    }

    // THEN the same records with the same values, and the views go on alike
    ASSERT_EQ(page.size(), expected.size());
    ASSERT_EQ(stale.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(page[i].values, expected[i].values) << i;
        EXPECT_EQ(stale[i].values, expected[i].values) << i;
        EXPECT_EQ(stale[i].ref.rowId, expected[i].ref.rowId) << i;
        EXPECT_EQ(stale[i].ref.partial, c.narrow) << i;
    }
    if (!expected.empty()) {
        EXPECT_EQ(paged.position(), stepped.position());
        EXPECT_EQ(reused.position(), stepped.position());
    }
    Row afterPaged, afterReused, afterStepped;
    const Status a = paged.next(afterPaged), b = reused.next(afterReused), s = stepped.next(afterStepped);
    EXPECT_EQ(a.code, s.code);
    EXPECT_EQ(b.code, s.code);
    if (s.ok()) {
        EXPECT_EQ(afterPaged.ref.rowId, afterStepped.ref.rowId);
        EXPECT_EQ(afterReused.ref.rowId, afterStepped.ref.rowId);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PageReads,
    ::testing::Values(PageCase{"ForwardFromTheStart", Direction::forward, 0, 25, false},
                      PageCase{"BackwardFromTheEnd", Direction::backward, 0, 25, false},
                      PageCase{"ForwardFromTheMiddleAmongEqualKeys", Direction::forward, 29, 7, false},
                      PageCase{"BackwardFromTheMiddleAmongEqualKeys", Direction::backward, 29, 7, false},
                      PageCase{"ForwardPastTheEnd", Direction::forward, 50, 25, false},
                      PageCase{"BackwardPastTheStart", Direction::backward, 10, 25, false},
                      PageCase{"ForwardAcrossAFilter", Direction::forward, 0, 25, true},
                      PageCase{"BackwardAcrossAFilter", Direction::backward, 0, 25, true},
                      PageCase{"ForwardAcrossAFilterFromTheMiddle", Direction::forward, 31, 12, true},
                      PageCase{"BackwardAcrossAFilterPastTheStart", Direction::backward, 20, 25, true},
                      PageCase{"OneRow", Direction::forward, 0, 1, false},
                      PageCase{"WholeTableInOnePage", Direction::forward, 0, 100, false},
                      PageCase{"NarrowForwardFromTheMiddle", Direction::forward, 29, 20, false, kKeyDate, true},
                      PageCase{"NarrowBackwardAcrossAFilter", Direction::backward, 0, 25, true, kKeyDate, true},
                      PageCase{"RecordOrderForwardFromTheStart", Direction::forward, 0, 25, false, kRecordOrder},
                      PageCase{"RecordOrderBackwardFromTheEnd", Direction::backward, 0, 25, false, kRecordOrder},
                      PageCase{"RecordOrderForwardFromTheMiddle", Direction::forward, 29, 7, false, kRecordOrder},
                      PageCase{"RecordOrderBackwardFromTheMiddle", Direction::backward, 29, 7, false, kRecordOrder},
                      PageCase{"RecordOrderPastTheEnd", Direction::forward, 50, 100, false, kRecordOrder},
                      PageCase{"RecordOrderAcrossAFilter", Direction::forward, 0, 25, true, kRecordOrder},
                      PageCase{"RecordOrderNarrow", Direction::forward, 31, 12, false, kRecordOrder, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PageReads, givenRecordOrderThenEveryRecordInTheOrderAddedBlankOnesIncluded) {
    Row blank = task(0, "", "");
    addAll(tasks, {blank});  // in no blank-excluded key
    Ids added;
    for (int k = 1; k <= 60; ++k) added.push_back(k * 37 % 61);
    added.push_back(0);
    EXPECT_EQ(readAll(tasks, kRecordOrder), added);
    // It has no components, so a place in it is its start.
    View v(tasks, kRecordOrder);
    ASSERT_TRUE(v.setAt(task(40, "Cat", "t40", 80013)).ok());
    Row r;
    ASSERT_TRUE(v.next(r).ok());
    EXPECT_EQ(number(r, kId), added.front());
    // Nothing to look a record up by.
    EXPECT_EQ(tasks.fetch(kRecordOrder, task(40, "", ""), r).code, kDriverError);
    EXPECT_EQ(tasks.duplicate(kRecordOrder, task(40, "", "")).status.code, kDriverError);
}

TEST_F(PageReads, givenACountInPiecesThenThePiecesAddUpToTheRecordsWhateverWasDeleted) {
    for (int id : {1, 30, 59}) {  // first, middle and last added
        Row r;
        ASSERT_TRUE(tasks.fetch(kKeyId, task(id * 37 % 61, "", ""), r).ok());
        ASSERT_TRUE(tasks.erase(r).ok());
    }
    std::int64_t after = 0;
    std::vector<std::int64_t> pieces;
    for (;;) {
        const Result<std::int64_t> n = tasks.recordsAfter(after, 7);
        ASSERT_TRUE(n.ok()) << n.status;
        pieces.push_back(n.value());
        if (n.value() < 7) break;
    }
    EXPECT_EQ(pieces, (std::vector<std::int64_t>{7, 7, 7, 7, 7, 7, 7, 7, 1}));
    EXPECT_EQ(tasks.records().value(), 57);
    // At the end nothing is left, and the place stays.
    const std::int64_t end = after;
    EXPECT_EQ(tasks.recordsAfter(after, 7).value(), 0);
    EXPECT_EQ(after, end);
}

TEST_F(PageReads, givenAPageWhenItsRecordsArePutThenEveryFieldIsWrittenAndChangeDetectionHolds) {
    View v = view(PageCase{"", Direction::forward, 0, 2, false});
    std::vector<Row> page;
    ASSERT_TRUE(v.read(Direction::forward, 2, page).ok());
    ASSERT_EQ(page.size(), 2u);
    page[0].values[kDescription] = std::string("from a page");
    ASSERT_TRUE(tasks.put(page[0]).ok());
    Row again;
    ASSERT_TRUE(tasks.fetch(kKeyId, task(number(page[0], kId), "", ""), again).ok());
    EXPECT_EQ(text(again, kDescription), "from a page");
    EXPECT_EQ(text(again, kCategory), "Cat");

    Row other = again;
    other.values[kCategory] = std::string("Elsewhere");
    ASSERT_TRUE(tasks.put(other).ok());
    EXPECT_EQ(tasks.put(page[0]).code, kRecordChanged);
}

}  // namespace
}  // namespace tarvelo::store::testing
