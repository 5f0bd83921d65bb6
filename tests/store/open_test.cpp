// Opening, creating and rebuilding tables, and what each kind of damaged or foreign file reports.
#include <grp.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "store/database.h"
#include "store_test_support.h"

namespace tarvelo::store::testing {
namespace {

// Runs SQL on the data file behind the driver's back, as another tool would.
void tamper(const std::string& file, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
    EXPECT_EQ(rc, SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
}

std::int64_t rootPage(const std::string& file, const std::string& name) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, "SELECT rootpage FROM sqlite_schema WHERE name = ?1", -1, &s, nullptr);
    sqlite3_bind_text(s, 1, name.c_str(), -1, SQLITE_TRANSIENT);
    const std::int64_t page = sqlite3_step(s) == SQLITE_ROW ? sqlite3_column_int64(s, 0) : 0;
    sqlite3_finalize(s);
    sqlite3_close(db);
    return page;
}

class Opening : public ::testing::Test {
protected:
    // A closed data file holding tasks 1..count.
    void makeTasks(int count) {
        Table t(taskDef(), folder.path());
        openOrCreate(t);
        Transaction tx;
        ASSERT_TRUE(tx.begin({&t}, 2).ok());
        for (int id = 1; id <= count; ++id) {
            Row r = task(id, "Cat " + std::to_string(id % 7), "Task " + std::to_string(id), 80000 + id % 50, id);
            ASSERT_TRUE(t.add(r).ok());
        }
        ASSERT_TRUE(tx.commit().ok());
    }
    std::string dataFile() const { return folder.file("SM.KTB"); }

    TempFolder folder;
};

TEST_F(Opening, givenNoDataFileWhenOpenedThenFileNotFoundAndCreateThenOpenWorks) {
    Table t(taskDef(), folder.path());
    EXPECT_EQ(t.open().code, kFileNotFound);
    EXPECT_EQ(lastError().message, "File Not Found");
    EXPECT_FALSE(t.isOpen());
    ASSERT_TRUE(t.create().ok());
    EXPECT_FALSE(t.isOpen());
    ASSERT_TRUE(t.open().ok());
    EXPECT_TRUE(t.isOpen());
    EXPECT_EQ(t.open().code, kFileAlreadyOpen);
    EXPECT_EQ(t.records(), 0);
}

TEST_F(Opening, givenFileWithOtherTablesWhenOpeningMissingTableThenFileNotFoundAndCreateAddsIt) {
    makeTasks(3);
    Table categories(categoryDef(), folder.path());
    EXPECT_EQ(categories.open().code, kFileNotFound);
    ASSERT_TRUE(categories.create().ok());
    ASSERT_TRUE(categories.open().ok());
    Table tasks(taskDef(), folder.path());
    ASSERT_TRUE(tasks.open().ok());
    EXPECT_EQ(tasks.records(), 3);
}

TEST_F(Opening, givenExistingTableWhenCreatedAgainThenLeftAsItWas) {
    makeTasks(3);
    Table t(taskDef(), folder.path());
    EXPECT_TRUE(t.create().ok());
    ASSERT_TRUE(t.open().ok());
    EXPECT_EQ(t.records(), 3);
}

TEST_F(Opening, givenEmptyFileWhenOpenedThenFileNotFoundAndCreateUsesIt) {
    writeBytes(dataFile(), "");
    Table t(taskDef(), folder.path());
    EXPECT_EQ(t.open().code, kFileNotFound);
    ASSERT_TRUE(t.create().ok());
    EXPECT_TRUE(t.open().ok());
}

struct KeyDamage {
    const char* name;
    const char* sql;
};

class DamagedKeys : public Opening, public ::testing::WithParamInterface<KeyDamage> {};

TEST_P(DamagedKeys, givenIndexNotAsDerivedWhenOpenedThen46AndBuildRepairsIt) {
    makeTasks(20);
    tamper(dataFile(), GetParam().sql);
    Table t(taskDef(), folder.path());
    EXPECT_EQ(t.open().code, kKeyFileMustBeRebuilt);
    EXPECT_EQ(lastError().message, "Key File Must Be Rebuilt");
    ASSERT_TRUE(t.build().ok()) << lastError().driverMessage;
    ASSERT_TRUE(t.open().ok());
    std::vector<Row> byDate = readAll(t, kKeyDate);
    ASSERT_EQ(byDate.size(), 20u);
    for (std::size_t i = 1; i < byDate.size(); ++i) EXPECT_LE(number(byDate[i - 1], kDate), number(byDate[i], kDate));
    Row dup = task(5, "x", "y");
    EXPECT_EQ(t.add(dup).code, kDuplicateKey);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedKeys,
    ::testing::Values(
        KeyDamage{"missing", "DROP INDEX \"Schedule!SCH:KEYDATE\""},
        KeyDamage{"otherColumns", "DROP INDEX \"Schedule!SCH:KEYDATE\"; CREATE INDEX \"Schedule!SCH:KEYDATE\" ON Schedule (DATE)"},
        KeyDamage{"noLongerUnique", "DROP INDEX \"Schedule!SCH:KEYID\"; CREATE INDEX \"Schedule!SCH:KEYID\" ON Schedule (ID) WHERE NOT (\"ID\" = 0)"},
        KeyDamage{"foreignIndex", "CREATE INDEX stray ON Schedule (ID)"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Opening, givenDuplicatesInUniqueKeyWhenBuildingThen40AndOldKeysKept) {
    makeTasks(3);
    tamper(dataFile(), "DROP INDEX \"Schedule!SCH:KEYID\"; UPDATE Schedule SET ID = 1");
    Table t(taskDef(), folder.path());
    EXPECT_EQ(t.open().code, kKeyFileMustBeRebuilt);
    EXPECT_EQ(t.build().code, kDuplicateKey);
    EXPECT_EQ(t.open().code, kKeyFileMustBeRebuilt);  // nothing half-built was kept
    EXPECT_EQ(rootPage(dataFile(), "Schedule!SCH:KEYID"), 0);
    EXPECT_NE(rootPage(dataFile(), "Schedule!SCH:KEYDATE"), 0);
}

TEST_F(Opening, givenIndexPageOverwrittenWhenOpenedThen46AndBuildRestoresTheKey) {
    makeTasks(2000);
    const std::int64_t root = rootPage(dataFile(), "Schedule!SCH:KEYCATEGORY");
    ASSERT_GT(root, 1);
    std::string bytes = readBytes(dataFile());
    const std::size_t pageSize = 4096;
    ASSERT_GE(bytes.size(), static_cast<std::size_t>(root) * pageSize);
    for (std::size_t i = 0; i < 64; ++i) bytes[(static_cast<std::size_t>(root) - 1) * pageSize + i] = '\xff';
    writeBytes(dataFile(), bytes);
    Table t(taskDef(), folder.path());
    EXPECT_EQ(t.open().code, kKeyFileMustBeRebuilt);
    Status built = t.build();
    EXPECT_TRUE(built.ok()) << built.driverCode << " " << built.driverMessage;
    ASSERT_TRUE(t.open().ok()) << lastError().driverMessage;
    EXPECT_EQ(readAll(t, kKeyCategory).size(), 2000u);
}

struct Declaration {
    const char* name;
    std::function<void(TableDef&)> change;
};

class MismatchedDeclaration : public Opening, public ::testing::WithParamInterface<Declaration> {};

TEST_P(MismatchedDeclaration, givenStoredTableOfAnotherLayoutWhenOpenedThen47) {
    TableDef stored = taskDef();
    GetParam().change(stored);
    Table old(stored, folder.path());
    openOrCreate(old);
    old.close();
    Table t(taskDef(), folder.path());
    EXPECT_EQ(t.open().code, kInvalidRecordDeclaration);
    EXPECT_EQ(lastError().message, "Invalid Record Declaration");
    EXPECT_FALSE(t.isOpen());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MismatchedDeclaration,
    ::testing::Values(
        Declaration{"extraField", [](TableDef& d) { d.fields.push_back({"SCH:EXTRA", FieldType::Long, 0}); }},
        Declaration{"missingField", [](TableDef& d) { d.fields.pop_back(); }},
        Declaration{"numberBecameText", [](TableDef& d) { d.fields[kDate].type = FieldType::String; d.fields[kDate].width = 10; }},
        Declaration{"renamedField", [](TableDef& d) { d.fields[kDescription].name = "SCH:TITLE"; d.keys[kKeyCategory].components[1] = "SCH:TITLE"; }},
        Declaration{"swappedFields", [](TableDef& d) { std::swap(d.fields[kDate], d.fields[kTime]); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Opening, givenDataFileThatIsNoDatabaseThenReportedEverywhereAndLeftByteIdentical) {
    const std::string foreign = "Clarion TopSpeed file, or anything else: not ours to touch.\n" + std::string(3000, 'z');
    writeBytes(dataFile(), foreign);
    Table t(taskDef(), folder.path());
    for (Status s : {t.open(), t.create(), t.build()}) {
        EXPECT_EQ(s.code, kDriverError);
        EXPECT_EQ(s.driverCode, "SQLITE_NOTADB (26)");
        EXPECT_EQ(s.driverMessage, "file is not a database");
    }
    EXPECT_EQ(readBytes(dataFile()), foreign);
    std::vector<std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(folder.path())) files.push_back(e.path().filename().string());
    EXPECT_EQ(files, (std::vector<std::string>{"SM.KTB"}));
}

TEST_F(Opening, givenTinyFileWhenOpenedThenNotADatabase) {
    writeBytes(dataFile(), "SQLite");
    Table t(taskDef(), folder.path());
    EXPECT_EQ(t.open().driverCode, "SQLITE_NOTADB (26)");
    EXPECT_EQ(readBytes(dataFile()), "SQLite");
}

TEST_F(Opening, givenTruncatedDataFileWhenOpenedThenDriverErrorAndFileUntouched) {
    makeTasks(3000);
    std::string bytes = readBytes(dataFile());
    ASSERT_GT(bytes.size(), 100000u);
    bytes.resize(bytes.size() / 2);
    writeBytes(dataFile(), bytes);
    Table t(taskDef(), folder.path());
    Status s = t.open();
    EXPECT_EQ(s.code, kDriverError);
    EXPECT_EQ(s.driverCode, "SQLITE_CORRUPT (11)");
    EXPECT_FALSE(t.isOpen());
    EXPECT_EQ(readBytes(dataFile()), bytes);
}

TEST_F(Opening, givenReadOnlyDataFileThenReadsWorkAndWritesFailCleanly) {
    makeTasks(5);
    ASSERT_EQ(Database::openCount(), 0);
    const std::string before = readBytes(dataFile());
    ASSERT_EQ(::chmod(dataFile().c_str(), 0444), 0);
    ASSERT_EQ(::chmod(folder.path().c_str(), 0777), 0);
    // Root may write anything; the check runs as an ordinary user then.
    ChildProcess reader([&](ChildProcess&) {
        if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)) return 10;
        Table t(taskDef(), folder.path());
        if (!t.open().ok()) return 11;
        if (readAll(t, kKeyId).size() != 5) return 12;
        Row r = task(6, "c", "d");
        const Status added = t.add(r);
        if (added.code != kDriverError || added.driverCode != "SQLITE_READONLY (8)") return 13;
        Row first;
        if (!t.fetch(kKeyId, task(1, "", ""), first).ok()) return 14;
        if (t.put(first).code != kDriverError) return 15;
        Transaction tx;
        if (tx.begin({&t}, 1).ok()) return 16;
        return 0;
    });
    EXPECT_EQ(reader.join(), 0);
    EXPECT_EQ(readBytes(dataFile()), before);
}

TEST(StatusTexts, givenEachCodeThenItsStandardText) {
    const std::pair<int, const char*> texts[] = {
        {kFileNotFound, "File Not Found"},
        {kAccessDenied, "Access Denied"},
        {kRecordNotAvailable, "Record Not Available"},
        {kRecordNotFound, "Record Not Found"},
        {kDuplicateKey, "Creates Duplicate Key"},
        {kKeyFileMustBeRebuilt, "Key File Must Be Rebuilt"},
        {kInvalidRecordDeclaration, "Invalid Record Declaration"},
        {kFileAlreadyOpen, "File Already Open"},
        {kRecordChanged, "Record Changed By Another Station"},
    };
    for (const auto& [code, message] : texts) {
        EXPECT_EQ(Status::make(code).message, message);
        EXPECT_EQ(Status::make(code).code, code);
        EXPECT_FALSE(Status::make(code).ok());
    }
    const Status busy = Status::driver(SQLITE_BUSY, "database is locked");
    EXPECT_EQ(busy.code, kDriverError);
    EXPECT_EQ(busy.driverCode, "SQLITE_BUSY (5)");
    EXPECT_EQ(busy.driverMessage, "database is locked");
    EXPECT_EQ(Status::driver(SQLITE_IOERR_WRITE, "disk I/O error").driverCode, "SQLITE_IOERR (778)");
}

}  // namespace
}  // namespace tarvelo::store::testing
