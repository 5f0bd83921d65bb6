// Opening, creating and rebuilding tables, and what each kind of damaged or foreign file reports.
#include <grp.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <ostream>

#include "store/database.h"
#include "fakes/store_fixture.h"

namespace tarvelo::store::testing {
namespace {

// Runs SQL on the data file behind the driver's back, as another tool would; returns the first column.
std::string tamper(const std::string& file, const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    std::string first;
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql.c_str(), [](void* out, int, char** values, char**) {
        if (values[0]) *static_cast<std::string*>(out) = values[0];
        return 0;
    }, &first, &error);
    EXPECT_EQ(rc, SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
    return first;
}

class Opening : public ::testing::Test {
protected:
    // A closed data file holding tasks 1..count.
    void makeTasks(int count) {
        Table t(taskDef(), folder.path());
        openOrCreate(t);
        Transaction tx;
        ASSERT_TRUE(tx.begin({&t}).ok());
        for (int id = 1; id <= count; ++id) addAll(t, {task(id, "Cat " + std::to_string(id % 7), "Task " + std::to_string(id), 80000 + id % 50, id)});
        ASSERT_TRUE(tx.commit().ok());
    }
    std::string dataFile() const { return folder.file("SM.KTB"); }

    TempFolder folder;
    Table tasks{taskDef(), folder.path()};
};

TEST_F(Opening, givenNoFileOrNoTableOrEmptyFileWhenOpenedThenFileNotFoundUntilCreated) {
    EXPECT_EQ(tasks.open().message, "File Not Found");
    ASSERT_TRUE(tasks.create().ok());
    EXPECT_FALSE(tasks.isOpen());
    ASSERT_TRUE(tasks.open().ok());
    EXPECT_EQ(tasks.open().code, kFileAlreadyOpen);
    EXPECT_EQ(tasks.name(), "SM\\!Schedule");
    addAll(tasks, {task(1, "c", "d")});

    Table categories(categoryDef(), folder.path());  // another table of the same file
    EXPECT_EQ(categories.open().code, kFileNotFound);
    ASSERT_TRUE(categories.create().ok() && categories.open().ok());
    EXPECT_EQ(tasks.create().code, kFileAlreadyOpen);
    Table again(taskDef(), folder.path());
    EXPECT_TRUE(again.create().ok());  // an existing table is left as it is
    EXPECT_EQ(tasks.records().value(), 1);

    TempFolder other;
    writeBytes(other.file("SM.KTB"), "");
    Table fresh(taskDef(), other.path());
    EXPECT_EQ(fresh.open().code, kFileNotFound);
    EXPECT_TRUE(fresh.create().ok() && fresh.open().ok());
}

struct KeyDamage {
    const char* name;
    const char* sql;
};

class DamagedKeys : public Opening, public ::testing::WithParamInterface<KeyDamage> {};

TEST_P(DamagedKeys, givenIndexNotAsDerivedWhenOpenedThen46AndBuildRepairsIt) {
    makeTasks(20);
    tamper(dataFile(), GetParam().sql);
    EXPECT_EQ(tasks.open().message, "Key File Must Be Rebuilt");
    const Status built = tasks.build();
    ASSERT_TRUE(built.ok()) << built;
    ASSERT_TRUE(tasks.open().ok());
    const Ids byDate = readAll(tasks, kKeyDate, kDate);
    EXPECT_EQ(byDate.size(), 20u);
    EXPECT_TRUE(std::is_sorted(byDate.begin(), byDate.end()));
    Row dup = task(5, "x", "y");
    EXPECT_EQ(tasks.add(dup).code, kDuplicateKey);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedKeys,
    ::testing::Values(
        KeyDamage{"missing", "DROP INDEX \"Schedule!SCH:KEYDATE\""},
        KeyDamage{"otherColumns", "DROP INDEX \"Schedule!SCH:KEYDATE\"; CREATE INDEX \"Schedule!SCH:KEYDATE\" ON Schedule (DATE)"},
        KeyDamage{"noLongerUnique", "DROP INDEX \"Schedule!SCH:KEYID\"; CREATE INDEX \"Schedule!SCH:KEYID\" ON Schedule (ID) WHERE NOT (\"ID\" = 0)"},
        KeyDamage{"foreignIndex", "CREATE INDEX stray ON Schedule (ID)"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Opening, givenDuplicatesInUniqueKeyWhenBuildingThen40AndNothingHalfBuiltKept) {
    makeTasks(3);
    tamper(dataFile(), "DROP INDEX \"Schedule!SCH:KEYID\"; UPDATE Schedule SET ID = 1");
    EXPECT_EQ(tasks.build().code, kDuplicateKey);
    EXPECT_EQ(tasks.open().code, kKeyFileMustBeRebuilt);
    EXPECT_EQ(tamper(dataFile(), "SELECT count(*) FROM sqlite_schema WHERE type = 'index' AND tbl_name = 'Schedule'"), "4");
}

class MismatchedDeclaration : public Opening, public ::testing::WithParamInterface<std::pair<const char*, void (*)(TableDef&)>> {};

TEST_P(MismatchedDeclaration, givenStoredTableOfAnotherLayoutWhenOpenedThen47) {
    TableDef stored = taskDef();
    GetParam().second(stored);
    Table old(stored, folder.path());
    openOrCreate(old);
    old.close();
    EXPECT_EQ(tasks.open().message, "Invalid Record Declaration");
    EXPECT_FALSE(tasks.isOpen());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MismatchedDeclaration,
    ::testing::Values(
        std::pair{"extraField", +[](TableDef& d) { d.fields.push_back({"SCH:EXTRA", FieldType::Long, 0}); }},
        std::pair{"missingField", +[](TableDef& d) { d.fields.pop_back(); }},
        std::pair{"numberBecameText", +[](TableDef& d) { d.fields[kDate].type = FieldType::String; }},
        std::pair{"renamedField", +[](TableDef& d) { d.fields[kMessage].name = "SCH:NOTE"; }},
        std::pair{"swappedFields", +[](TableDef& d) { std::swap(d.fields[kDate], d.fields[kTime]); }}),
    [](const auto& info) { return std::string(info.param.first); });

TEST_F(Opening, givenDataFileThatIsNoDatabaseThenReportedEverywhereAndLeftByteIdentical) {
    for (const std::string& foreign : {"Some other program's file: not ours to touch.\n" + std::string(3000, 'z'), std::string("SQLite")}) {
        writeBytes(dataFile(), foreign);
        for (Status s : {tasks.open(), tasks.create(), tasks.build()}) {
            EXPECT_EQ(s.code, kDriverError);
            EXPECT_EQ(s.driverCode, "SQLITE_NOTADB (26)");
            EXPECT_EQ(s.driverMessage, "file is not a database");
        }
        EXPECT_EQ(readBytes(dataFile()), foreign);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
    }
}

// Files of other programs, or ours with code of somebody else's in them: refused with the layout code
// before anything is written (not even the switch to the write-ahead log, header bytes 18 and 19).
struct ForeignLayout {
    const char* name;
    bool ours;        // the file was made by the driver, then changed by another program
    const char* sql;
    friend void PrintTo(const ForeignLayout& c, std::ostream* os) { *os << c.name; }
};

class ForeignLayouts : public Opening, public ::testing::WithParamInterface<ForeignLayout> {};

TEST_P(ForeignLayouts, givenFileNotOfOursThenRefusedWith47AndLeftByteIdentical) {
    if (GetParam().ours) makeTasks(400);
    tamper(dataFile(), GetParam().sql);
    const std::string before = readBytes(dataFile());
    ASSERT_GT(before.size(), 100u);

    Table categories(categoryDef(), folder.path());
    for (Status s : {tasks.open(), tasks.create(), tasks.build(), categories.create(), categories.open()}) {
        EXPECT_EQ(s.code, kInvalidRecordDeclaration) << s.message << " " << s.driverMessage;
    }

    // A lean open, which skips the look at the whole file, still refuses code of somebody else's.
    if (GetParam().ours) {
        Table lean(taskDef(), folder.path());
        lean.setOpening(store::Opening::lean);
        EXPECT_EQ(lean.open().code, kInvalidRecordDeclaration);
    }

    EXPECT_EQ(readBytes(dataFile()), before);
    // Nothing beside it either: not the switch to the write-ahead log, nor the log and index that even a
    // read-only look at a logged file would leave.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1) << "only the file itself";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ForeignLayouts,
    ::testing::Values(
        ForeignLayout{"scheduleOfAnotherProgram", false,
                      "CREATE TABLE Schedule (ID INTEGER, DESCRIPTION TEXT); INSERT INTO Schedule VALUES (1, 'theirs')"},
        ForeignLayout{"tableOfAnotherProgram", false, "CREATE TABLE notes (line TEXT); INSERT INTO notes VALUES ('x')"},
        ForeignLayout{"loggedFileOfAnotherProgram", false,
                      "PRAGMA journal_mode=WAL; CREATE TABLE notes (line TEXT); INSERT INTO notes VALUES ('x')"},
        ForeignLayout{"triggerThatWipesTasks", true,
                      "CREATE TRIGGER wipe AFTER INSERT ON Schedule BEGIN DELETE FROM Schedule; END"},
        ForeignLayout{"view", true, "CREATE VIEW everything AS SELECT * FROM Schedule"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Opening, givenTruncatedDataFileWhenOpenedThenDriverErrorAndFileUntouched) {
    makeTasks(3000);
    std::string bytes = readBytes(dataFile());
    bytes.resize(bytes.size() / 2);
    writeBytes(dataFile(), bytes);
    const Status s = tasks.open();
    EXPECT_EQ(s.code, kDriverError);
    EXPECT_EQ(s.driverCode, "SQLITE_CORRUPT (11)");
    EXPECT_FALSE(tasks.isOpen());
    EXPECT_EQ(readBytes(dataFile()), bytes);
}

TEST_F(Opening, givenReadOnlyDataFileThenReadsWorkAndWritesFailCleanly) {
    makeTasks(5);
    ASSERT_EQ(Database::openCount(), 0);
    const std::string before = readBytes(dataFile());
    ASSERT_EQ(::chmod(dataFile().c_str(), 0444), 0);
    ASSERT_EQ(::chmod(folder.path().c_str(), 0777), 0);
    // Root may write anything; the check runs as an ordinary user then, the owner of the file.
    if (geteuid() == 0) {
        ASSERT_EQ(::chown(dataFile().c_str(), 65534, 65534), 0);
    }
    ChildProcess reader([&](ChildProcess&) {
        if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)) return 10;
        Table t(taskDef(), folder.path());
        if (!t.open().ok() || readAll(t, kKeyId).size() != 5) return 11;
        Row r = task(6, "c", "d");
        const Status added = t.add(r);
        if (added.code != kDriverError || added.driverCode != "SQLITE_READONLY (8)") return 12;
        Row first;
        if (!t.fetch(kKeyId, task(1, "", ""), first).ok() || t.put(first).code != kDriverError) return 13;
        Transaction tx;
        return tx.begin({&t}).code == kDriverError ? 0 : 14;  // refused at once, not at the first write
    });
    EXPECT_EQ(reader.join(), 0);
    EXPECT_EQ(readBytes(dataFile()), before);
}

}  // namespace
}  // namespace tarvelo::store::testing
