#include "store/database.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

#include "store/fold_collation.h"
#include "store/schema.h"

namespace tarvelo::store {

namespace {

std::map<std::string, std::weak_ptr<Database>>& registry() {
    static std::map<std::string, std::weak_ptr<Database>> databases;
    return databases;
}

// A seek touches a few pages of one index and one of the records; the upper levels of the indexes in
// use fit in a few megabytes at any table size, and the system's file cache holds the rest.
constexpr int kUsualCacheKiB = 4096;

std::string cacheSizePragma(int kiB) { return "PRAGMA cache_size=-" + std::to_string(kiB); }

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

Status fromErrno(int err, const std::string& path) {
    if (err == ENOENT || err == ENOTDIR) return Status::make(kFileNotFound);
    if (err == EACCES || err == EPERM) return Status::make(kAccessDenied);
    return Status::driver(SQLITE_CANTOPEN, "unable to open " + path + ": " + std::strerror(err));
}

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A file: URI of an absolute path, for the query parameters that only a URI can pass.
std::string fileUri(const std::string& path, const char* query) {
    static const char* const kHex = "0123456789ABCDEF";
    std::string uri = "file:";
    for (unsigned char c : path) {
        if (c == '%' || c == '?' || c == '#' || c <= ' ' || c >= 0x7f) {
            uri += '%';
            uri += kHex[c >> 4];
            uri += kHex[c & 0xf];
        } else {
            uri += static_cast<char>(c);
        }
    }
    return uri + "?" + query;
}

// The handle of one connection until a Database takes it over.
struct Handle {
    explicit Handle(const std::string& path) { waiter.path = path; }
    sqlite3* db = nullptr;
    LockWaiter waiter;
    ~Handle() {
        if (db) sqlite3_close_v2(db);
    }
    int open(const std::string& name, int flags) {
        if (db) sqlite3_close_v2(db);
        db = nullptr;
        const int rc = sqlite3_open_v2(name.c_str(), &db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
        if (db) {
            sqlite3_extended_result_codes(db, 1);
            waiter.attach(db);
        }
        return rc;
    }
    sqlite3* release() { return std::exchange(db, nullptr); }
};

// Whether the file holds only what this driver makes: tables whose first column is the row id and
// whose last is the version (and SQLite's own tables), their indexes, and nothing else: a trigger or
// a view would run code of somebody else's on our writes. Reads only; SQLITE_NOTADB for a file that is
// not a database at all.
Status inspectLayout(sqlite3* db) {
    std::vector<std::pair<std::string, std::string>> objects;  // type, name
    {
        sqlite3_stmt* s = nullptr;
        int rc = sqlite3_prepare_v2(db, "SELECT type, name FROM sqlite_schema", -1, &s, nullptr);
        if (rc != SQLITE_OK) return Status::driver(rc, sqlite3_errmsg(db));
        while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
            const auto* type = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
            const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(s, 1));
            objects.emplace_back(type ? type : "", name ? name : "");
        }
        sqlite3_finalize(s);
        if (rc != SQLITE_DONE) return Status::driver(rc, sqlite3_errmsg(db));
    }
    for (const auto& [type, name] : objects) {
        if (type == "index") continue;  // an index of a table: the table's own check judges it
        if (type != "table") return Status::make(kInvalidRecordDeclaration);
        if (lowered(name).rfind("sqlite_", 0) == 0) continue;
        sqlite3_stmt* s = nullptr;
        int rc = sqlite3_prepare_v2(db, "SELECT name, type, pk FROM pragma_table_info(?1)", -1, &s, nullptr);
        if (rc != SQLITE_OK) return Status::driver(rc, sqlite3_errmsg(db));
        sqlite3_bind_text(s, 1, name.c_str(), -1, SQLITE_TRANSIENT);
        std::vector<std::pair<std::string, bool>> columns;  // lowered name, is the INTEGER primary key
        while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
            const auto* column = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
            const auto* kind = reinterpret_cast<const char*>(sqlite3_column_text(s, 1));
            columns.emplace_back(lowered(column ? column : ""),
                                 sqlite3_column_int(s, 2) == 1 && lowered(kind ? kind : "") == "integer");
        }
        sqlite3_finalize(s);
        if (rc != SQLITE_DONE) return Status::driver(rc, sqlite3_errmsg(db));
        // Columns added later (a table of another layout of ours) are for the table's own check to judge.
        const bool hasVersion = std::any_of(columns.begin(), columns.end(),
                                            [](const auto& c) { return c.first == detail::kVersionColumn; });
        if (columns.empty() || columns.front().first != detail::kRowIdColumn || !columns.front().second || !hasVersion)
            return Status::make(kInvalidRecordDeclaration);
    }
    return Status::okStatus();
}

// What the file's header says of its pages, read without reading them: a page size SQLite could have
// written and a list of free pages no longer than the file.
Status inspectPages(sqlite3* db) {
    std::string pageSize, pageCount, freePages;
    int rc = run(db, "PRAGMA page_size", &pageSize);
    if (rc == SQLITE_OK) rc = run(db, "PRAGMA page_count", &pageCount);
    if (rc == SQLITE_OK) rc = run(db, "PRAGMA freelist_count", &freePages);
    if (rc != SQLITE_OK) return Status::driver(rc, sqlite3_errmsg(db));
    const long long size = std::atoll(pageSize.c_str()), pages = std::atoll(pageCount.c_str()),
                    free = std::atoll(freePages.c_str());
    if (size < 512 || size > 65536 || (size & (size - 1)) != 0 || free < 0 || (pages > 0 && free >= pages))
        return Status::driver(SQLITE_CORRUPT, "database disk image is malformed");
    return Status::okStatus();
}

bool isReadOnlyFailure(const Status& status) {
    return status.code == kDriverError && status.driverCode.rfind("SQLITE_READONLY", 0) == 0;
}

bool exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

std::string userName(uid_t uid) {
    if (const passwd* pw = ::getpwuid(uid); pw && pw->pw_name) return std::string("user ") + pw->pw_name;
    return "user " + std::to_string(uid);
}

// A log or log index beside the owner's data file that somebody else made (a read of the file by
// another user, before such reads were refused) and the owner may not write: every write of the owner's
// would fail on it. Nothing of the owner's can be in it, as the owner could never write it; it is
// removed before SQLite opens the file, and made anew by the owner's connection.
Status removeForeignSideFiles(const std::string& path) {
    for (const char* suffix : {"-shm", "-wal"}) {
        const std::string side = path + suffix;
        struct stat info {};
        if (::lstat(side.c_str(), &info) != 0 || info.st_uid == ::geteuid()) continue;
        if (S_ISREG(info.st_mode) && ::access(side.c_str(), W_OK) == 0) continue;  // shared with us: usable
        if (::unlink(side.c_str()) != 0) {
            return Status::driver(SQLITE_READONLY, side + " belongs to " + userName(info.st_uid) +
                                                       " and cannot be removed: " + std::strerror(errno));
        }
    }
    return Status::okStatus();
}

bool sameState(const struct stat& a, const struct stat& b) {
    return a.st_ino == b.st_ino && a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
           a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

Status examine(sqlite3* db) {
    Status status = inspectLayout(db);
    if (status.ok()) status = inspectPages(db);
    return status;
}

// Whether the file at path is one of ours, judged read-only. A file with no log beside it is open in no
// program: it is read as it stands (immutable), since even a read-only connection of SQLite would leave
// an empty log and its index beside a logged file, and a refused file must be left exactly as it was.
// Should a program open and change it meanwhile (a log appears, the file is written), it is looked at
// again the usual way, through the log.
Status lookAt(const std::string& path, const struct stat& before) {
    Handle look(path);
    if (!exists(path + "-wal") &&
        look.open(fileUri(path, "immutable=1"), SQLITE_OPEN_READONLY | SQLITE_OPEN_URI) == SQLITE_OK) {
        const Status status = examine(look.db);
        struct stat after {};
        if (!exists(path + "-wal") && ::stat(path.c_str(), &after) == 0 && sameState(before, after)) return status;
    }
    if (const int rc = look.open(path, SQLITE_OPEN_READONLY); rc != SQLITE_OK) return openFailure(look.db, rc);
    return examine(look.db);
}

}  // namespace

std::shared_ptr<Database> Database::acquire(const std::string& absolutePath, Status& status, Opening opening) {
    auto& databases = registry();
    if (auto it = databases.find(absolutePath); it != databases.end()) {
        if (auto db = it->second.lock(); db && db->ownedHere()) {
            status = Status::okStatus();
            return db;
        }
    }

    // Only what stat and access tell: no descriptor of the file is ever opened outside SQLite, as closing
    // one would drop every lock this process holds on it.
    struct stat info {};
    if (::stat(absolutePath.c_str(), &info) != 0) {
        status = fromErrno(errno, absolutePath);
        return nullptr;
    }
    if (!S_ISREG(info.st_mode)) {
        // A FIFO would block the open for ever, a device or a folder is nobody's table file.
        status = Status::driver(SQLITE_CANTOPEN, absolutePath + " is not a regular file");
        return nullptr;
    }
    // Only the owner opens a data file: a read by anybody else would leave a log and its index owned by
    // them beside it, which the owner then could not write (root's are handed to the owner by SQLite).
    if (info.st_uid != ::geteuid() && ::geteuid() != 0) {
        status = Status::driver(SQLITE_PERM, absolutePath + " belongs to " + userName(info.st_uid) +
                                                 ": only its owner may open it");
        return nullptr;
    }
    if (::geteuid() == info.st_uid) {
        status = removeForeignSideFiles(absolutePath);
        if (!status.ok()) return nullptr;
    }
    const bool writable = ::access(absolutePath.c_str(), W_OK) == 0 && ::access(folderOf(absolutePath).c_str(), W_OK) == 0;

    const bool lean = opening == Opening::lean && writable;
    // The file is looked at read-only first, so that a file that is not ours is refused exactly as it was.
    if (!lean) {
        status = lookAt(absolutePath, info);
        if (!status.ok()) return nullptr;
    }

    Handle handle(absolutePath);
    int rc = handle.open(absolutePath, writable ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY);
    if (rc != SQLITE_OK) {
        status = openFailure(handle.db, rc);
        return nullptr;
    }
    if (lean) {
        // Read before anything is written, so a file that is no database, or not ours, is left as it was.
        std::string foreign;
        rc = run(handle.db, "SELECT type FROM sqlite_schema WHERE type NOT IN ('table', 'index') LIMIT 1", &foreign);
        if (rc != SQLITE_OK) {
            status = openFailure(handle.db, rc);
            return nullptr;
        }
        if (!foreign.empty()) {
            status = Status::make(kInvalidRecordDeclaration);
            return nullptr;
        }
    }
    // A write-ahead-logged file in a folder we may not write in: with no log beside it, every change is
    // in the file itself, so it can be read as it stands.
    if (!writable && isReadOnlyFailure(inspectLayout(handle.db)) && !exists(absolutePath + "-wal")) {
        if ((rc = handle.open(fileUri(absolutePath, "immutable=1"), SQLITE_OPEN_READONLY | SQLITE_OPEN_URI)) !=
            SQLITE_OK) {
            status = openFailure(handle.db, rc);
            return nullptr;
        }
    }
    auto fail = [&](int code) {
        status = openFailure(handle.db, code);
        return std::shared_ptr<Database>();
    };
    if ((rc = detail::registerFoldCollation(handle.db)) != SQLITE_OK) return fail(rc);
    if (sqlite3_db_readonly(handle.db, "main") == 0) {
        std::string mode;
        if ((rc = run(handle.db, "PRAGMA journal_mode", &mode)) != SQLITE_OK) return fail(rc);
        if (lowered(mode) != "wal" && (rc = run(handle.db, "PRAGMA journal_mode=WAL")) != SQLITE_OK) return fail(rc);
    }
    if ((rc = run(handle.db, "PRAGMA synchronous=FULL")) != SQLITE_OK) return fail(rc);
    if ((rc = run(handle.db, cacheSizePragma(kUsualCacheKiB).c_str())) != SQLITE_OK) return fail(rc);

    std::shared_ptr<Database> db(new Database(absolutePath, handle.release()));
    databases[absolutePath] = db;
    status = Status::okStatus();
    return db;
}

int Database::openCount() { return liveCount(); }

Database::Database(std::string path, sqlite3* db) : m_path(std::move(path)), m_db(db), m_pid(getpid()) {
    ++liveCount();
    m_waiter.path = m_path;
    m_waiter.attach(m_db);
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

Status Database::begin(int cacheKiB) {
    // SQLite would begin and only refuse the first write; a read-only file refuses at once.
    if (readOnly()) return Status::driver(SQLITE_READONLY, "attempt to write a readonly database");
    if (cacheKiB > kUsualCacheKiB) {
        // A transaction that changes more pages than the cache holds spills them to the log and reads
        // them back on the next change; in a cache that holds them all, each is written once, at commit.
        if (Status s = exec(cacheSizePragma(cacheKiB)); !s.ok()) return s;
        m_cacheEnlarged = true;
    }
    Status status = exec("BEGIN IMMEDIATE");
    if (!status.ok()) restoreCache();
    return status;
}

// Shrinking the cache frees the pages beyond the usual size at once.
void Database::restoreCache() {
    if (!m_cacheEnlarged || inTransaction()) return;
    if (exec(cacheSizePragma(kUsualCacheKiB)).ok()) m_cacheEnlarged = false;
}

Status Database::commit() {
    Status status = exec("COMMIT");
    if (!status.ok()) abandon();
    restoreCache();
    return status;
}

Status Database::rollback() {
    if (!inTransaction()) return Status::okStatus();
    Status status = exec("ROLLBACK");
    restoreCache();
    return status;
}

void Database::abandon() {
    // On a path that failed already, whose first failure is the one reported; a rollback that fails
    // leaves SQLite to roll back when the connection closes.
    if (inTransaction()) (void)exec("ROLLBACK");
    restoreCache();
}

bool Database::inTransaction() const { return sqlite3_get_autocommit(m_db) == 0; }

Query::~Query() {
    if (!m_statement) return;
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
}

}  // namespace tarvelo::store
