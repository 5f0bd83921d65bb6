#pragma once
// One open data file: the single SQLite connection that every Table of the file shares in this process,
// so that one transaction covers all of the file's tables. Databases are found by the file's absolute path
// in a process-wide registry and live as long as some Table, View or Transaction holds them.
//
// The connection runs in WAL mode with synchronous=FULL, knows the folding collation, and waits for
// another process's lock with backoff, at most lockWait(), telling the lock-wait observer of a long wait,
// before a statement fails with SQLITE_BUSY.
//
// Fork: a child process never touches a connection it inherited (SQLite forbids it); it opens its own,
// and the inherited one is left alone, neither used nor closed.
#include <sqlite3.h>
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "store/store.h"

namespace tarvelo::store {

// The wait of one connection for another process's lock, as SQLite's busy handler sees it.
struct LockWaiter {
    std::string path;
    std::chrono::steady_clock::time_point started;
    std::chrono::steady_clock::time_point noticed;
    // Makes SQLite wait through this waiter on db.
    void attach(sqlite3* db);
};

class Database {
public:
    // The Database of an existing file (opened read/write, never created; read-only when the file is).
    // On failure status says why and the result is null; the file is then left as it was.
    // Opening::lean skips the read-only look at the whole file (see Opening); a Database open already is
    // shared whichever way it was opened.
    static std::shared_ptr<Database> acquire(const std::string& absolutePath, Status& status,
                                             Opening opening = Opening::checked);
    // How many Databases this process has opened and not yet closed.
    static int openCount();

    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    sqlite3* handle() const { return m_db; }
    const std::string& path() const { return m_path; }
    bool readOnly() const;

    // A statement prepared once on this connection and kept; null (with status set) when it cannot be
    // prepared. Callers reset it after each use, through Query.
    sqlite3_stmt* statement(const std::string& sql, Status& status);
    Status exec(const std::string& sql);
    // The Status for result code rc, with the connection's message.
    Status error(int rc) const;

    // BEGIN IMMEDIATE, waiting at most lockWait() for the write lock. With cacheKiB above the usual
    // cache, the connection's page cache is that large until the transaction ends (see
    // Transaction::beginBulk).
    Status begin(int cacheKiB = 0);
    Status commit();   // rolls back (and reports why) when the commit fails
    Status rollback();
    // Rolls back on a path that is failing already: the failure reported is that first one. Should the
    // rollback fail as well, SQLite rolls the transaction back when the connection closes.
    void abandon();
    bool inTransaction() const;

private:
    Database(std::string path, sqlite3* db);
    bool ownedHere() const;
    void restoreCache();

    std::string m_path;
    sqlite3* m_db = nullptr;
    LockWaiter m_waiter;
    pid_t m_pid = 0;
    bool m_cacheEnlarged = false;
    std::unordered_map<std::string, sqlite3_stmt*> m_statements;
};

// One use of a cached statement: binds, steps, and resets it (clearing its bindings) when it goes.
class Query {
public:
    explicit Query(sqlite3_stmt* statement) : m_statement(statement) {}
    ~Query();
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    void bind(int index, std::int64_t value) { sqlite3_bind_int64(m_statement, index, value); }
    void bind(int index, std::string_view text) {
        sqlite3_bind_text(m_statement, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    }
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step() { return sqlite3_step(m_statement); }
    sqlite3_stmt* get() const { return m_statement; }

private:
    sqlite3_stmt* m_statement;
};

}  // namespace tarvelo::store
