#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>

#include "store/position.h"
#include "store/table_impl.h"

namespace tarvelo::store {

namespace {

Status misuse(const std::string& what) { return Status::driver(SQLITE_MISUSE, what); }

Status fromErrno(int err, const std::string& path) {
    if (err == ENOENT || err == ENOTDIR) return Status::make(kFileNotFound);
    if (err == EACCES || err == EPERM || err == EROFS) return Status::make(kAccessDenied);
    return Status::driver(SQLITE_CANTOPEN, "unable to open " + path + ": " + std::strerror(err));
}

std::string absoluteDataPath(const TableDef& def, const std::string& folder) {
    std::filesystem::path dir = folder.empty() ? std::filesystem::current_path() : std::filesystem::path(folder);
    std::error_code ec;
    auto full = std::filesystem::absolute(dir / (def.fileName + ".KTB"), ec);
    auto canonical = std::filesystem::weakly_canonical(full, ec);
    return (ec ? full : canonical).lexically_normal().string();
}

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// Whether the file holds the table; a SQLite error is reported through status.
bool tableExists(Database& db, const std::string& name, Status& status) {
    sqlite3_stmt* s = db.statement("SELECT 1 FROM sqlite_schema WHERE type = 'table' AND name = ?1 COLLATE NOCASE", status);
    if (!s) return false;
    Query q(s);
    q.bind(1, name);
    const int rc = q.step();
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) status = db.error(rc);
    return rc == SQLITE_ROW;
}

// The stored indexes of the table (not SQLite's own), name -> CREATE statement.
Status storedIndexes(Database& db, const std::string& table, std::map<std::string, std::string>& out) {
    Status status;
    sqlite3_stmt* s = db.statement(
        "SELECT name, sql FROM sqlite_schema WHERE type = 'index' AND tbl_name = ?1 COLLATE NOCASE AND sql IS NOT NULL",
        status);
    if (!s) return status;
    Query q(s);
    q.bind(1, table);
    int rc;
    while ((rc = q.step()) == SQLITE_ROW) {
        out[reinterpret_cast<const char*>(sqlite3_column_text(s, 0))] = reinterpret_cast<const char*>(sqlite3_column_text(s, 1));
    }
    return rc == SQLITE_DONE ? Status::okStatus() : db.error(rc);
}

// An index whose pages are damaged cannot be dropped: SQLite walks its pages to free them. When the
// records themselves read soundly, the index is taken out of the schema instead and built anew from the
// records; its old pages stay unused in the file until it is vacuumed. REQUIRES: a write transaction.
Status forgetDamagedIndex(Database& db, const detail::Schema& schema, const std::string& index) {
    const std::string scan = "SELECT " + schema.columns + " FROM " + schema.table + " NOT INDEXED";
    if (int rc = sqlite3_exec(db.handle(), scan.c_str(), nullptr, nullptr, nullptr); rc != SQLITE_OK) return db.error(rc);
    Status status;
    std::int64_t version = 0;
    if (sqlite3_stmt* s = db.statement("PRAGMA schema_version", status)) {
        Query q(s);
        if (q.step() == SQLITE_ROW) version = sqlite3_column_int64(s, 0);
    }
    if (!status.ok()) return status;
    std::string sql = "PRAGMA writable_schema=ON; DELETE FROM sqlite_schema WHERE type = 'index' AND name = ";
    sql += "'";
    for (char c : index) sql += c == '\'' ? std::string("''") : std::string(1, c);
    sql += "'; PRAGMA writable_schema=OFF; PRAGMA schema_version=" + std::to_string(version + 1) + ";";
    return db.exec(sql);
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------
// Impl

Status Table::Impl::remember(Status status) const {
    setLastError(status);
    return status;
}

Status Table::Impl::notOpen() const { return misuse(def.qualifiedName() + " is not open"); }

Status Table::Impl::checkKey(int key) const {
    if (!db) return notOpen();
    if (key < 0 || key >= static_cast<int>(schema.keys.size()))
        return misuse("key " + std::to_string(key) + " is not a key of " + def.qualifiedName());
    return Status::okStatus();
}

sqlite3_stmt* Table::Impl::statement(Purpose purpose, Status& status) {
    sqlite3_stmt*& slot = prepared[static_cast<std::size_t>(purpose)];
    if (slot) return slot;
    const std::string* sql = nullptr;
    switch (purpose) {
    case kSelectByRowId: sql = &schema.selectByRowId; break;
    case kInsert: sql = &schema.insert; break;
    case kUpdate: sql = &schema.update; break;
    case kErase: sql = &schema.erase; break;
    case kCount: sql = &schema.count; break;
    case kFixedPurposes: break;
    }
    return slot = db->statement(*sql, status);
}

sqlite3_stmt* Table::Impl::statement(int key, KeyPurpose purpose, Status& status) {
    sqlite3_stmt*& slot = prepared[kFixedPurposes + static_cast<std::size_t>(key) * kKeyPurposes + purpose];
    if (slot) return slot;
    const detail::KeySql& k = schema.keys[static_cast<std::size_t>(key)];
    const std::string* sql = nullptr;
    switch (purpose) {
    case kFirst: sql = &k.selectFirst; break;
    case kLast: sql = &k.selectLast; break;
    case kAfter: sql = &k.selectAfter; break;
    case kBefore: sql = &k.selectBefore; break;
    case kEqual: sql = &k.selectEqual; break;
    case kDuplicate: sql = &k.selectDuplicate; break;
    case kKeyPurposes: break;
    }
    return slot = db->statement(*sql, status);
}

std::vector<Value> Table::Impl::components(int key, const Row& row) const {
    std::vector<Value> values;
    for (int f : schema.keys[static_cast<std::size_t>(key)].fields) {
        const FieldDef& field = def.fields[static_cast<std::size_t>(f)];
        const Value* v = static_cast<std::size_t>(f) < row.values.size() ? &row.values[static_cast<std::size_t>(f)] : nullptr;
        if (detail::isNumeric(field.type)) {
            const auto* n = v ? std::get_if<std::int64_t>(v) : nullptr;
            values.emplace_back(n ? *n : std::int64_t{0});
        } else {
            const auto* s = v ? std::get_if<std::string>(v) : nullptr;
            values.emplace_back(std::string(s ? detail::storedText(field, *s) : std::string_view()));
        }
    }
    return values;
}

void Table::Impl::bindComponents(Query& query, int, const std::vector<Value>& values) const {
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (const auto* n = std::get_if<std::int64_t>(&values[i])) query.bind(static_cast<int>(i + 1), *n);
        else query.bind(static_cast<int>(i + 1), std::string_view(std::get<std::string>(values[i])));
    }
}

Status Table::Impl::bindFields(Query& query, const Row& row) const {
    if (row.values.size() != def.fields.size()) return Status::make(kInvalidRecordDeclaration);
    for (std::size_t i = 0; i < def.fields.size(); ++i) {
        const FieldDef& field = def.fields[i];
        const int index = static_cast<int>(i + 1);
        if (detail::isNumeric(field.type)) {
            const auto* n = std::get_if<std::int64_t>(&row.values[i]);
            if (!n) return Status::make(kInvalidRecordDeclaration);
            query.bind(index, *n);
        } else {
            const auto* s = std::get_if<std::string>(&row.values[i]);
            if (!s) return Status::make(kInvalidRecordDeclaration);
            query.bind(index, detail::storedText(field, *s));
        }
    }
    return Status::okStatus();
}

Row Table::Impl::decode(sqlite3_stmt* s) const {
    Row row;
    row.ref.rowId = sqlite3_column_int64(s, 0);
    row.ref.version = sqlite3_column_int64(s, 1);
    row.values.reserve(def.fields.size());
    for (std::size_t i = 0; i < def.fields.size(); ++i) {
        const int column = static_cast<int>(i + 2);
        if (detail::isNumeric(def.fields[i].type)) {
            row.values.emplace_back(static_cast<std::int64_t>(sqlite3_column_int64(s, column)));
        } else {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, column));
            row.values.emplace_back(std::string(text ? text : "", static_cast<std::size_t>(sqlite3_column_bytes(s, column))));
        }
    }
    return row;
}

Status Table::Impl::read(Cursor& c, bool forward, const std::function<bool(const Row&)>* filter, Row& out) {
    if (Status s = checkKey(c.key); !s.ok()) return s;
    if (c.state == Cursor::State::Unset || (c.state == Cursor::State::Start && !forward) ||
        (c.state == Cursor::State::End && forward))
        return Status::make(kRecordNotAvailable);

    const int n = static_cast<int>(schema.keys[static_cast<std::size_t>(c.key)].fields.size());
    // Without a filter the first row read is the answer; with one, rows it rejects are passed over in
    // growing batches so that a sparse filter costs few seeks.
    std::int64_t limit = filter && *filter ? 8 : 1;
    std::vector<Row> batch;
    for (;;) {
        batch.clear();
        {
            Status status;
            sqlite3_stmt* s = nullptr;
            if (c.state == Cursor::State::Gap) {
                s = statement(c.key, forward ? kAfter : kBefore, status);
            } else {
                s = statement(c.key, forward ? kFirst : kLast, status);
            }
            if (!s) return status;
            Query q(s);
            if (c.state == Cursor::State::Gap) {
                bindComponents(q, c.key, c.anchor);
                q.bind(n + 1, forward ? c.lowId : c.highId);
                q.bind(n + 2, limit);
            } else {
                q.bind(1, limit);
            }
            int rc;
            while ((rc = q.step()) == SQLITE_ROW) batch.push_back(decode(s));
            if (rc != SQLITE_DONE) return db->error(rc);
        }
        // The statement is reset by now, so a filter may read tables itself.
        for (Row& row : batch) {
            c.state = Cursor::State::Gap;
            c.anchor = components(c.key, row);
            c.lowId = c.highId = row.ref.rowId;
            if (!filter || !*filter || (*filter)(row)) {
                out = std::move(row);
                return Status::okStatus();
            }
        }
        if (static_cast<std::int64_t>(batch.size()) < limit) {
            forward ? c.toEnd(c.key) : c.toStart(c.key);
            return Status::make(kRecordNotAvailable);
        }
        limit = std::min<std::int64_t>(limit * 2, 256);
    }
}

Status Table::Impl::readRow(std::int64_t rowId, Row& out) {
    if (!db) return notOpen();
    Status status;
    sqlite3_stmt* s = statement(kSelectByRowId, status);
    if (!s) return status;
    Query q(s);
    q.bind(1, rowId);
    const int rc = q.step();
    if (rc == SQLITE_ROW) {
        out = decode(s);
        return Status::okStatus();
    }
    return rc == SQLITE_DONE ? Status::make(kRecordNotFound) : db->error(rc);
}

// ---------------------------------------------------------------------------------------------------------
// Table

Table::Table(const TableDef& def, std::string folder) : m_impl(std::make_unique<Impl>()) {
    m_impl->def = def;
    m_impl->path = absoluteDataPath(def, folder);
    m_impl->schema = detail::deriveSchema(def);
}

Table::~Table() { close(); }

const TableDef& Table::def() const { return m_impl->def; }

bool Table::isOpen() const { return m_impl->db != nullptr; }

std::string Table::name() const { return m_impl->def.qualifiedName(); }

Database& Table::database() { return *m_impl->db; }

void Table::close() {
    m_impl->prepared.clear();
    m_impl->db.reset();
    m_impl->cursor = Cursor{};
}

Status Table::open() {
    Impl& t = *m_impl;
    if (t.db) return t.remember(Status::make(kFileAlreadyOpen));
    if (!t.schema.valid) return t.remember(Status::make(kInvalidRecordDeclaration));

    Status status;
    std::shared_ptr<Database> db = Database::acquire(t.path, status);
    if (!db) return t.remember(status);
    if (!tableExists(*db, t.def.tableName, status)) return t.remember(status.ok() ? Status::make(kFileNotFound) : status);

    // The stored columns must be those the description gives, in order, with the same kinds.
    {
        sqlite3_stmt* s = db->statement("SELECT name, type FROM pragma_table_info(?1)", status);
        if (!s) return t.remember(status);
        Query q(s);
        q.bind(1, t.def.tableName);
        std::vector<std::pair<std::string, std::string>> expected{{detail::kRowIdColumn, "INTEGER"}};
        for (const auto& f : t.def.fields) expected.emplace_back(detail::columnName(f), detail::isNumeric(f.type) ? "INTEGER" : "TEXT");
        expected.emplace_back(detail::kVersionColumn, "INTEGER");
        std::size_t i = 0;
        bool matches = true;
        int rc;
        while ((rc = q.step()) == SQLITE_ROW) {
            const std::string name = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
            const std::string type = reinterpret_cast<const char*>(sqlite3_column_text(s, 1));
            if (i >= expected.size() || !sameName(name, expected[i].first) || !sameName(type, expected[i].second)) matches = false;
            ++i;
        }
        if (rc != SQLITE_DONE) return t.remember(db->error(rc));
        if (!matches || i != expected.size()) return t.remember(Status::make(kInvalidRecordDeclaration));
    }

    // Every key's index must exist exactly as the description derives it, and no other.
    {
        std::map<std::string, std::string> stored;
        if (Status s = storedIndexes(*db, t.def.tableName, stored); !s.ok()) return t.remember(s);
        bool matches = stored.size() == t.schema.keys.size();
        for (const auto& key : t.schema.keys) {
            auto it = stored.find(key.indexName);
            if (it == stored.end() || it->second != key.createIndex) matches = false;
        }
        if (!matches) return t.remember(Status::make(kKeyFileMustBeRebuilt));
    }

    // Damage inside the file: in an index only, the keys can be rebuilt; in the records, they cannot.
    if (!db->isChecked(t.def.tableName)) {
        sqlite3_stmt* s = db->statement(t.schema.quickCheck, status);
        if (!s) return t.remember(status);
        std::string firstProblem;
        int rc;
        {
            Query q(s);
            while ((rc = q.step()) == SQLITE_ROW) {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
                const std::string line = text ? text : "";
                if (line != "ok" && firstProblem.empty()) firstProblem = line;
            }
        }
        if (rc != SQLITE_DONE && rc != SQLITE_CORRUPT && (rc & 0xff) != SQLITE_CORRUPT) return t.remember(db->error(rc));
        if (rc != SQLITE_DONE || !firstProblem.empty()) {
            // Read every record through the table itself, no index: if that works, the damage is in a key.
            const std::string scan = "SELECT " + t.schema.columns + " FROM " + t.schema.table + " NOT INDEXED";
            const int scanRc = sqlite3_exec(db->handle(), scan.c_str(), nullptr, nullptr, nullptr);
            if (scanRc == SQLITE_OK) return t.remember(Status::make(kKeyFileMustBeRebuilt));
            return t.remember(Status::driver(SQLITE_CORRUPT, firstProblem.empty() ? sqlite3_errmsg(db->handle()) : firstProblem));
        }
        db->setChecked(t.def.tableName, true);
    }

    t.db = std::move(db);
    t.prepared.assign(Impl::kFixedPurposes + t.schema.keys.size() * Impl::kKeyPurposes, nullptr);
    t.cursor = Cursor{};
    return t.remember(Status::okStatus());
}

Status Table::create() {
    Impl& t = *m_impl;
    if (t.db) return t.remember(Status::make(kFileAlreadyOpen));
    if (!t.schema.valid) return t.remember(Status::make(kInvalidRecordDeclaration));

    // A new file is made empty here, exclusively, so SQLite itself is never allowed to create one and an
    // existing file is only ever opened as what it already is. The descriptor is of a file that did not
    // exist a moment ago, so no connection of this process holds a lock on it that closing could drop.
    const int fd = ::open(t.path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0) {
        ::close(fd);
    } else if (errno != EEXIST) {
        return t.remember(fromErrno(errno, t.path));
    }

    Status status;
    std::shared_ptr<Database> db = Database::acquire(t.path, status);
    if (!db) return t.remember(status);
    if (Status s = db->begin(Database::kBusyTimeoutMs / 1000); !s.ok()) return t.remember(s);
    const bool exists = tableExists(*db, t.def.tableName, status);
    if (!status.ok()) {
        db->rollback();
        return t.remember(status);
    }
    // Somebody else (another process starting at the same moment) may have created it first: then it is
    // left as it is, and opening it checks it.
    if (!exists) {
        status = db->exec(t.schema.createTable);
        for (std::size_t i = 0; status.ok() && i < t.schema.keys.size(); ++i) status = db->exec(t.schema.keys[i].createIndex);
        if (!status.ok()) {
            db->rollback();
            return t.remember(status);
        }
    }
    return t.remember(db->commit());
}

Status Table::build() {
    Impl& t = *m_impl;
    if (!t.schema.valid) return t.remember(Status::make(kInvalidRecordDeclaration));
    Status status;
    std::shared_ptr<Database> db = t.db;
    if (!db) {
        db = Database::acquire(t.path, status);
        if (!db) return t.remember(status);
    }
    // Inside a caller's transaction a failure cannot be retried, so there the damaged-index way is closed.
    const bool ownTransaction = !db->inTransaction();
    std::set<std::string> damaged;
    for (;;) {
        if (ownTransaction) {
            if (Status s = db->begin(Database::kBusyTimeoutMs / 1000); !s.ok()) return t.remember(s);
        }
        auto fail = [&](Status s) {
            if (ownTransaction) db->rollback();
            return t.remember(s);
        };
        if (!tableExists(*db, t.def.tableName, status)) return fail(status.ok() ? Status::make(kFileNotFound) : status);
        db->setChecked(t.def.tableName, false);
        std::map<std::string, std::string> stored;
        if (Status s = storedIndexes(*db, t.def.tableName, stored); !s.ok()) return fail(s);
        bool retry = false;
        for (const auto& [name, sql] : stored) {
            Status s = damaged.count(name) ? forgetDamagedIndex(*db, t.schema, name)
                                           : db->exec("DROP INDEX " + detail::quoteIdentifier(name));
            // A failed drop leaves the transaction unable to touch the schema: start over, knowing.
            if (!s.ok() && ownTransaction && !damaged.count(name) && s.driverCode.rfind("SQLITE_CORRUPT", 0) == 0) {
                damaged.insert(name);
                retry = true;
                break;
            }
            if (!s.ok()) return fail(s);
        }
        if (retry) {
            db->rollback();
            continue;
        }
        for (const auto& key : t.schema.keys) {
            if (Status s = db->exec(key.createIndex); !s.ok()) return fail(s);
        }
        if (!ownTransaction) return t.remember(Status::okStatus());
        if (Status s = db->commit(); !s.ok()) return t.remember(s);
        // The pages of an index taken out of the schema belong to nothing now; copying the file anew
        // gives them back, so that the file passes a full check again.
        return t.remember(damaged.empty() ? Status::okStatus() : db->exec("VACUUM"));
    }
}

Status Table::verifyFile(std::vector<std::string>& problems) {
    Impl& t = *m_impl;
    problems.clear();
    if (!t.db) return t.remember(t.notOpen());
    sqlite3_stmt* s = nullptr;
    int rc = sqlite3_prepare_v2(t.db->handle(), "PRAGMA integrity_check", -1, &s, nullptr);
    if (rc != SQLITE_OK) return t.remember(t.db->error(rc));
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
        const std::string line = text ? text : "";
        if (line != "ok") problems.push_back(line);
    }
    const Status failed = rc == SQLITE_DONE ? Status::okStatus() : t.db->error(rc);
    sqlite3_finalize(s);
    // Damage bad enough to stop the check itself is one more problem, not a failure to check.
    if (!failed.ok()) {
        if ((rc & 0xff) != SQLITE_CORRUPT && (rc & 0xff) != SQLITE_NOTADB) return t.remember(failed);
        problems.push_back(failed.driverMessage);
    }
    return t.remember(Status::okStatus());
}

Status Table::setToStart(int key) {
    if (Status s = m_impl->checkKey(key); !s.ok()) return m_impl->remember(s);
    m_impl->cursor.toStart(key);
    return m_impl->remember(Status::okStatus());
}

Status Table::setToEnd(int key) {
    if (Status s = m_impl->checkKey(key); !s.ok()) return m_impl->remember(s);
    m_impl->cursor.toEnd(key);
    return m_impl->remember(Status::okStatus());
}

Status Table::setAt(int key, const Row& keyValues) {
    if (Status s = m_impl->checkKey(key); !s.ok()) return m_impl->remember(s);
    m_impl->cursor.at(key, m_impl->components(key, keyValues));
    return m_impl->remember(Status::okStatus());
}

Status Table::next(Row& out) { return m_impl->remember(m_impl->read(m_impl->cursor, true, nullptr, out)); }

Status Table::previous(Row& out) { return m_impl->remember(m_impl->read(m_impl->cursor, false, nullptr, out)); }

Status Table::fetch(int key, const Row& keyValues, Row& out) {
    Impl& t = *m_impl;
    if (Status s = t.checkKey(key); !s.ok()) return t.remember(s);
    Status status;
    sqlite3_stmt* s = t.statement(key, Impl::kEqual, status);
    if (!s) return t.remember(status);
    Query q(s);
    t.bindComponents(q, key, t.components(key, keyValues));
    const int rc = q.step();
    if (rc == SQLITE_ROW) {
        out = t.decode(s);
        return t.remember(Status::okStatus());
    }
    return t.remember(rc == SQLITE_DONE ? Status::make(kRecordNotFound) : t.db->error(rc));
}

Status Table::add(Row& row) {
    Impl& t = *m_impl;
    if (!t.db) return t.remember(t.notOpen());
    Status status;
    sqlite3_stmt* s = t.statement(Impl::kInsert, status);
    if (!s) return t.remember(status);
    Query q(s);
    if (Status b = t.bindFields(q, row); !b.ok()) return t.remember(b);
    const int rc = q.step();
    if (rc != SQLITE_DONE) return t.remember(t.db->error(rc));
    row.ref.rowId = sqlite3_last_insert_rowid(t.db->handle());
    row.ref.version = 1;
    return t.remember(Status::okStatus());
}

Status Table::put(Row& row) {
    Impl& t = *m_impl;
    if (!t.db) return t.remember(t.notOpen());
    if (row.ref.rowId == 0) return t.remember(Status::make(kRecordNotAvailable));
    Status status;
    sqlite3_stmt* s = t.statement(Impl::kUpdate, status);
    if (!s) return t.remember(status);
    Query q(s);
    if (Status b = t.bindFields(q, row); !b.ok()) return t.remember(b);
    const int n = static_cast<int>(t.def.fields.size());
    q.bind(n + 1, row.ref.rowId);
    q.bind(n + 2, row.ref.version);
    const int rc = q.step();
    if (rc != SQLITE_DONE) return t.remember(t.db->error(rc));
    // Nothing matched the row id at the version read: the row was rewritten or deleted since.
    if (sqlite3_changes(t.db->handle()) == 0) return t.remember(Status::make(kRecordChanged));
    ++row.ref.version;
    return t.remember(Status::okStatus());
}

Status Table::erase(const Row& row) {
    Impl& t = *m_impl;
    if (!t.db) return t.remember(t.notOpen());
    if (row.ref.rowId == 0) return t.remember(Status::make(kRecordNotAvailable));
    Status status;
    sqlite3_stmt* s = t.statement(Impl::kErase, status);
    if (!s) return t.remember(status);
    Query q(s);
    q.bind(1, row.ref.rowId);
    q.bind(2, row.ref.version);
    const int rc = q.step();
    if (rc != SQLITE_DONE) return t.remember(t.db->error(rc));
    if (sqlite3_changes(t.db->handle()) == 0) return t.remember(Status::make(kRecordChanged));
    return t.remember(Status::okStatus());
}

Status Table::empty() {
    Impl& t = *m_impl;
    if (!t.db) return t.remember(t.notOpen());
    Status status;
    sqlite3_stmt* s = t.db->statement(t.schema.eraseAll, status);
    if (!s) return t.remember(status);
    Query q(s);
    const int rc = q.step();
    return t.remember(rc == SQLITE_DONE ? Status::okStatus() : t.db->error(rc));
}

bool Table::duplicate(int key, const Row& row) {
    Impl& t = *m_impl;
    if (Status s = t.checkKey(key); !s.ok()) {
        t.remember(s);
        return false;
    }
    Status status;
    sqlite3_stmt* s = t.statement(key, Impl::kDuplicate, status);
    if (!s) {
        t.remember(status);
        return false;
    }
    Query q(s);
    const std::vector<Value> values = t.components(key, row);
    t.bindComponents(q, key, values);
    q.bind(static_cast<int>(values.size() + 1), row.ref.rowId);
    const int rc = q.step();
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        t.remember(t.db->error(rc));
        return false;
    }
    t.remember(Status::okStatus());
    return rc == SQLITE_ROW;
}

std::int64_t Table::records() {
    Impl& t = *m_impl;
    if (!t.db) {
        t.remember(t.notOpen());
        return 0;
    }
    Status status;
    sqlite3_stmt* s = t.statement(Impl::kCount, status);
    if (!s) {
        t.remember(status);
        return 0;
    }
    Query q(s);
    const int rc = q.step();
    if (rc != SQLITE_ROW) {
        t.remember(t.db->error(rc));
        return 0;
    }
    t.remember(Status::okStatus());
    return sqlite3_column_int64(s, 0);
}

std::string Table::position(int key, const Row& row) const {
    if (key < 0 || key >= static_cast<int>(m_impl->schema.keys.size())) return {};
    return detail::encodePosition({key, row.ref.rowId, m_impl->components(key, row)});
}

Status Table::reget(std::string_view position, Row& out) {
    Impl& t = *m_impl;
    if (!t.db) return t.remember(t.notOpen());
    const auto p = detail::decodePosition(position);
    if (!p || p->key >= static_cast<int>(t.schema.keys.size())) return t.remember(Status::make(kRecordNotFound));
    Row row;
    if (Status s = t.readRow(p->rowId, row); !s.ok()) return t.remember(s);
    t.cursor.at(p->key, t.components(p->key, row));
    t.cursor.lowId = t.cursor.highId = row.ref.rowId;
    out = std::move(row);
    return t.remember(Status::okStatus());
}

}  // namespace tarvelo::store
