#include "search/schedule_scan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/date.h"
#include "data/tables.h"
#include "search/search_fixture.h"

namespace tarvelo::test {
namespace {

using search::AccessPath;
using search::MatchType;
using search::SearchTask;
using enum MatchType;

const search::SearchField& field(const char* name) { return *search::searchFieldNamed(name); }

search::Criterion where(const char* name, MatchType type, store::Value value, std::string upper = {}) {
    return search::makeCriterion(field(name), type, value, upper);
}

class ScheduleScanTest : public SearchTest {
protected:
    // The SCH:IDs of every match, in scan order.
    std::vector<std::int64_t> idsFound(search::ScheduleScan& scan) {
        std::vector<std::int64_t> ids;
        store::Row match;
        for (;;) {
            const auto r = scan.read(search::kScanSlice, match);
            if (r == search::ScheduleScan::Result::end) return ids;
            if (r == search::ScheduleScan::Result::match) ids.push_back(std::get<std::int64_t>(match.values[0]));
        }
    }
    void dated(std::int64_t id, StdDate date, const std::string& description = "") {
        addTask(*files, TaskRow(id).with("SCH:DATE", date).with("SCH:TIME", 1 + id).with("SCH:DESCRIPTION", description));
    }
};

TEST_F(ScheduleScanTest, equalsOnTheNextDateReadsFromThatDateAndStopsAtTheFirstLaterDate) {
    // GIVEN tasks on the day before, two on the day, and two after
    const StdDate day = dateFromYmd(1997, 3, 10);
    dated(1, day - 1);
    dated(2, day);
    dated(3, day + 1);
    dated(4, day);
    dated(5, day + 2);
    // WHEN searching for that date
    search::ScheduleScan scan(*files, *tags, {where("date", equals, day)}, SearchTask::select);
    // THEN the date key is read from the day on, and only the first later task is read besides the matches
    EXPECT_EQ(scan.path().key, static_cast<int>(ScheduleKey::keyDate));
    EXPECT_EQ(idsFound(scan), (std::vector<std::int64_t>{2, 4}));
    EXPECT_EQ(scan.recordsRead(), 3);
}

TEST_F(ScheduleScanTest, inThisYearReadsFromTheFirstOfJanuary) {
    dated(1, dateFromYmd(1996, 12, 31));
    dated(2, dateFromYmd(1997, 6, 1));
    dated(3, dateFromYmd(1997, 1, 1));
    dated(4, dateFromYmd(1998, 1, 1));
    search::ScheduleScan scan(*files, *tags, {where("date", inYear, dateFromYmd(1997, 3, 10))}, SearchTask::edit);
    EXPECT_EQ(idsFound(scan), (std::vector<std::int64_t>{3, 2}));
    EXPECT_EQ(scan.recordsRead(), 3);
}

TEST_F(ScheduleScanTest, beginsWithOnTheDescriptionMatchesAnyLetterCase) {
    dated(1, 80000, "ABCdef");
    dated(2, 80000, "xabc");
    dated(3, 80000, "abcx");
    dated(4, 80000, "Abd");
    search::ScheduleScan scan(*files, *tags, {where("description", beginsWith, std::string("abc"))}, SearchTask::edit);
    EXPECT_EQ(scan.path().key, static_cast<int>(ScheduleKey::keyTaskName));
    EXPECT_EQ(idsFound(scan), (std::vector<std::int64_t>{1, 3}));
    EXPECT_EQ(scan.recordsRead(), 3) << "stops at Abd";
}

// The key places "  Backup" before every letter; the left-justified tests still match it.
TEST_F(ScheduleScanTest, aKeyScanFindsValuesWithLeadingBlanksThatTheTestLeftJustifies) {
    dated(1, 80000, "Backup");
    dated(2, 80000, "  backup tapes");
    dated(3, 80000, " Report");
    dated(4, 80000, "Backstage");
    dated(5, 80000, "Zeta");
    addTask(*files, TaskRow(6).with("SCH:CATEGORY", "Home"));  // no description, still in the key
    const struct {
        const char* name;
        search::Criterion criterion;
        std::vector<std::int64_t> found;
        std::int64_t read;  // the three blank-led values, then from the criterion on to the early stop
    } cases[] = {
        {"equals", where("description", equals, std::string("backup tapes")), {2}, 4},
        {"begins with", where("description", beginsWith, std::string("BACK")), {2, 4, 1}, 6},
        {"inside a range", where("description", insideRange, std::string("b"), "r"), {2, 3, 4, 1}, 6},
        {"more than keeps the blanks", where("description", moreThan, std::string("a")), {4, 1, 5}, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        search::ScheduleScan scan(*files, *tags, {c.criterion}, SearchTask::edit);
        ASSERT_EQ(scan.path().key, static_cast<int>(ScheduleKey::keyTaskName));
        EXPECT_EQ(idsFound(scan), c.found);
        EXPECT_EQ(scan.recordsRead(), c.read);
    }
}

TEST_F(ScheduleScanTest, everyOtherCriterionIsTestedInControlOrder) {
    dated(1, 80000, "Backup");
    dated(2, 80001, "Backup");
    dated(3, 80002, "Report");
    search::ScheduleScan scan(*files, *tags,
                              {where("description", equals, std::string("BACKUP")), where("date", moreThan, 80000)},
                              SearchTask::edit);
    EXPECT_EQ(idsFound(scan), std::vector<std::int64_t>{2});
}

struct PathCase {
    const char* name;
    std::vector<search::Criterion> criteria;
    SearchTask task;
    AccessPath::Kind kind;
    ScheduleKey key;
    bool earlyStop;
};

class AccessPathTest : public SearchTest, public testing::WithParamInterface<PathCase> {};

TEST_P(AccessPathTest, choosesTheFirstUsableKey) {
    const PathCase& c = GetParam();
    search::ScheduleScan scan(*files, *tags, c.criteria, c.task);
    EXPECT_EQ(scan.path().kind, c.kind);
    if (c.kind == AccessPath::Kind::key) {
        EXPECT_EQ(scan.path().key, static_cast<int>(c.key));
        EXPECT_EQ(scan.path().stopCriterion >= 0, c.earlyStop);
    }
    if (c.kind == AccessPath::Kind::table) {
        EXPECT_EQ(scan.path().key, store::kRecordOrder);
    }
}

const AccessPath::Kind kKey = AccessPath::Kind::key;
const AccessPath::Kind kTable = AccessPath::Kind::table;
const AccessPath::Kind kTags = AccessPath::Kind::tags;
const std::string kText = "abc";

INSTANTIATE_TEST_SUITE_P(
    Search, AccessPathTest,
    testing::Values(
        PathCase{"DateEquals", {where("date", equals, 80000)}, SearchTask::select, kKey, ScheduleKey::keyDate, true},
        PathCase{"DateMoreThan", {where("date", moreThan, 80000)}, SearchTask::select, kKey, ScheduleKey::keyDate, false},
        PathCase{"DateInRange", {where("date", insideRange, 80000, "80010")}, SearchTask::select, kKey,
                 ScheduleKey::keyDate, true},
        PathCase{"DateMonthOfEachYearHasNoKey", {where("date", monthOfYear, 80000)}, SearchTask::select, kTable, {}, false},
        PathCase{"DateLessThanWouldMissUndatedTasks", {where("date", lessThan, 80000)}, SearchTask::select, kTable, {},
                 false},
        PathCase{"DateLessThanWithATimeCriterion", {where("date", lessThan, 80000), where("time", moreThan, 100)},
                 SearchTask::select, kKey, ScheduleKey::keyDate, true},
        PathCase{"DateBeforeDescription", {where("description", beginsWith, kText), where("date", equals, 80000)},
                 SearchTask::select, kKey, ScheduleKey::keyDate, true},
        PathCase{"DescriptionBeginsWith", {where("description", beginsWith, kText)}, SearchTask::select, kKey,
                 ScheduleKey::keyTaskName, true},
        PathCase{"DescriptionContainsHasNoKey", {where("description", contains, kText)}, SearchTask::select, kTable, {},
                 false},
        PathCase{"TaskType", {where("tasktype", equals, std::string("Run Program"))}, SearchTask::select, kKey,
                 ScheduleKey::keyTaskType, true},
        PathCase{"DisabledTasks", {where("disabled", equals, 1)}, SearchTask::select, kKey,
                 ScheduleKey::keyDateEnabled, true},
        PathCase{"EnabledTasksWouldMissBlankOnes", {where("disabled", equals, 0)}, SearchTask::select, kTable, {},
                 false},
        PathCase{"UnselectWalksTheTags", {where("command", contains, kText)}, SearchTask::unselect, kTags, {}, false},
        PathCase{"UnselectByKey", {where("date", equals, 80000)}, SearchTask::unselect, kKey, ScheduleKey::keyDate,
                 true}),
    [](const auto& info) { return std::string(info.param.name); });

// Slices and pages of different sizes over the same reused rows: every task is judged on its own values.
TEST_F(ScheduleScanTest, aWholeTableScanFindsTheTasksInTheOrderTheyWereAdded) {
    std::vector<std::int64_t> expected;
    for (int k = 1; k <= 250; ++k) {
        const std::int64_t id = k * 37 % 251;
        addTask(*files, TaskRow(id).with("SCH:DESCRIPTION", id % 3 == 0 ? "Match" : "Other")
                            .with("SCH:COMMAND", id % 5 == 0 ? "backup.sh" : ""));
        if (id % 3 == 0) expected.push_back(id);
    }
    search::ScheduleScan scan(*files, *tags, {where("description", contains, std::string("TCH"))}, SearchTask::select);
    ASSERT_EQ(scan.path().kind, AccessPath::Kind::table);
    EXPECT_EQ(idsFound(scan), expected);
    EXPECT_EQ(scan.recordsRead(), 250);

    search::ScheduleScan both(*files, *tags,
                              {where("description", contains, std::string("tch")),
                               where("command", beginsWith, std::string("BACKUP"))},
                              SearchTask::select);
    std::vector<std::int64_t> fifteens;
    for (std::int64_t id : expected) {
        if (id % 5 == 0) fifteens.push_back(id);
    }
    EXPECT_EQ(idsFound(both), fifteens);
}

// A large table is counted a piece per progress update, never all in one slice.
TEST_F(ScheduleScanTest, theTotalIsCountedAPieceAtATimeAndThePercentageFollowsOnceItIsKnown) {
    const std::int64_t tasks = 2 * search::kCountPiece + 500;
    {
        store::Transaction tx;
        ASSERT_TRUE(tx.begin({&files->table(TableId::schedule)}).ok());
        for (std::int64_t id = 1; id <= tasks; ++id) addTask(*files, TaskRow(id));
        ASSERT_TRUE(tx.commit().ok());
    }
    search::ScheduleScan scan(*files, *tags, {where("command", contains, std::string("zzz"))}, SearchTask::edit);
    search::FindNextJob job(scan);
    std::vector<int> percents;
    for (int slice = 0; slice < 4; ++slice) {
        ASSERT_EQ(job.runSlice(), platform::SlicedJob::Step::more);
        percents.push_back(job.progress().percent);
    }
    const auto after = [&](int slices) { return static_cast<int>(slices * search::kScanSlice * 100 / tasks); };
    EXPECT_EQ(percents, (std::vector<int>{0, 0, after(3), after(4)}));
    EXPECT_EQ(scan.total(), tasks);
}

TEST_F(ScheduleScanTest, unselectOnTheTagsReadsOnlyTaggedTasks) {
    for (int id = 1; id <= 4; ++id) dated(id, 80000, id % 2 ? "odd" : "even");
    tags->tag(kScheduleTable, 3, "3");  // positions follow the ids here
    tags->tag(kScheduleTable, 2, "2");
    search::ScheduleScan scan(*files, *tags, {where("description", contains, std::string("d"))}, SearchTask::unselect);
    EXPECT_EQ(idsFound(scan), std::vector<std::int64_t>{3});
    EXPECT_EQ(scan.recordsRead(), 2);
    EXPECT_EQ(scan.total(), 2);
}

// The scan reads only the fields its tests look at; what it hands over is the whole task, which the
// edit window may change and save.
TEST_F(ScheduleScanTest, aMatchIsHandedOverWholeWhicheverPathFoundIt) {
    addTask(*files, TaskRow(1).with("SCH:DESCRIPTION", "Backup").with("SCH:DATE", 80000).with("SCH:TIME", 2)
                        .with("SCH:COMMAND", "tar cf b.tar").with("SCH:MESSAGE", "Backing up"));
    addTask(*files, TaskRow(2).with("SCH:DESCRIPTION", "Report").with("SCH:DATE", 80001).with("SCH:TIME", 3));
    const store::TableDef& def = scheduleTableDef();
    const struct {
        const char* name;
        search::Criteria criteria;
        AccessPath::Kind kind;
    } cases[] = {
        {"by a key", {where("description", beginsWith, std::string("back"))}, AccessPath::Kind::key},
        {"by the whole table", {where("command", contains, std::string("tar"))}, AccessPath::Kind::table},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        search::ScheduleScan scan(*files, *tags, c.criteria, SearchTask::edit);
        ASSERT_EQ(scan.path().kind, c.kind);
        store::Row match;
        ASSERT_EQ(scan.read(search::kScanSlice, match), search::ScheduleScan::Result::match);
        EXPECT_FALSE(match.ref.partial);
        EXPECT_EQ(std::get<std::string>(match.values[def.fieldIndex("SCH:MESSAGE")]), "Backing up");
        EXPECT_EQ(std::get<std::string>(match.values[def.fieldIndex("SCH:DESCRIPTION")]), "Backup");
        EXPECT_EQ(std::get<std::int64_t>(match.values[def.fieldIndex("SCH:TIME")]), 2);
        match.values[def.fieldIndex("SCH:CATEGORY")] = std::string(c.name);
        EXPECT_TRUE(files->table(TableId::schedule).put(match).ok());
    }
}

}  // namespace
}  // namespace tarvelo::test
