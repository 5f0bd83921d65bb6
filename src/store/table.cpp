#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <utility>

#include "store/position.h"
#include "store/table_impl.h"

namespace tarvelo::store {

namespace {

Status misuse(const std::string& what) { return Status::driver(SQLITE_MISUSE, what); }

// A text column into a value, reusing the value's storage when it holds text already.
void assignText(Value& value, sqlite3_stmt* s, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, column));
    const auto bytes = static_cast<std::size_t>(sqlite3_column_bytes(s, column));
    if (auto* held = std::get_if<std::string>(&value)) held->assign(text ? text : "", bytes);
    else value = std::string(text ? text : "", bytes);
}

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
    if (Status s = db.exec(sql); !s.ok()) return s;
    // The connection notices the new schema version at its next statement that runs, and reads the
    // schema again; until then it still knows the index (and CREATE INDEX would find it there).
    return db.exec("SELECT count(*) FROM sqlite_schema");
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------
// Impl

Status Table::Impl::notOpen() const { return misuse(def.qualifiedName() + " is not open"); }

Status Table::Impl::checkKey(int key) const {
    if (!db) return notOpen();
    if (key < kRecordOrder || key >= static_cast<int>(schema.keys.size()))
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
    case kErase: sql = &schema.erase; break;
    case kCount: sql = &schema.count; break;
    case kCountAfter: sql = &schema.countAfter; break;
    case kFixedPurposes: break;
    }
    return slot = db->statement(*sql, status);
}

sqlite3_stmt* Table::Impl::statement(int key, KeyPurpose purpose, Status& status) {
    // Record order's statements follow the keys'.
    const std::size_t slotOfKey = key == kRecordOrder ? schema.keys.size() : static_cast<std::size_t>(key);
    sqlite3_stmt*& slot = prepared[kFixedPurposes + slotOfKey * kKeyPurposes + purpose];
    if (slot) return slot;
    const detail::KeySql& k = keySql(key);
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

sqlite3_stmt* Table::Impl::updateStatement(std::uint64_t changed, Status& status) {
    if (auto it = updates.find(changed); it != updates.end()) return it->second;
    sqlite3_stmt* s = db->statement(detail::updateOf(def, changed), status);
    if (s) updates.emplace(changed, s);
    return s;
}

std::vector<Value> Table::Impl::components(int key, const Row& row) const {
    std::vector<Value> values;
    for (int f : keySql(key).fields) {
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

Status Table::Impl::checkShape(const Row& row) const {
    if (row.values.size() != def.fields.size()) return Status::make(kInvalidRecordDeclaration);
    for (std::size_t i = 0; i < def.fields.size(); ++i) {
        const bool number = std::holds_alternative<std::int64_t>(row.values[i]);
        if (number != detail::isNumeric(def.fields[i].type)) return Status::make(kInvalidRecordDeclaration);
    }
    return Status::okStatus();
}

void Table::Impl::bindField(Query& query, int index, std::size_t field, const Row& row) const {
    if (const auto* n = std::get_if<std::int64_t>(&row.values[field])) {
        query.bind(index, *n);
    } else {
        query.bind(index, detail::storedText(def.fields[field], std::get<std::string>(row.values[field])));
    }
}

std::shared_ptr<const StoredValues> Table::Impl::storedValues(const Row& row) const {
    auto stored = std::make_shared<StoredValues>();
    stored->values.reserve(row.values.size());
    for (std::size_t i = 0; i < row.values.size(); ++i) {
        if (const auto* n = std::get_if<std::int64_t>(&row.values[i])) {
            stored->values.emplace_back(*n);
        } else {
            stored->values.emplace_back(std::string(detail::storedText(def.fields[i], std::get<std::string>(row.values[i]))));
        }
    }
    return stored;
}

Row Table::Impl::decode(sqlite3_stmt* s, bool keep) const {
    Row row;
    decodeInto(s, keep, row);
    return row;
}

void Table::Impl::decodeInto(sqlite3_stmt* s, bool keep, Row& row) const {
    row.ref = RowRef{};
    row.ref.rowId = sqlite3_column_int64(s, 0);
    row.ref.version = sqlite3_column_int64(s, 1);
    row.values.resize(def.fields.size());
    for (std::size_t i = 0; i < def.fields.size(); ++i) {
        const int column = static_cast<int>(i + 2);
        if (detail::isNumeric(def.fields[i].type)) {
            row.values[i] = static_cast<std::int64_t>(sqlite3_column_int64(s, column));
        } else {
            assignText(row.values[i], s, column);
        }
    }
    // What was read is what is stored, so the values themselves are the values as read.
    if (keep) row.ref.stored = std::make_shared<const StoredValues>(StoredValues{row.values});
}

void Table::Impl::decodeInto(sqlite3_stmt* s, const FieldSet& set, Row& row) const {
    row.ref = RowRef{};
    row.ref.rowId = sqlite3_column_int64(s, 0);
    row.ref.version = sqlite3_column_int64(s, 1);
    row.ref.partial = true;
    // The fields not read are blank in their kind, as a record with nothing in them. A row used before
    // is blanked in place, keeping its storage.
    if (row.values.size() != set.blank.size()) {
        row.values = set.blank;
    } else {
        for (int f : set.unreadNumbers) row.values[static_cast<std::size_t>(f)] = std::int64_t{0};
        for (int f : set.unreadTexts) {
            Value& v = row.values[static_cast<std::size_t>(f)];
            if (auto* text = std::get_if<std::string>(&v)) text->clear();
            else v = std::string();
        }
    }
    for (std::size_t k = 0; k < set.fields.size(); ++k) {
        const auto i = static_cast<std::size_t>(set.fields[k]);
        const int column = static_cast<int>(k + 2);
        if (set.numeric[k]) {
            row.values[i] = static_cast<std::int64_t>(sqlite3_column_int64(s, column));
        } else {
            assignText(row.values[i], s, column);
        }
    }
}

FieldSet Table::Impl::fieldSet(int key, std::vector<int> fields) const {
    FieldSet set;
    const int count = static_cast<int>(def.fields.size());
    for (int f : keySql(key).fields) fields.push_back(f);
    std::sort(fields.begin(), fields.end());
    fields.erase(std::unique(fields.begin(), fields.end()), fields.end());
    for (int f : fields) {
        if (f >= 0 && f < count) set.fields.push_back(f);
    }
    for (const auto& field : def.fields)
        set.blank.push_back(detail::isNumeric(field.type) ? Value(std::int64_t{0}) : Value(std::string()));
    for (int f = 0; f < count; ++f) {
        const bool numeric = detail::isNumeric(def.fields[static_cast<std::size_t>(f)].type);
        if (std::binary_search(set.fields.begin(), set.fields.end(), f)) set.numeric.push_back(numeric);
        else (numeric ? set.unreadNumbers : set.unreadTexts).push_back(f);
    }
    const detail::KeySql& k = keySql(key);
    const std::string* sql[4] = {&k.selectFirst, &k.selectLast, &k.selectAfter, &k.selectBefore};
    for (int p = 0; p < 4; ++p) set.sql[p] = detail::selectingFields(def, schema, *sql[p], set.fields);
    return set;
}

Status Table::Impl::readPage(Cursor& c, Direction direction, std::int64_t limit, bool keep, std::vector<Row>& page,
                             const FieldSet* set) {
    if (Status s = checkKey(c.key); !s.ok()) return s;
    const bool forward = direction == Direction::forward;
    if (limit <= 0 || c.state == Cursor::State::Unset || (c.state == Cursor::State::Start && !forward) ||
        (c.state == Cursor::State::End && forward)) {
        page.clear();
        return Status::okStatus();
    }
    const int n = static_cast<int>(keySql(c.key).fields.size());
    std::size_t rows = 0;
    {
        Status status;
        const KeyPurpose purpose =
            c.state == Cursor::State::Gap ? (forward ? kAfter : kBefore) : (forward ? kFirst : kLast);
        sqlite3_stmt* s = set ? db->statement(set->sql[purpose], status) : statement(c.key, purpose, status);
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
        while ((rc = q.step()) == SQLITE_ROW) {
            if (rows == page.size()) page.emplace_back();
            set ? decodeInto(s, *set, page[rows]) : decodeInto(s, keep, page[rows]);
            ++rows;
        }
        if (rc != SQLITE_DONE) return db->error(rc);
    }
    page.resize(rows);
    if (rows > 0) standOn(c, page.back());
    if (static_cast<std::int64_t>(rows) < limit) forward ? c.toEnd(c.key) : c.toStart(c.key);
    return Status::okStatus();
}

void Table::Impl::standOn(Cursor& c, const Row& row) const {
    c.state = Cursor::State::Gap;
    c.anchor = components(c.key, row);
    c.lowId = c.highId = row.ref.rowId;
}

Status Table::Impl::readMany(Cursor& c, Direction direction, const std::function<bool(const Row&)>* filter,
                             int count, bool keep, std::vector<Row>& out, const FieldSet* set) {
    const bool filtered = filter && *filter;
    // Without a filter one statement reads the page. With one, rows it rejects are passed over in
    // growing batches, so that a sparse filter costs few seeks.
    if (count <= 0) return checkKey(c.key);
    std::int64_t limit = filtered ? std::max(count, 8) : count;
    int wanted = count;
    std::vector<Row> batch;
    for (;;) {
        if (Status s = readPage(c, direction, limit, keep, batch, set); !s.ok()) return s;
        // The statement is reset by now, so a filter may read tables itself. The page leaves the cursor on
        // its last row, or at the end; a page taken only in part leaves it on the last row taken.
        for (Row& row : batch) {
            if (filtered && !(*filter)(row)) continue;
            out.push_back(std::move(row));
            if (--wanted == 0) {
                if (&row != &batch.back()) standOn(c, out.back());
                return Status::okStatus();
            }
        }
        if (static_cast<std::int64_t>(batch.size()) < limit) return Status::okStatus();
        limit = filtered ? std::min<std::int64_t>(limit * 2, 256) : wanted;
    }
}

Status Table::Impl::read(Cursor& c, bool forward, const std::function<bool(const Row&)>* filter, Row& out,
                         const FieldSet* set) {
    std::vector<Row> one;
    const Status s = readMany(c, forward ? Direction::forward : Direction::backward, filter, 1, false, one, set);
    if (!s.ok()) return s;
    if (one.empty()) return Status::make(kRecordNotAvailable);
    out = std::move(one.front());
    return s;
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
        out = decode(s, true);
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

void Table::setOpening(Opening opening) { m_impl->opening = opening; }

const TableDef& Table::def() const { return m_impl->def; }

bool Table::isOpen() const { return m_impl->db != nullptr; }

std::string Table::name() const { return m_impl->def.qualifiedName(); }

const std::string& Table::path() const { return m_impl->path; }

Database& Table::database() { return *m_impl->db; }

void Table::setDamageHandler(DamageHandler handler) { m_impl->damageHandler = std::move(handler); }

void Table::close() {
    m_impl->prepared.clear();
    m_impl->updates.clear();
    m_impl->pendingDamage.reset();
    m_impl->db.reset();
    m_impl->cursor = Cursor{};
}

Status Table::open() {
    Impl& t = *m_impl;
    if (t.db) return Status::make(kFileAlreadyOpen);
    if (!t.schema.valid) return Status::make(kInvalidRecordDeclaration);

    Status status;
    std::shared_ptr<Database> db = Database::acquire(t.path, status, t.opening);
    if (!db) return status;
    if (!tableExists(*db, t.def.tableName, status)) return status.ok() ? Status::make(kFileNotFound) : status;

    // The stored columns must be those the description gives, in order, with the same kinds.
    {
        sqlite3_stmt* s = db->statement("SELECT name, type FROM pragma_table_info(?1)", status);
        if (!s) return status;
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
        if (rc != SQLITE_DONE) return db->error(rc);
        if (!matches || i != expected.size()) return Status::make(kInvalidRecordDeclaration);
    }

    // Every key's index must exist exactly as the description derives it, and no other.
    {
        std::map<std::string, std::string> stored;
        if (Status s = storedIndexes(*db, t.def.tableName, stored); !s.ok()) return s;
        bool matches = stored.size() == t.schema.keys.size();
        for (const auto& key : t.schema.keys) {
            auto it = stored.find(key.indexName);
            if (it == stored.end() || it->second != key.createIndex) matches = false;
        }
        if (!matches) return Status::make(kKeyFileMustBeRebuilt);
    }

    // Nothing here reads the records or the keys themselves, so opening costs the same at any size:
    // damage inside them is found when an operation meets it (see guarded()).
    t.db = std::move(db);
    t.prepared.assign(Impl::kFixedPurposes + (t.schema.keys.size() + 1) * Impl::kKeyPurposes, nullptr);
    t.cursor = Cursor{};
    return Status::okStatus();
}

Status Table::create() {
    Impl& t = *m_impl;
    if (t.db) return Status::make(kFileAlreadyOpen);
    if (!t.schema.valid) return Status::make(kInvalidRecordDeclaration);

    // A new file is made empty here, exclusively, so SQLite itself is never allowed to create one and an
    // existing file is only ever opened as what it already is. The descriptor is of a file that did not
    // exist a moment ago, so no connection of this process holds a lock on it that closing could drop.
    // Tasks' command lines may carry passwords: the file is its owner's alone, and so are the log and its
    // index, which SQLite makes with the mode of the file they belong to.
    const int fd = ::open(t.path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::close(fd);
    } else if (errno != EEXIST) {
        return fromErrno(errno, t.path);
    }

    Status status;
    std::shared_ptr<Database> db = Database::acquire(t.path, status);
    if (!db) return status;
    if (Status s = db->begin(); !s.ok()) return s;
    const bool exists = tableExists(*db, t.def.tableName, status);
    if (!status.ok()) {
        db->abandon();
        return status;
    }
    // Somebody else (another process starting at the same moment) may have created it first: then it is
    // left as it is, and opening it checks it.
    if (!exists) {
        status = db->exec(t.schema.createTable);
        for (std::size_t i = 0; status.ok() && i < t.schema.keys.size(); ++i) status = db->exec(t.schema.keys[i].createIndex);
        if (!status.ok()) {
            db->abandon();
            return status;
        }
    }
    return db->commit();
}

Status Table::build() {
    Impl& t = *m_impl;
    if (!t.schema.valid) return Status::make(kInvalidRecordDeclaration);
    Status status;
    std::shared_ptr<Database> db = t.db;
    if (!db) {
        db = Database::acquire(t.path, status);
        if (!db) return status;
    }
    // Inside a caller's transaction a failure cannot be retried, so there the damaged-index way is closed.
    const bool ownTransaction = !db->inTransaction();
    std::set<std::string> damaged;
    for (;;) {
        if (ownTransaction) {
            if (Status s = db->begin(); !s.ok()) return s;
        }
        auto fail = [&](Status s) {
            if (ownTransaction) db->abandon();
            return s;
        };
        if (!tableExists(*db, t.def.tableName, status)) return fail(status.ok() ? Status::make(kFileNotFound) : status);
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
            db->abandon();
            continue;
        }
        for (const auto& key : t.schema.keys) {
            if (Status s = db->exec(key.createIndex); !s.ok()) return fail(s);
        }
        if (!ownTransaction) return Status::okStatus();
        if (Status s = db->commit(); !s.ok()) return s;
        // The pages of an index taken out of the schema belong to nothing now; copying the file anew
        // gives them back, so that the file passes a full check again.
        return damaged.empty() ? Status::okStatus() : db->exec("VACUUM");
    }
}

Status Table::verifyFile(std::vector<std::string>& problems) {
    Impl& t = *m_impl;
    problems.clear();
    if (!t.db) return t.notOpen();
    sqlite3_stmt* s = nullptr;
    int rc = sqlite3_prepare_v2(t.db->handle(), "PRAGMA integrity_check", -1, &s, nullptr);
    if (rc != SQLITE_OK) return t.db->error(rc);
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
        const std::string line = text ? text : "";
        if (line != "ok") problems.push_back(line);
    }
    const Status failed = rc == SQLITE_DONE ? Status::okStatus() : t.db->error(rc);
    sqlite3_finalize(s);
    // Damage bad enough to stop the check itself is one more problem, not a failure to check.
    if (!failed.ok()) {
        if ((rc & 0xff) != SQLITE_CORRUPT && (rc & 0xff) != SQLITE_NOTADB) return failed;
        problems.push_back(failed.driverMessage);
    }
    return Status::okStatus();
}

Status Table::check() {
    Impl& t = *m_impl;
    if (!t.db) return t.notOpen();
    return t.guarded(*this, [&] {
        const std::string sql = "PRAGMA integrity_check(" + t.schema.table + ")";
        sqlite3_stmt* s = nullptr;
        int rc = sqlite3_prepare_v2(t.db->handle(), sql.c_str(), -1, &s, nullptr);
        if (rc != SQLITE_OK) return t.db->error(rc);
        std::string problem;
        while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
            if (problem.empty() && text && std::string(text) != "ok") problem = text;
        }
        const Status failed = rc == SQLITE_DONE ? Status::okStatus() : t.db->error(rc);
        sqlite3_finalize(s);
        if (!failed.ok() && !isDamage(failed)) return failed;
        if (failed.ok() && problem.empty()) return Status::okStatus();
        if (!failed.ok()) return failed;
        // A key that disagrees with sound records is the key's fault; classify() tells the rest.
        return Status::driver(SQLITE_CORRUPT_INDEX, problem);
    });
}

Status Table::setToStart(int key) {
    if (Status s = m_impl->checkKey(key); !s.ok()) return s;
    m_impl->cursor.toStart(key);
    return Status::okStatus();
}

Status Table::setToEnd(int key) {
    if (Status s = m_impl->checkKey(key); !s.ok()) return s;
    m_impl->cursor.toEnd(key);
    return Status::okStatus();
}

Status Table::setAt(int key, const Row& keyValues) {
    if (Status s = m_impl->checkKey(key); !s.ok()) return s;
    m_impl->cursor.at(key, m_impl->components(key, keyValues));
    return Status::okStatus();
}

Status Table::next(Row& out) {
    Impl& t = *m_impl;
    return t.guarded(*this, [&] { return t.read(t.cursor, true, nullptr, out); });
}

Status Table::previous(Row& out) {
    Impl& t = *m_impl;
    return t.guarded(*this, [&] { return t.read(t.cursor, false, nullptr, out); });
}

Status Table::fetch(int key, const Row& keyValues, Row& out) {
    Impl& t = *m_impl;
    if (Status s = t.checkKey(key); !s.ok()) return s;
    if (key == kRecordOrder) return misuse("record order has no values to fetch by");
    return t.guarded(*this, [&] {
        Status status;
        sqlite3_stmt* s = t.statement(key, Impl::kEqual, status);
        if (!s) return status;
        Query q(s);
        t.bindComponents(q, key, t.components(key, keyValues));
        const int rc = q.step();
        if (rc == SQLITE_ROW) {
            out = t.decode(s, true);
            return Status::okStatus();
        }
        return rc == SQLITE_DONE ? Status::make(kRecordNotFound) : t.db->error(rc);
    });
}

Status Table::lastOfEach(int key, const std::vector<Value>& firsts, std::vector<Row>& out) {
    Impl& t = *m_impl;
    out.clear();
    if (Status s = t.checkKey(key); !s.ok()) return s;
    if (key == kRecordOrder) return misuse("record order has no components");
    if (firsts.empty()) return Status::okStatus();
    const FieldDef& first = t.def.fields[static_cast<std::size_t>(t.keySql(key).fields.front())];
    return t.guarded(*this, [&] {
        out.clear();
        Status status;
        sqlite3_stmt* s = t.db->statement(detail::lastOfEachSql(t.def, t.schema, key, static_cast<int>(firsts.size())), status);
        if (!s) return status;
        Query q(s);
        for (std::size_t i = 0; i < firsts.size(); ++i) {
            const int index = static_cast<int>(i + 1);
            if (const auto* n = std::get_if<std::int64_t>(&firsts[i])) q.bind(index, *n);
            else q.bind(index, detail::storedText(first, std::get<std::string>(firsts[i])));
        }
        int rc;
        while ((rc = q.step()) == SQLITE_ROW) out.push_back(t.decode(s, false));
        return rc == SQLITE_DONE ? Status::okStatus() : t.db->error(rc);
    });
}

Status Table::add(Row& row) {
    Impl& t = *m_impl;
    if (!t.db) return t.notOpen();
    if (Status s = t.checkShape(row); !s.ok()) return s;
    return t.guarded(*this, [&] {
        Status status;
        sqlite3_stmt* s = t.statement(Impl::kInsert, status);
        if (!s) return status;
        Query q(s);
        for (std::size_t i = 0; i < t.def.fields.size(); ++i) t.bindField(q, static_cast<int>(i + 1), i, row);
        const int rc = q.step();
        if (rc != SQLITE_DONE) return t.db->error(rc);
        row.ref.rowId = sqlite3_last_insert_rowid(t.db->handle());
        row.ref.version = 1;
        row.ref.stored = t.storedValues(row);
        return Status::okStatus();
    });
}

Status Table::put(Row& row) {
    Impl& t = *m_impl;
    if (!t.db) return t.notOpen();
    if (row.ref.rowId == 0) return Status::make(kRecordNotAvailable);
    // Its unread fields would overwrite the stored ones with blanks.
    if (row.ref.partial) return Status::make(kInvalidRecordDeclaration);
    if (Status s = t.checkShape(row); !s.ok()) return s;
    const std::size_t n = t.def.fields.size();
    // The fields that differ from the values as read; all of them when those are not known.
    std::uint64_t changed = 0;
    std::shared_ptr<const StoredValues> now = t.storedValues(row);
    const StoredValues* before = row.ref.stored.get();
    for (std::size_t i = 0; i < n; ++i) {
        if (!before || before->values.size() != n || before->values[i] != now->values[i]) changed |= std::uint64_t{1} << i;
    }
    return t.guarded(*this, [&] {
        Status status;
        sqlite3_stmt* s = t.updateStatement(changed, status);
        if (!s) return status;
        Query q(s);
        for (std::size_t i = 0; i < n; ++i) {
            if (changed & (std::uint64_t{1} << i)) t.bindField(q, static_cast<int>(i + 1), i, row);
        }
        q.bind(static_cast<int>(n + 1), row.ref.rowId);
        q.bind(static_cast<int>(n + 2), row.ref.version);
        const int rc = q.step();
        if (rc != SQLITE_DONE) return t.db->error(rc);
        // Nothing matched the row id at the version read: the row was rewritten or deleted since.
        if (sqlite3_changes(t.db->handle()) == 0) return Status::make(kRecordChanged);
        ++row.ref.version;
        row.ref.stored = now;
        return Status::okStatus();
    });
}

Status Table::erase(const Row& row) {
    Impl& t = *m_impl;
    if (!t.db) return t.notOpen();
    if (row.ref.rowId == 0) return Status::make(kRecordNotAvailable);
    return t.guarded(*this, [&] {
        Status status;
        sqlite3_stmt* s = t.statement(Impl::kErase, status);
        if (!s) return status;
        Query q(s);
        q.bind(1, row.ref.rowId);
        q.bind(2, row.ref.version);
        const int rc = q.step();
        if (rc != SQLITE_DONE) return t.db->error(rc);
        if (sqlite3_changes(t.db->handle()) == 0) return Status::make(kRecordChanged);
        return Status::okStatus();
    });
}

Status Table::empty() {
    Impl& t = *m_impl;
    if (!t.db) return t.notOpen();
    return t.guarded(*this, [&] {
        Status status;
        sqlite3_stmt* s = t.db->statement(t.schema.eraseAll, status);
        if (!s) return status;
        Query q(s);
        const int rc = q.step();
        return rc == SQLITE_DONE ? Status::okStatus() : t.db->error(rc);
    });
}

Result<bool> Table::duplicate(int key, const Row& row) {
    Impl& t = *m_impl;
    if (Status s = t.checkKey(key); !s.ok()) return {s, false};
    if (key == kRecordOrder) return {misuse("record order has no values to duplicate"), false};
    bool found = false;
    Status status = t.guarded(*this, [&] {
        Status prepared;
        sqlite3_stmt* s = t.statement(key, Impl::kDuplicate, prepared);
        if (!s) return prepared;
        Query q(s);
        const std::vector<Value> values = t.components(key, row);
        t.bindComponents(q, key, values);
        q.bind(static_cast<int>(values.size() + 1), row.ref.rowId);
        const int rc = q.step();
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) return t.db->error(rc);
        found = rc == SQLITE_ROW;
        return Status::okStatus();
    });
    return {std::move(status), found};
}

Result<std::int64_t> Table::records() {
    Impl& t = *m_impl;
    if (!t.db) return {t.notOpen(), 0};
    std::int64_t count = 0;
    Status status = t.guarded(*this, [&] {
        Status prepared;
        sqlite3_stmt* s = t.statement(Impl::kCount, prepared);
        if (!s) return prepared;
        Query q(s);
        const int rc = q.step();
        if (rc != SQLITE_ROW) return t.db->error(rc);
        count = sqlite3_column_int64(s, 0);
        return Status::okStatus();
    });
    return {std::move(status), count};
}

Result<std::int64_t> Table::recordsAfter(std::int64_t& after, std::int64_t limit) {
    Impl& t = *m_impl;
    if (!t.db) return {t.notOpen(), 0};
    std::int64_t count = 0;
    std::int64_t last = after;
    Status status = t.guarded(*this, [&] {
        Status prepared;
        sqlite3_stmt* s = t.statement(Impl::kCountAfter, prepared);
        if (!s) return prepared;
        Query q(s);
        q.bind(1, after);
        q.bind(2, limit);
        const int rc = q.step();
        if (rc != SQLITE_ROW) return t.db->error(rc);
        count = sqlite3_column_int64(s, 0);
        if (count > 0) last = sqlite3_column_int64(s, 1);
        return Status::okStatus();
    });
    if (status.ok()) after = last;
    return {std::move(status), count};
}

std::string Table::position(int key, const Row& row) const {
    if (key < kRecordOrder || key >= static_cast<int>(m_impl->schema.keys.size())) return {};
    return detail::encodePosition({key, row.ref.rowId, m_impl->components(key, row)});
}

Status Table::reget(std::string_view position, Row& out) {
    Impl& t = *m_impl;
    if (!t.db) return t.notOpen();
    const auto p = detail::decodePosition(position);
    if (!p || p->key >= static_cast<int>(t.schema.keys.size())) return Status::make(kRecordNotFound);
    Row row;
    if (Status s = t.guarded(*this, [&] { return t.readRow(p->rowId, row); }); !s.ok()) return s;
    t.cursor.at(p->key, t.components(p->key, row));
    t.cursor.lowId = t.cursor.highId = row.ref.rowId;
    out = std::move(row);
    return Status::okStatus();
}

// ---------------------------------------------------------------------------------------------------------
// Damage met by an operation

bool isDamage(const Status& status) {
    return status.code == kDriverError && status.driverCode.rfind("SQLITE_CORRUPT", 0) == 0;
}

Status Table::Impl::classify(const Status& met) {
    // Every record read through the table itself, no key: if that fails, the records are damaged.
    const std::string scan = "SELECT " + schema.columns + " FROM " + schema.table + " NOT INDEXED";
    if (sqlite3_exec(db->handle(), scan.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) return met;
    // SQLite found a key that disagrees with the records, or a key of the table cannot be read.
    if (met.driverCode.rfind("SQLITE_CORRUPT (" + std::to_string(SQLITE_CORRUPT_INDEX) + ")", 0) == 0)
        return Status::make(kKeyFileMustBeRebuilt);
    for (const auto& key : schema.keys) {
        const std::string read = "SELECT count(*) FROM " + schema.table + " INDEXED BY " +
                                 detail::quoteIdentifier(key.indexName) +
                                 (key.blankCondition.empty() ? "" : " WHERE " + key.blankCondition);
        if (sqlite3_exec(db->handle(), read.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
            return Status::make(kKeyFileMustBeRebuilt);
    }
    return met;  // elsewhere in the file: nothing the keys of this table can mend
}

void Table::Impl::reportPendingDamage(Table& self) {
    if (!pendingDamage || !db || db->inTransaction()) return;
    const Status earlier = *std::exchange(pendingDamage, std::nullopt);
    if (damageHandler) damageHandler(self, earlier);
}


}  // namespace tarvelo::store
