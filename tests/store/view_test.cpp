// Views: independent filtered cursors, position strings, reset and re-reading with change watching.
#include <algorithm>
#include <functional>

#include <gtest/gtest.h>

#include "fakes/case_names.h"
#include "fakes/store_fixture.h"

namespace tarvelo::store::testing {
namespace {

using tarvelo::test::NamedBy;

// The ids of up to count records read onwards (next), or back (previous), from where the view stands.
Ids forwards(View& view, int count = 100, bool back = false) {
    Ids ids;
    Row r;
    while (count-- > 0 && (back ? view.previous(r) : view.next(r)).ok()) ids.push_back(number(r, kId));
    return ids;
}
Ids backwards(View& view, int count) { return forwards(view, count, true); }

class Views : public ::testing::Test {
protected:
    void SetUp() override {
        openOrCreate(tasks);
        // Ten tasks on consecutive days; odd ids are disabled.
        for (int id = 1; id <= 10; ++id) addAll(tasks, {task(id, "Cat", "task " + std::to_string(id), 80000 + id, 100, id % 2)});
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
    ASSERT_TRUE(tx.begin({&tasks}).ok());
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
    for (const char* bad : {"", "nonsense", "0.x", "0.1.q12", "0.1.sabc", "-2.1", "99.1"}) {
        EXPECT_EQ(view.reset(bad).code, kRecordNotFound) << bad;
        EXPECT_EQ(view.reread(bad, r).code, kRecordNotFound) << bad;
        EXPECT_EQ(tasks.reget(bad, r).code, kRecordNotFound) << bad;
    }
}

TEST_F(Views, givenPositionInEveryKeyWhenRegetThenSameRecordAndTableReadsOnFromThere) {
    addAll(tasks, {task(50, std::string(20, 'W'), "ÉÉÉÉÉÉÉÉÉÉÉÉÉÉÉÉÉÉÉÉ", 80050)});  // the widest key values
    for (int key : {int{kKeyId}, int{kKeyDate}, int{kKeyCategory}, int{kKeyDateEnabled}, int{kKeyCategoryDate}, kRecordOrder}) {
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

// Reading some fields: every key, both directions and a page read give the same records in the same
// order as a whole read, with the chosen fields and the key's components as stored and the rest blank.
TEST_F(Views, givenChosenFieldsWhenReadingEachKeyThenSameOrderWithOnlyThoseFieldsFilled) {
    struct Case {
        const char* name;
        int key;
        std::vector<int> fields;
        std::vector<int> filled;  // the chosen fields and the key's components
    };
    const Case cases[] = {
        {"id key, message", kKeyId, {kMessage}, {kId, kMessage}},
        {"date key, category", kKeyDate, {kCategory}, {kCategory, kDate, kTime}},
        {"category key, id", kKeyCategory, {kId}, {kId, kCategory, kDescription}},
        {"enabled key, nothing beyond it", kKeyDateEnabled, {kDisabled}, {kDate, kTime, kDisabled}},
    };
    ASSERT_TRUE(tasks.setToStart(kKeyId).ok());
    Row one;
    while (tasks.next(one).ok()) {
        one.values[kMessage] = "note " + std::to_string(number(one, kId));
        ASSERT_TRUE(tasks.put(one).ok());
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        View whole(tasks, c.key);
        View some(tasks, c.key);
        some.readFields(c.fields);
        std::vector<Row> all;
        std::vector<Row> part;
        ASSERT_TRUE(whole.read(Direction::forward, 100, all).ok());
        ASSERT_TRUE(some.read(Direction::forward, 3, part).ok());
        Row r;
        while (some.next(r).ok()) part.push_back(r);
        ASSERT_EQ(part.size(), all.size());
        for (std::size_t i = 0; i < all.size(); ++i) {
            EXPECT_EQ(part[i].ref.rowId, all[i].ref.rowId);
            EXPECT_TRUE(part[i].ref.partial);
            for (int f = 0; f <= kMessage; ++f) {
                const bool filled = std::find(c.filled.begin(), c.filled.end(), f) != c.filled.end();
                const Value blank = std::holds_alternative<std::string>(all[i].values[f]) ? Value(std::string()) : Value(std::int64_t{0});
                EXPECT_EQ(part[i].values[f], filled ? all[i].values[f] : blank) << "field " << f;
            }
        }
        // Backwards from the end, and on from a position taken on a partial read.
        ASSERT_TRUE(some.setToEnd().ok());
        ASSERT_TRUE(some.previous(r).ok());
        EXPECT_EQ(r.ref.rowId, all.back().ref.rowId);
        ASSERT_TRUE(some.previous(r).ok());
        const std::string at = some.position();
        ASSERT_TRUE(some.reset(at).ok());
        ASSERT_TRUE(some.next(r).ok());
        EXPECT_EQ(r.ref.rowId, all[all.size() - 2].ref.rowId);
        // An empty set reads whole records again.
        some.readFields({});
        ASSERT_TRUE(some.setToStart().ok());
        ASSERT_TRUE(some.next(r).ok());
        EXPECT_FALSE(r.ref.partial);
        EXPECT_EQ(r.values, all.front().values);
    }
}

// A partial copy put back would blank the fields it never read: refused, the record intact; reread it
// to change it.
TEST_F(Views, givenPartialReadWhenPutThenRefusedUntilReread) {
    View some(tasks, kKeyId);
    some.readFields({kDisabled});
    Row r;
    ASSERT_TRUE(some.next(r).ok());
    r.values[kDisabled] = std::int64_t{0};
    EXPECT_EQ(tasks.put(r).code, kInvalidRecordDeclaration);
    Row whole;
    ASSERT_TRUE(some.reread(some.position(), whole).ok());
    EXPECT_EQ(text(whole, kDescription), "task 1");
    EXPECT_EQ(number(whole, kDisabled), 1);
    whole.values[kDisabled] = std::int64_t{0};
    EXPECT_TRUE(tasks.put(whole).ok());
    ASSERT_TRUE(tasks.fetch(kKeyId, task(1, "", ""), whole).ok());
    EXPECT_EQ(text(whole, kDescription), "task 1");
    EXPECT_EQ(number(whole, kDisabled), 0);
}

// --- Newest first ------------------------------------------------------------------------------------

Ids idsOf(const std::vector<Row>& rows) {
    Ids ids;
    for (const Row& r : rows) ids.push_back(number(r, kId));
    return ids;
}

// pages reads of count rows each, into one list.
Ids readPages(View& view, Direction direction, int count, int pages = 1) {
    std::vector<Row> rows;
    while (pages-- > 0) EXPECT_TRUE(view.read(direction, count, rows).ok());
    return idsOf(rows);
}

std::string positionAfter(View& view, int reads) {
    Row r;
    while (reads-- > 0) EXPECT_TRUE(view.next(r).ok());
    return view.position();
}

// A descending view is the ascending one read from the other end: the same records, the same ties, the
// same positions.
struct DescendingCase {
    const char* name;
    std::function<Ids(View& view, View& ascending)> read;
    Ids expected;
};

class DescendingViews : public Views, public ::testing::WithParamInterface<DescendingCase> {
protected:
    void SetUp() override {
        Views::SetUp();
        // Three ties on day 5, stored after task 5: read downwards they come last-stored first.
        addAll(tasks, {task(21, "c", "tie", 80005, 100), task(22, "c", "tie", 80005, 100), task(23, "c", "tie", 80005, 100)});
    }
};

void PrintTo(const DescendingCase& c, std::ostream* out) { *out << c.name; }

TEST_P(DescendingViews, givenDescendingViewThenItReadsTheKeyFromTheOtherEnd) {
    View descending(tasks, kKeyDate, {}, Order::descending);
    View ascending(tasks, kKeyDate);
    EXPECT_EQ(GetParam().read(descending, ascending), GetParam().expected);
}

const Ids kNewestFirst{10, 9, 8, 7, 6, 23, 22, 21, 5, 4, 3, 2, 1};

INSTANTIATE_TEST_SUITE_P(
    Reads, DescendingViews,
    ::testing::Values(
        DescendingCase{"NextFromTheStartIsNewestFirst", [](View& d, View&) { return forwards(d); }, kNewestFirst},
        DescendingCase{"PagesOfFourFollowOnWithoutGapOrRepeat",
                       [](View& d, View&) { return readPages(d, Direction::forward, 4, 4); }, kNewestFirst},
        DescendingCase{"PageBackwardsFromAResetIsTheNewerOnesNearestFirst",
                       [](View& d, View&) {
                           EXPECT_TRUE(d.reset(positionAfter(d, 7)).ok());  // on tie 22
                           return readPages(d, Direction::backward, 3);
                       },
                       Ids{23, 6, 7}},
        DescendingCase{"ResetToAnAscendingPositionThenNextIsThatRecord",
                       [](View& d, View& a) { EXPECT_TRUE(d.reset(positionAfter(a, 6)).ok()); return forwards(d, 3); },
                       Ids{21, 5, 4}},  // a: on tie 21
        DescendingCase{"ResetThenPreviousIsTheOneAbove",
                       [](View& d, View&) { EXPECT_TRUE(d.reset(positionAfter(d, 7)).ok()); return backwards(d, 1); },
                       Ids{23}},  // d: on tie 22
        DescendingCase{"SetAtTakesThatValueThenTheOlderOnes",
                       [](View& d, View&) { EXPECT_TRUE(d.setAt(task(0, "", "", 80005, 100)).ok()); return forwards(d, 5); },
                       Ids{23, 22, 21, 5, 4}}),
    NamedBy<&DescendingCase::name>{});

// --- The last of each --------------------------------------------------------------------------------

struct LastOfEachCase {
    const char* name;
    int key;
    std::vector<Value> firsts;
    Ids expected;  // in key order
};

void PrintTo(const LastOfEachCase& c, std::ostream* out) { *out << c.name; }

class LastOfEach : public Views, public ::testing::WithParamInterface<LastOfEachCase> {};

TEST_P(LastOfEach, givenValuesOfTheFirstComponentThenTheLastRecordOfEachInKeyOrder) {
    addAll(tasks, {task(31, "Work", "a", 70000, 5), task(32, "work", "b", 90000, 5), task(33, "Home", "c", 60000, 5),
                   task(34, "Work", "d", 90000, 5)});
    std::vector<Row> rows{task(99, "stale", "left from before")};
    ASSERT_TRUE(tasks.lastOfEach(GetParam().key, GetParam().firsts, rows).ok());
    EXPECT_EQ(idsOf(rows), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, LastOfEach,
    ::testing::Values(
        // Ties on the whole key: the one stored last.
        LastOfEachCase{"TextFoldedTiesToTheLastStored", kKeyCategoryDate, {std::string("WORK"), std::string("home")}, Ids{33, 34}},
        LastOfEachCase{"NumbersEachItsLatestDate", kKeyDateEnabled, {std::int64_t{1}, std::int64_t{0}}, Ids{34, 9}},
        LastOfEachCase{"AValueNoRecordHasGivesNone", kKeyCategoryDate, {std::string("Nowhere"), std::string("Cat")}, Ids{10}},
        LastOfEachCase{"NoValuesNoRead", kKeyCategoryDate, {}, Ids{}}),
    NamedBy<&LastOfEachCase::name>{});

}  // namespace
}  // namespace tarvelo::store::testing
