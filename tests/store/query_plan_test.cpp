// Every keyed read must be an index seek or an index-ordered walk that stops at its limit: never a scan
// of the table, never a sort. A collation or condition that SQLite cannot match to the index would make
// the plans below fall back silently, and paging would get slower with every record.
#include <sqlite3.h>

#include <gtest/gtest.h>

#include "store/database.h"
#include "store/schema.h"
#include "fakes/store_fixture.h"

namespace tarvelo::store {
void PrintTo(const TableDef& def, std::ostream* os) { *os << def.tableName; }
}  // namespace tarvelo::store

namespace tarvelo::store::testing {
namespace {

std::string plan(Database& db, const std::string& sql) {
    sqlite3_stmt* s = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db.handle(), ("EXPLAIN QUERY PLAN " + sql).c_str(), -1, &s, nullptr), SQLITE_OK)
        << sqlite3_errmsg(db.handle());
    std::string out;
    while (sqlite3_step(s) == SQLITE_ROW) out += std::string(reinterpret_cast<const char*>(sqlite3_column_text(s, 3))) + "; ";
    sqlite3_finalize(s);
    return out;
}

class QueryPlans : public ::testing::TestWithParam<TableDef> {
protected:
    void SetUp() override {
        openOrCreate(table);
        Transaction tx;
        ASSERT_TRUE(tx.begin({&table}).ok());
        for (int i = 1; i <= 300; ++i) {
            Row r;
            for (const auto& f : table.def().fields) {
                if (f.type == FieldType::Byte) r.values.emplace_back(std::int64_t{i % 2});
                else if (f.type == FieldType::Long) r.values.emplace_back(std::int64_t{i});
                else r.values.emplace_back("text " + std::to_string(i % 17) + "-" + std::to_string(i));
            }
            addAll(table, {r});
        }
        ASSERT_TRUE(tx.commit().ok());
        ASSERT_TRUE(table.database().exec("ANALYZE").ok());
    }

    TempFolder folder;
    Table table{GetParam(), folder.path()};
};

TEST_P(QueryPlans, givenEachKeyThenSeeksAndWalksUseItsOwnIndexWithoutScanOrSort) {
    const detail::Schema schema = detail::deriveSchema(table.def());
    for (const detail::KeySql& key : schema.keys) {
        for (const std::string* sql : {&key.selectAfter, &key.selectBefore, &key.selectEqual, &key.selectDuplicate,
                                       &key.selectFirst, &key.selectLast}) {
            // From either end the walk goes in index order and stops at its limit; every other read seeks.
            const bool seeks = sql != &key.selectFirst && sql != &key.selectLast;
            const std::string p = plan(table.database(), *sql);
            EXPECT_NE(p.find("INDEX " + key.indexName), std::string::npos) << p << "\n" << *sql;
            EXPECT_EQ(p.find("TEMP B-TREE"), std::string::npos) << p << "\n" << *sql;
            if (seeks) {
                EXPECT_TRUE(p.find("SEARCH") != std::string::npos && p.find("SCAN") == std::string::npos) << p << "\n" << *sql;
            }
        }
    }
    EXPECT_NE(plan(table.database(), schema.selectByRowId).find("INTEGER PRIMARY KEY"), std::string::npos);
    // The last of each value: one seek on the key's index per value, then by row id; the table is never
    // walked.
    for (std::size_t key = 0; key < schema.keys.size(); ++key) {
        const std::string sql = detail::lastOfEachSql(table.def(), schema, static_cast<int>(key), 3);
        const std::string p = plan(table.database(), sql);
        EXPECT_NE(p.find("SEARCH " + table.def().tableName + " USING COVERING INDEX " + schema.keys[key].indexName),
                  std::string::npos) << p << "\n" << sql;
        EXPECT_EQ(p.find("SCAN " + table.def().tableName), std::string::npos) << p << "\n" << sql;
    }
    // Record order walks the table itself in row id order, and seeks its place by row id.
    for (const std::string* sql : {&schema.recordOrder.selectFirst, &schema.recordOrder.selectLast,
                                   &schema.recordOrder.selectAfter, &schema.recordOrder.selectBefore}) {
        const std::string p = plan(table.database(), *sql);
        EXPECT_EQ(p.find("TEMP B-TREE"), std::string::npos) << p << "\n" << *sql;
        EXPECT_EQ(p.find("INDEX"), std::string::npos) << p << "\n" << *sql;
    }
    for (const std::string* sql : {&schema.recordOrder.selectAfter, &schema.recordOrder.selectBefore, &schema.countAfter}) {
        const std::string p = plan(table.database(), *sql);
        EXPECT_NE(p.find("SEARCH"), std::string::npos) << p << "\n" << *sql;
        EXPECT_NE(p.find("INTEGER PRIMARY KEY"), std::string::npos) << p << "\n" << *sql;
    }
}

INSTANTIATE_TEST_SUITE_P(Tables, QueryPlans, ::testing::Values(taskDef(), categoryDef(), todoDef()),
                         [](const auto& info) { return info.param.tableName; });

}  // namespace
}  // namespace tarvelo::store::testing
