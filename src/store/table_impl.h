#pragma once
// What Table, View and Transaction share: a table's derived statements, its Database while open, and
// the keyed reading that both the table's own position and every View use.
#include <cstdint>
#include <limits>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "store/database.h"
#include "store/schema.h"
#include "store/store.h"

namespace tarvelo::store {

// A place in one key's order. Reading forwards returns the first record after (anchor, lowId), reading
// backwards the first before (anchor, highId), where the pair compares key value first, row id second.
// After a record is read both ids are its own; positioned at a key value they are below every row id; in
// front of a given record (reset) they straddle it.
struct Cursor {
    enum class State { Unset, Start, End, Gap };
    State state = State::Unset;
    int key = -1;
    std::vector<Value> anchor;
    std::int64_t lowId = 0;
    std::int64_t highId = 0;

    void toStart(int k) { state = State::Start; key = k; anchor.clear(); }
    void toEnd(int k) { state = State::End; key = k; anchor.clear(); }
    void at(int k, std::vector<Value> values) {
        state = State::Gap;
        key = k;
        anchor = std::move(values);
        lowId = highId = std::numeric_limits<std::int64_t>::min();
    }
    void inFrontOf(int k, std::vector<Value> values, std::int64_t rowId) {
        at(k, std::move(values));
        lowId = rowId - 1;
        highId = rowId;
    }
};

// The statements of a read of some fields in one key's order (View::readFields): the same statements
// as the key's own with a shorter column list.
struct FieldSet {
    std::vector<int> fields;  // ascending, the key's components included
    std::vector<Value> blank; // a row's values with every field blank in its kind, the read ones overwritten
    std::vector<bool> numeric;  // of each of fields, whether it is a number
    std::vector<int> unreadNumbers, unreadTexts;  // the fields not in fields, by kind
    std::string sql[4];       // by Table::Impl::KeyPurpose kFirst, kLast, kAfter, kBefore
};

struct Table::Impl {
    TableDef def;
    std::string path;  // absolute path of the data file
    detail::Schema schema;
    std::shared_ptr<Database> db;  // null while closed
    Cursor cursor;
    // Statements of the open connection by purpose, so that the hot paths skip the statement cache.
    std::vector<sqlite3_stmt*> prepared;
    // The UPDATE of each set of changed fields (bit i: field i) met so far.
    std::unordered_map<std::uint64_t, sqlite3_stmt*> updates;
    DamageHandler damageHandler;
    Opening opening = Opening::checked;
    std::optional<Status> pendingDamage;  // met inside a transaction, not yet handed to the handler

    Status notOpen() const;
    Status checkKey(int key) const;  // the table is open and key is one of its keys, or kRecordOrder
    // The statements of a key, or of kRecordOrder. REQUIRES: checkKey(key) is ok.
    const detail::KeySql& keySql(int key) const {
        return key == kRecordOrder ? schema.recordOrder : schema.keys[static_cast<std::size_t>(key)];
    }

    enum Purpose { kSelectByRowId, kInsert, kErase, kCount, kCountAfter, kFixedPurposes };
    enum KeyPurpose { kFirst, kLast, kAfter, kBefore, kEqual, kDuplicate, kKeyPurposes };
    sqlite3_stmt* statement(Purpose purpose, Status& status);
    sqlite3_stmt* statement(int key, KeyPurpose purpose, Status& status);
    sqlite3_stmt* updateStatement(std::uint64_t changed, Status& status);

    // The key's components taken from row, as stored (numbers as numbers, text trimmed and cut).
    std::vector<Value> components(int key, const Row& row) const;
    void bindComponents(Query& query, int key, const std::vector<Value>& values) const;
    // kInvalidRecordDeclaration unless row has a value of the right kind for every field.
    Status checkShape(const Row& row) const;
    void bindField(Query& query, int index, std::size_t field, const Row& row) const;
    // The row's values as they are stored.
    std::shared_ptr<const StoredValues> storedValues(const Row& row) const;
    // keep: the row keeps its values as read, for a later put of the changed fields only.
    Row decode(sqlite3_stmt* statement, bool keep) const;
    // Likewise into row, reusing its storage.
    void decodeInto(sqlite3_stmt* statement, bool keep, Row& row) const;
    // A row read by a FieldSet's statement: those fields, the others blank.
    void decodeInto(sqlite3_stmt* statement, const FieldSet& set, Row& row) const;
    // The statements reading fields (and key's components) in key's order.
    FieldSet fieldSet(int key, std::vector<int> fields) const;

    // One statement: up to limit records on from the cursor, in page (its rows' storage reused, the page
    // then holding exactly those read); the cursor then stands on the last, or at the end when fewer.
    Status readPage(Cursor& cursor, Direction direction, std::int64_t limit, bool keep, std::vector<Row>& page,
                    const FieldSet* set);
    void standOn(Cursor& cursor, const Row& row) const;
    // Steps along the cursor: up to count records the filter accepts, appended to out; the cursor then
    // stands on the last. Fewer: the end was reached (the cursor stands at it).
    // set: read only its fields.
    Status readMany(Cursor& cursor, Direction direction, const std::function<bool(const Row&)>* filter, int count,
                    bool keep, std::vector<Row>& out, const FieldSet* set = nullptr);
    // One step: the next (or previous) record the filter accepts. kRecordNotAvailable at the end, out then
    // unchanged and the cursor at that end.
    Status read(Cursor& cursor, bool forward, const std::function<bool(const Row&)>* filter, Row& out,
                const FieldSet* set = nullptr);
    // The row with that row id; kRecordNotFound when there is none.
    Status readRow(std::int64_t rowId, Row& out);

    // Runs an operation of self; damage it meets is classified and handed to the damage handler (see
    // Table::setDamageHandler). REQUIRES: op leaves no statement active when it returns.
    template <class Op>
    Status guarded(Table& self, Op op);
    // Hands damage met inside a transaction to the handler, once no transaction is active any more.
    void reportPendingDamage(Table& self);
    // What damage met by an operation is: 46 when the records read soundly and a key does not, else as met.
    Status classify(const Status& met);
};

// SQLite reports the file as malformed (SQLITE_CORRUPT, in any of its variants).
bool isDamage(const Status& status);

template <class Op>
Status Table::Impl::guarded(Table& self, Op op) {
    reportPendingDamage(self);
    if (!db) return notOpen();  // the handler may have closed it
    Status s = op();
    if (!isDamage(s) || !db) return s;
    s = classify(s);
    if (db->inTransaction()) {
        pendingDamage = s;
        return s;
    }
    if (damageHandler && damageHandler(self, s) && db) s = op();
    return s;
}

}  // namespace tarvelo::store
