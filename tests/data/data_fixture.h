#pragma once
// The data layer's tests work on real data files in a folder of their own, with the message box and the
// halt faked, and race against a second process where the behaviour concerns other programs.
#include <fcntl.h>
#include <poll.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "data/data_files.h"
#include "data/data_warning.h"
#include "fakes/fake_ports.h"

namespace tarvelo::test {

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tarvelo-data-XXXXXX").string();
        m_path = ::mkdtemp(pattern.data());
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

inline std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

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

// A second process working on the same files. Its body runs in the child and returns the exit code; the
// two sides hand each other turns through pipes. Fork only while this process has no data file open:
// SQLite connections must not cross a fork.
class ChildProcess {
public:
    explicit ChildProcess(std::function<int(ChildProcess&)> body) {
        EXPECT_EQ(pipe(m_toChild), 0);
        EXPECT_EQ(pipe(m_toParent), 0);
        EXPECT_EQ(pipe(m_output), 0);
        m_pid = fork();
        if (m_pid == 0) {
            m_isChild = true;
            ::close(m_toChild[1]);
            ::close(m_toParent[0]);
            ::close(m_output[0]);
            _exit(body(*this));
        }
        ::close(m_toChild[0]);
        ::close(m_toParent[1]);
        ::close(m_output[1]);
    }
    ~ChildProcess() {
        if (!m_isChild && m_pid > 0 && !m_joined) join();
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    void tell() {
        const char c = 'x';
        EXPECT_EQ(write(m_isChild ? m_toParent[1] : m_toChild[1], &c, 1), 1);
    }
    // Waits (at most timeoutMs) for the other side's turn; false when it did not come.
    bool await(int timeoutMs = 20000) {
        pollfd p{m_isChild ? m_toChild[0] : m_toParent[0], POLLIN, 0};
        if (poll(&p, 1, timeoutMs) != 1) return false;
        char c;
        return read(p.fd, &c, 1) == 1;
    }
    // Child side: text for the parent to read after join().
    void report(const std::string& text) {
        std::size_t done = 0;
        while (done < text.size()) {
            const auto n = write(m_output[1], text.data() + done, text.size() - done);
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
    }
    // The child's exit code (-1 when it did not exit normally); output() then holds what it reported.
    int join() {
        if (m_joined) return m_exitCode;
        char buffer[4096];
        ssize_t n;
        while ((n = read(m_output[0], buffer, sizeof buffer)) > 0) m_outputText.append(buffer, static_cast<std::size_t>(n));
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_joined = true;
        ::close(m_toChild[1]);
        ::close(m_toParent[0]);
        ::close(m_output[0]);
        m_exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return m_exitCode;
    }
    const std::string& output() const { return m_outputText; }

private:
    int m_toChild[2] = {-1, -1};
    int m_toParent[2] = {-1, -1};
    int m_output[2] = {-1, -1};
    pid_t m_pid = -1;
    bool m_isChild = false;
    bool m_joined = false;
    int m_exitCode = -1;
    std::string m_outputText;
};

// Another program holding the data file's write lock (BEGIN IMMEDIATE) until release() or destruction;
// exclusive: it also keeps every reader out.
class ForeignLock {
public:
    ForeignLock(const std::string& path, bool exclusive = false)
        : m_child([path, exclusive](ChildProcess& self) {
              sqlite3* db = nullptr;
              if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) return 1;
              const char* sql = exclusive ? "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; "
                                            "CREATE TABLE IF NOT EXISTS lock_probe(x); INSERT INTO lock_probe VALUES(1);"
                                          : "BEGIN IMMEDIATE;";
              if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) return 2;
              self.tell();
              self.await(60000);
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
        m_child.tell();
        m_child.join();
    }

private:
    ChildProcess m_child;
    bool m_held = false;
    bool m_released = false;
};

// A folder with the program's data files, the faked ports and one DataFiles over them.
class DataTest : public testing::Test {
protected:
    DataTest() : files(std::make_unique<DataFiles>(warn, folder.path())) {}
    void TearDown() override { store::setLastError(store::Status::okStatus()); }

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
    FakeMessageBox messages;
    FakeHalt halt;
    DataWarning warn{messages, halt};
    std::unique_ptr<DataFiles> files;
};

inline double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace tarvelo::test
