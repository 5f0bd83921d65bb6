// Damage inside the file is found when an operation meets it, not by reading everything at open: a
// damaged key is told from damaged records, the damage handler hears of it (after the transaction it was
// met in), and a read is tried again once the handler has rebuilt the keys.
#include <sqlite3.h>

#include <gtest/gtest.h>

#include "fakes/store_fixture.h"

namespace tarvelo::store::testing {
namespace {

class Damage : public ::testing::Test {
protected:
    void SetUp() override {
        Table t(taskDef(), folder.path());
        openOrCreate(t);
        Transaction tx;
        ASSERT_TRUE(tx.begin({&t}).ok());
        for (int id = 1; id <= 2000; ++id) addAll(t, {task(id, "Cat " + std::to_string(id % 7), "Task " + std::to_string(id), 80000 + id % 50, id)});
        ASSERT_TRUE(tx.commit().ok());
    }  // closed: everything is in the file itself now

    // Overwrites the start of the root page of a table or index of the file.
    void scribbleOver(const std::string& name) {
        sqlite3* db = nullptr;
        sqlite3_open_v2(file().c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(db, "SELECT rootpage FROM sqlite_schema WHERE name = ?1", -1, &s, nullptr);
        sqlite3_bind_text(s, 1, name.c_str(), -1, SQLITE_TRANSIENT);
        ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
        const auto root = static_cast<std::size_t>(sqlite3_column_int(s, 0));
        sqlite3_finalize(s);
        sqlite3_close(db);
        std::string bytes = readBytes(file());
        ASSERT_GE(bytes.size(), root * 4096);
        bytes.replace((root - 1) * 4096, 64, std::string(64, '\xff'));
        writeBytes(file(), bytes);
        damaged = bytes;
    }
    std::string file() const { return folder.file("SM.KTB"); }

    TempFolder folder;
    Table tasks{taskDef(), folder.path()};
    std::string damaged;  // the file's bytes right after the damage
};

TEST_F(Damage, givenAKeyPageDamagedThenOpeningSucceedsAndTheFirstReadInThatKeySays46) {
    scribbleOver("Schedule!SCH:KEYCATEGORY");

    ASSERT_TRUE(tasks.open().ok()) << "opening reads no key";
    EXPECT_EQ(readAll(tasks, kKeyDate).size(), 2000u) << "the other keys read on";
    Row r;
    ASSERT_TRUE(tasks.setToStart(kKeyCategory).ok());
    EXPECT_EQ(tasks.next(r).code, kKeyFileMustBeRebuilt);

    EXPECT_EQ(readBytes(file()), damaged) << "nothing written";
    const Status built = tasks.build();
    ASSERT_TRUE(built.ok()) << built;
    EXPECT_EQ(readAll(tasks, kKeyCategory).size(), 2000u);
    std::vector<std::string> problems;
    ASSERT_TRUE(tasks.verifyFile(problems).ok());
    EXPECT_EQ(problems, std::vector<std::string>{});
}

TEST_F(Damage, givenAHandlerThatRebuildsTheKeysThenTheReadIsTriedAgainAndSucceeds) {
    scribbleOver("Schedule!SCH:KEYCATEGORY");
    std::vector<int> heard;
    tasks.setDamageHandler([&](Table& t, const Status& s) {
        heard.push_back(s.code);
        EXPECT_EQ(readBytes(file()), damaged) << "nothing written before the handler decides";
        return t.build().ok();
    });
    ASSERT_TRUE(tasks.open().ok());

    EXPECT_EQ(readAll(tasks, kKeyCategory).size(), 2000u);
    EXPECT_EQ(heard, std::vector<int>{kKeyFileMustBeRebuilt});
}

TEST_F(Damage, givenTheRecordsDamagedThenReadsSayCorruptAndTheHandlerIsToldSo) {
    scribbleOver("Schedule");
    std::vector<std::string> heard;
    tasks.setDamageHandler([&](Table&, const Status& s) {
        heard.push_back(s.driverCode);
        return false;
    });

    const Status opened = tasks.open();
    Row r;
    Status read = opened;
    if (read.ok()) read = tasks.setToStart(kKeyId);
    if (read.ok()) read = tasks.next(r);

    EXPECT_EQ(read.code, kDriverError);
    EXPECT_EQ(read.driverCode.rfind("SQLITE_CORRUPT", 0), 0u) << read.driverCode;
    if (opened.ok()) {
        EXPECT_EQ(heard.size(), 1u);
    }
    EXPECT_EQ(readBytes(file()), damaged);
}

TEST_F(Damage, givenDamageMetInsideATransactionThenTheHandlerHearsOfItAtTheFirstUseAfterIt) {
    scribbleOver("Schedule!SCH:KEYCATEGORY");
    int heard = 0;
    tasks.setDamageHandler([&](Table& t, const Status&) {
        ++heard;
        return t.build().ok();
    });
    ASSERT_TRUE(tasks.open().ok());
    {
        Transaction tx;
        ASSERT_TRUE(tx.begin({&tasks}).ok());
        Row r;
        ASSERT_TRUE(tasks.setToStart(kKeyCategory).ok());
        EXPECT_EQ(tasks.next(r).code, kKeyFileMustBeRebuilt);
        EXPECT_EQ(heard, 0) << "no rebuild inside somebody's transaction";
    }  // rolled back

    EXPECT_EQ(readAll(tasks, kKeyCategory).size(), 2000u);
    EXPECT_EQ(heard, 1);
}

}  // namespace
}  // namespace tarvelo::store::testing
