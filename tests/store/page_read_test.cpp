// A page read is one statement for a whole page: it must return exactly what as many single-row reads
// would, from either end, from the middle, across a filter, in both directions, and leave the view
// where they would.
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
    friend void PrintTo(const PageCase& c, std::ostream* os) { *os << c.name; }
};

class PageReads : public ::testing::TestWithParam<PageCase> {
protected:
    void SetUp() override {
        openOrCreate(tasks);
        Transaction tx;
        ASSERT_TRUE(tx.begin({&tasks}, 2).ok());
        // 60 tasks over 20 days, three to a day at the same time, so equal key values meet; odd ids off.
        for (int id = 1; id <= 60; ++id) addAll(tasks, {task(id, "Cat", "t" + std::to_string(id), 80000 + (id - 1) / 3, 100, id % 2)});
        ASSERT_TRUE(tx.commit().ok());
    }
    View view(bool filtered) {
        return filtered ? View(tasks, kKeyDate, [](const Row& r) { return number(r, kDisabled) == 0; })
                        : View(tasks, kKeyDate);
    }
    void place(View& v, const PageCase& c) {
        if (c.from == 0) {
            ASSERT_TRUE((c.direction == Direction::forward ? v.setToStart() : v.setToEnd()).ok());
            return;
        }
        Row r;
        ASSERT_TRUE(tasks.fetch(kKeyId, task(c.from, "", ""), r).ok());
        ASSERT_TRUE(v.reset(tasks.position(kKeyDate, r)).ok());
    }

    TempFolder folder;
    Table tasks{taskDef(), folder.path()};
};

TEST_P(PageReads, givenAPageReadThenItEqualsTheSingleRowReadsItReplaces) {
    const PageCase& c = GetParam();
    // GIVEN two views placed alike
    View paged = view(c.filtered), stepped = view(c.filtered);
    place(paged, c);
    place(stepped, c);

    // WHEN one reads a page and the other reads as many single rows
    std::vector<Row> page;
    ASSERT_TRUE(paged.read(c.direction, c.count, page).ok());
    Ids expected;
    Row r;
    for (int i = 0; i < c.count; ++i) {
        if (!(c.direction == Direction::forward ? stepped.next(r) : stepped.previous(r)).ok()) break;
        expected.push_back(number(r, kId));
    }

    // THEN the same records, and both views go on alike
    Ids got;
    for (const auto& row : page) got.push_back(number(row, kId));
    EXPECT_EQ(got, expected);
    if (!got.empty()) {
        EXPECT_EQ(paged.position(), stepped.position());
    }
    Row afterPaged, afterStepped;
    const Status a = paged.next(afterPaged), b = stepped.next(afterStepped);
    EXPECT_EQ(a.code, b.code);
    if (a.ok() && b.ok()) {
        EXPECT_EQ(number(afterPaged, kId), number(afterStepped, kId));
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
                      PageCase{"WholeTableInOnePage", Direction::forward, 0, 100, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PageReads, givenAPageWhenItsRecordsArePutThenEveryFieldIsWrittenAndChangeDetectionHolds) {
    View v = view(false);
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
