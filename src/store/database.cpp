#include "store/database.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <map>

#include "store/fold_collation.h"

namespace tarvelo::store {

namespace {

std::map<std::string, std::weak_ptr<Database>>& registry() {
    static std::map<std::string, std::weak_ptr<Database>> databases;
    return databases;
}

int& liveCount() {
    static int count = 0;
    return count;
}

std::string lowered(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

// A statement run to its end on a handle that has no Database yet.
int run(sqlite3* db, const char* sql, std::string* firstColumn = nullptr) {
    sqlite3_stmt* statement = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    if (rc != SQLITE_OK) return rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        if (firstColumn) {
            const auto* text = sqlite3_column_text(statement, 0);
            *firstColumn = text ? reinterpret_cast<const char*>(text) : "";
        }
    }
    sqlite3_finalize(statement);
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

Status openFailure(sqlite3* db, int rc) {
    if ((rc & 0xff) == SQLITE_CANTOPEN && db) {
        const int err = sqlite3_system_errno(db);
        if (err == EACCES || err == EPERM) return Status::make(kAccessDenied);
    }
    return Status::driver(rc, db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
}

}  // namespace

std::shared_ptr<Database> Database::acquire(const std::string& absolutePath, Status& status) {
    auto& databases = registry();
    if (auto it = databases.find(absolutePath); it != databases.end()) {
        if (auto db = it->second.lock(); db && db->ownedHere()) {
            status = Status::okStatus();
            return db;
        }
    }

    sqlite3* handle = nullptr;
    int rc = sqlite3_open_v2(absolutePath.c_str(), &handle, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    auto fail = [&](int code) {
        status = openFailure(handle, code);
        sqlite3_close_v2(handle);
        return std::shared_ptr<Database>();
    };
    if (rc != SQLITE_OK) return fail(rc);
    sqlite3_extended_result_codes(handle, 1);
    sqlite3_busy_timeout(handle, kBusyTimeoutMs);
    if ((rc = detail::registerFoldCollation(handle)) != SQLITE_OK) return fail(rc);
    // Reading the schema is what tells a database from any other file; nothing is written before it.
    if ((rc = run(handle, "SELECT count(*) FROM sqlite_schema")) != SQLITE_OK) return fail(rc);
    if (sqlite3_db_readonly(handle, "main") == 0) {
        std::string mode;
        if ((rc = run(handle, "PRAGMA journal_mode", &mode)) != SQLITE_OK) return fail(rc);
        if (lowered(mode) != "wal" && (rc = run(handle, "PRAGMA journal_mode=WAL")) != SQLITE_OK) return fail(rc);
    }
    if ((rc = run(handle, "PRAGMA synchronous=FULL")) != SQLITE_OK) return fail(rc);
    // Key seeks touch an index leaf and a record page each; a cache that holds the indexes of a large
    // table keeps them from going to the file every time.
    if ((rc = run(handle, "PRAGMA cache_size=-65536")) != SQLITE_OK) return fail(rc);

    std::shared_ptr<Database> db(new Database(absolutePath, handle));
    databases[absolutePath] = db;
    status = Status::okStatus();
    return db;
}

int Database::openCount() { return liveCount(); }

Database::Database(std::string path, sqlite3* db) : m_path(std::move(path)), m_db(db), m_pid(getpid()) {
    ++liveCount();
}

Database::~Database() {
    if (!ownedHere()) return;  // inherited over a fork: the parent's to close
    --liveCount();
    for (auto& [sql, statement] : m_statements) sqlite3_finalize(statement);
    if (inTransaction()) sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close_v2(m_db);
    auto& databases = registry();
    if (auto it = databases.find(m_path); it != databases.end() && it->second.expired()) databases.erase(it);
}

bool Database::ownedHere() const { return m_pid == getpid(); }

bool Database::readOnly() const { return sqlite3_db_readonly(m_db, "main") == 1; }

sqlite3_stmt* Database::statement(const std::string& sql, Status& status) {
    if (auto it = m_statements.find(sql); it != m_statements.end()) {
        status = Status::okStatus();
        return it->second;
    }
    sqlite3_stmt* statement = nullptr;
    const int rc = sqlite3_prepare_v3(m_db, sql.c_str(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                                      &statement, nullptr);
    if (rc != SQLITE_OK) {
        status = error(rc);
        return nullptr;
    }
    m_statements.emplace(sql, statement);
    status = Status::okStatus();
    return statement;
}

Status Database::exec(const std::string& sql) {
    const int rc = sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, nullptr);
    return rc == SQLITE_OK ? Status::okStatus() : error(rc);
}

Status Database::error(int rc) const {
    if (rc == SQLITE_CONSTRAINT_UNIQUE || rc == SQLITE_CONSTRAINT_PRIMARYKEY) return Status::make(kDuplicateKey);
    return Status::driver(rc, sqlite3_errmsg(m_db));
}

Status Database::begin(int timeoutSeconds) {
    // SQLite would begin and only refuse the first write; a read-only file refuses at once.
    if (readOnly()) return Status::driver(SQLITE_READONLY, "attempt to write a readonly database");
    const int waitMs = std::max(0, timeoutSeconds) * 1000;
    sqlite3_busy_timeout(m_db, waitMs);
    Status status = exec("BEGIN IMMEDIATE");
    sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
    return status;
}

Status Database::commit() {
    Status status = exec("COMMIT");
    if (!status.ok() && inTransaction()) exec("ROLLBACK");
    return status;
}

Status Database::rollback() {
    if (!inTransaction()) return Status::okStatus();
    return exec("ROLLBACK");
}

bool Database::inTransaction() const { return sqlite3_get_autocommit(m_db) == 0; }

Query::~Query() {
    if (!m_statement) return;
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
}

}  // namespace tarvelo::store
