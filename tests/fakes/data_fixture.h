#pragma once
// The data layer's tests work on real data files in a folder of their own, with the message box and the
// halt faked, and race against a second process where the behaviour concerns other programs.
#include <sqlite3.h>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "data/data_files.h"
#include "data/data_warning.h"
#include "fakes/fake_platform.h"
#include "fakes/store_fixture.h"

namespace tarvelo::test {

using store::testing::ChildProcess;
using store::testing::readBytes;
using store::testing::TempFolder;
using store::testing::writeBytes;

// Runs SQL on a data file through a connection of its own, as a damaging program would.
inline void runSql(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
    const std::string message = error ? error : "";
    sqlite3_free(error);
    sqlite3_close(db);
    ASSERT_EQ(rc, SQLITE_OK) << message;
}

// The names of the indexes a table has in a data file.
inline std::vector<std::string> indexesOf(const std::string& path, const std::string& table) {
    std::vector<std::string> names;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) return names;
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, "SELECT name FROM sqlite_schema WHERE type='index' AND tbl_name=?1 AND sql IS NOT NULL",
                       -1, &s, nullptr);
    sqlite3_bind_text(s, 1, table.c_str(), -1, SQLITE_TRANSIENT);
    while (sqlite3_step(s) == SQLITE_ROW) names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
    sqlite3_finalize(s);
    sqlite3_close(db);
    return names;
}

// Another program holding the data file's write lock (BEGIN IMMEDIATE) until release() or destruction,
// or for holdMs when given; exclusive: it also keeps every reader out.
class ForeignLock {
public:
    ForeignLock(const std::string& path, bool exclusive = false, int holdMs = 0)
        : m_holdMs(holdMs),
          m_child([path, exclusive, holdMs](ChildProcess& self) {
              sqlite3* db = nullptr;
              if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) return 1;
              const char* sql = exclusive ? "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; "
                                            "CREATE TABLE IF NOT EXISTS lock_probe(x); INSERT INTO lock_probe VALUES(1);"
                                          : "BEGIN IMMEDIATE;";
              if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) return 2;
              self.tell();
              self.await(holdMs > 0 ? holdMs : 60000);
              sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
              sqlite3_close(db);
              return 0;
          }) {
        m_held = m_child.await();
        EXPECT_TRUE(m_held) << "the other process could not take the lock";
    }
    ~ForeignLock() { release(); }
    void release() {
        if (m_released) return;
        m_released = true;
        if (m_holdMs == 0) m_child.tell();  // a timed lock lets go by itself
        m_child.join();
    }

private:
    int m_holdMs;
    ChildProcess m_child;
    bool m_held = false;
    bool m_released = false;
};

// The data files of a folder as another program opens them, with its message box and halt faked: for the
// tests that fill a folder before a command runs in it, or read it afterwards.
struct FolderFiles {
    explicit FolderFiles(const std::string& folder) : files(warn, folder) {}
    FakeMessageBox messages;
    FakeHalt halt;
    DataWarning warn{messages, halt};
    DataFiles files;
};

// A folder with the program's data files, the faked ports and one DataFiles over them.
class DataTest : public testing::Test {
protected:
    DataTest() : files(std::make_unique<DataFiles>(warn, folder.path())) {}

    std::string dataFile() const { return folder.file("SM.KTB"); }
    std::string tagFile() const { return folder.file("TagFile_.KTB"); }
    // Drops this program's DataFiles (every table closed), so a second process may be forked.
    void closeFiles() { files.reset(); }
    void reopenFiles() { files = std::make_unique<DataFiles>(warn, folder.path()); }
    // Creates every table, then closes them all.
    void createTables() {
        for (int i = 0; i < kTableCount; ++i) {
            files->use(static_cast<TableId>(i));
            files->release(static_cast<TableId>(i));
        }
    }

    TempFolder folder;
    FakePlatform fake;
    FakeMessageBox& messages = fake.messages;
    FakeHalt& halt = fake.halt;
    DataWarning warn{fake};
    std::unique_ptr<DataFiles> files;
};

inline double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace tarvelo::test
