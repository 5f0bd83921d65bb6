#pragma once
// Tables shaped like the program's own, temporary folders, and a second process to race against.
#include <poll.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "fakes/temp_folder.h"
#include "store/store.h"

namespace tarvelo::store {

// Failure messages name a status in full (found by argument-dependent lookup, so beside Status).
inline std::ostream& operator<<(std::ostream& out, const Status& s) {
    out << s.code << " " << s.message;
    if (!s.driverCode.empty()) out << " " << s.driverCode << " " << s.driverMessage;
    return out;
}

}  // namespace tarvelo::store

namespace tarvelo::store::testing {

using test::TempFolder;

inline std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Schedule-like: a unique id, date/time keys, text keys and a flag-first key, and a memo.
enum TaskField { kId, kTaskType, kCategory, kDescription, kDate, kTime, kDisabled, kMessage };
enum TaskKey { kKeyId, kKeyDate, kKeyCategory, kKeyDateEnabled, kKeyCategoryDate };

inline TableDef taskDef() {
    TableDef d{"SM", "Schedule", "SCH", {}, {}};
    d.fields = {{"SCH:ID", FieldType::Long, 0},          {"SCH:TASKTYPE", FieldType::String, 20},
                {"SCH:CATEGORY", FieldType::String, 20}, {"SCH:DESCRIPTION", FieldType::String, 40},
                {"SCH:DATE", FieldType::Long, 0},        {"SCH:TIME", FieldType::Long, 0},
                {"SCH:DISABLED", FieldType::Byte, 0},    {"SCH:MESSAGE", FieldType::Memo, 1000}};
    d.keys = {{"SCH:KEYID", {"SCH:ID"}, true, true, "By System ID"},
              {"SCH:KEYDATE", {"SCH:DATE", "SCH:TIME"}, false, true, ""},
              {"SCH:KEYCATEGORY", {"SCH:CATEGORY", "SCH:DESCRIPTION"}, false, true, ""},
              {"SCH:KEYDATEENABLED", {"SCH:DISABLED", "SCH:DATE", "SCH:TIME"}, false, true, ""},
              {"SCH:KEYCATEGORYDATE", {"SCH:CATEGORY", "SCH:DATE", "SCH:TIME"}, false, true, ""}};
    return d;
}

inline Row task(std::int64_t id, std::string category, std::string description, std::int64_t date = 0,
                std::int64_t time = 0, std::int64_t disabled = 0, std::string message = "") {
    return Row{{id, std::string("None"), std::move(category), std::move(description), date, time, disabled, std::move(message)}, {}};
}

// Category-like: one unique text key, in the same file as the tasks.
inline TableDef categoryDef() {
    return TableDef{"SM", "Categories", "CAT", {{"CAT:CATEGORY", FieldType::String, 20}},
                    {{"CAT:KEYCATEGORY", {"CAT:CATEGORY"}, true, true, "Category"}}};
}

inline Row category(std::string name) { return Row{{std::move(name)}, {}}; }

// ToDo-like: keys that keep blank records.
inline TableDef todoDef() {
    return TableDef{"SM", "ToDo", "TDO",
                    {{"TDO:DONE", FieldType::Byte, 0}, {"TDO:PRIORITY", FieldType::Byte, 0}, {"TDO:TODO", FieldType::String, 40}},
                    {{"TDO:KEYDONE", {"TDO:DONE", "TDO:PRIORITY", "TDO:TODO"}, false, false, ""},
                     {"TDO:KEYTODO", {"TDO:TODO"}, false, false, ""}}};
}

inline Row todo(std::int64_t done, std::int64_t priority, std::string text) { return Row{{done, priority, std::move(text)}, {}}; }

inline std::int64_t number(const Row& r, int field) { return std::get<std::int64_t>(r.values.at(static_cast<std::size_t>(field))); }
inline std::string text(const Row& r, int field) { return std::get<std::string>(r.values.at(static_cast<std::size_t>(field))); }

// Opens the table, creating it first when it is missing.
inline void openOrCreate(Table& table) {
    Status s = table.open();
    if (s.code == kFileNotFound) {
        const Status created = table.create();
        ASSERT_TRUE(created.ok()) << created;
        s = table.open();
    }
    ASSERT_TRUE(s.ok()) << s.message << " " << s.driverCode << " " << s.driverMessage;
}

inline void addAll(Table& table, std::vector<Row> rows) {
    for (auto& r : rows) {
        const Status s = table.add(r);
        ASSERT_TRUE(s.ok()) << s;
    }
}

// One field of every record in a key's order, read forwards from the start.
template <class T = std::int64_t>
std::vector<T> readAll(Table& table, int key, int field = kId) {
    std::vector<T> out;
    EXPECT_TRUE(table.setToStart(key).ok());
    Row r;
    Status s;
    while ((s = table.next(r)).ok()) out.push_back(std::get<T>(r.values.at(static_cast<std::size_t>(field))));
    EXPECT_EQ(s.code, kRecordNotAvailable);
    return out;
}
using Ids = std::vector<std::int64_t>;
using Texts = std::vector<std::string>;

// A second process, forked, that works on the same files through its own connections. The two sides
// hand each other turns through pipes; the child's body returns its exit code. Fork only while this
// process has no data file open (SQLite connections must not cross a fork).
class ChildProcess {
public:
    explicit ChildProcess(std::function<int(ChildProcess&)> body) {
        EXPECT_EQ(pipe(m_toChild), 0);
        EXPECT_EQ(pipe(m_toParent), 0);
        m_pid = fork();
        m_isChild = m_pid == 0;
        ::close(m_isChild ? m_toChild[1] : m_toChild[0]);
        ::close(m_isChild ? m_toParent[0] : m_toParent[1]);
        if (m_isChild) _exit(body(*this));
    }
    ~ChildProcess() {
        if (m_pid > 0 && !m_joined) join();
    }
    void tell() {
        const char c = 'x';
        EXPECT_EQ(write(m_isChild ? m_toParent[1] : m_toChild[1], &c, 1), 1);
    }
    // Waits (at most timeoutMs) for the other side's turn; false when it did not come.
    bool await(int timeoutMs = 10000) {
        pollfd p{m_isChild ? m_toChild[0] : m_toParent[0], POLLIN, 0};
        char c;
        return poll(&p, 1, timeoutMs) == 1 && read(p.fd, &c, 1) == 1;
    }
    // The child's exit code (-1 when it did not exit normally).
    int join() {
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_joined = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    int m_toChild[2] = {-1, -1};
    int m_toParent[2] = {-1, -1};
    pid_t m_pid = -1;
    bool m_isChild = false;
    bool m_joined = false;
};

}  // namespace tarvelo::store::testing
