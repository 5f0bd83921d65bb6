// Damage met after a cheap open goes the way damage met at opening goes: a damaged key is offered for
// rebuilding (Yes rebuilds it and the read goes on, No stops the program), damaged records stop the
// program with the file message, and nothing is written to the file before the user has answered.
#include <sqlite3.h>

#include <gtest/gtest.h>

#include "data/data_files.h"
#include "fakes/data_fixture.h"

namespace tarvelo {
namespace {

using test::HaltCalled;

class DamageMetLater : public test::DataTest {
protected:
    // 2,000 tasks in a closed file, then the start of the root page of `name` overwritten.
    void damage(const std::string& name) {
        {
            TableUse use(*files, TableId::schedule);
            auto schedule = files->schedule();
            store::Transaction tx;
            ASSERT_TRUE(tx.begin({&schedule.table()}).ok());
            for (int id = 1; id <= 2000; ++id) {
                Task t;
                t.id = id;
                t.category = "Cat " + std::to_string(id % 7);
                t.description = "Task " + std::to_string(id);
                t.date = 80000 + id % 50;
                ASSERT_TRUE(schedule.add(t).ok());
            }
            ASSERT_TRUE(tx.commit().ok());
        }
        sqlite3* db = nullptr;
        sqlite3_open_v2(dataFile().c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(db, "SELECT rootpage FROM sqlite_schema WHERE name = ?1", -1, &s, nullptr);
        sqlite3_bind_text(s, 1, name.c_str(), -1, SQLITE_TRANSIENT);
        ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
        const auto root = static_cast<std::size_t>(sqlite3_column_int(s, 0));
        sqlite3_finalize(s);
        sqlite3_close(db);
        std::string bytes = test::readBytes(dataFile());
        bytes.replace((root - 1) * 4096, 64, std::string(64, '\xff'));
        test::writeBytes(dataFile(), bytes);
        damaged = bytes;
        // Whatever the user is asked, the file is as the damage left it while the box is open.
        messages.onShow = [this](const platform::MessageBoxRequest&) { unchangedWhileAsked = test::readBytes(dataFile()) == damaged; };
    }
    // Every task in SCH:KEYCATEGORY order.
    int countByCategory() {
        auto schedule = files->schedule();
        Task r;
        int n = 0;
        store::Status s = schedule.setToStart(ScheduleKey::keyCategory);
        while (s.ok() && (s = schedule.next(r)).ok()) ++n;
        EXPECT_EQ(s.code, store::kRecordNotAvailable) << errorText(s);
        return n;
    }

    std::string damaged;
    bool unchangedWhileAsked = false;
};

TEST_F(DamageMetLater, GivenAKeyDamagedWhenTheUserAnswersYesThenTheKeyIsRebuiltAndTheReadGoesOn) {
    damage("Schedule!SCH:KEYCATEGORY");
    TableUse use(*files, TableId::schedule);
    EXPECT_EQ(messages.count(), 0u) << "opening reads no key";

    EXPECT_EQ(countByCategory(), 2000);

    EXPECT_EQ(messages.captions(), std::vector<std::string>{"Invalid Key"});
    EXPECT_EQ(messages.last().text, "SM\\!Schedule key file is invalid.  Do you want to rebuild the key?");
    EXPECT_TRUE(unchangedWhileAsked);
    EXPECT_EQ(countByCategory(), 2000);
    EXPECT_EQ(messages.count(), 1u) << "repaired for good";
}

TEST_F(DamageMetLater, GivenAKeyDamagedWhenTheUserAnswersNoThenTheProgramStopsAndTheFileIsUntouched) {
    damage("Schedule!SCH:KEYCATEGORY");
    TableUse use(*files, TableId::schedule);
    messages.answer(platform::kNo);

    EXPECT_THROW(countByCategory(), HaltCalled);

    EXPECT_EQ(halt.stopTexts(), std::vector<std::string>{"Invalid Key!"});
    EXPECT_EQ(test::readBytes(dataFile()), damaged);
}

TEST_F(DamageMetLater, GivenTheRecordsDamagedThenTheFileMessageStopsTheProgramCleanly) {
    damage("Schedule");
    try {
        TableUse use(*files, TableId::schedule);
        countByCategory();
        ADD_FAILURE() << "the damage went unnoticed";
    } catch (const HaltCalled& h) {
        EXPECT_EQ(h.stopText, "Invalid File!");
    }
    ASSERT_FALSE(messages.requests().empty());
    EXPECT_EQ(messages.last().caption, "Invalid File");
    EXPECT_NE(messages.last().text.find("SQLITE_CORRUPT"), std::string::npos) << messages.last().text;
    EXPECT_TRUE(unchangedWhileAsked);
    EXPECT_EQ(test::readBytes(dataFile()), damaged);
}

}  // namespace
}  // namespace tarvelo
