#pragma once
// What Table, View and Transaction share: a table's derived statements, its Database while open, and
// the keyed reading that both the table's own position and every View use.
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
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

struct Table::Impl {
    TableDef def;
    std::string path;  // absolute path of the data file
    detail::Schema schema;
    std::shared_ptr<Database> db;  // null while closed
    Cursor cursor;
    // Statements of the open connection by purpose, so that the hot paths skip the statement cache.
    std::vector<sqlite3_stmt*> prepared;

    Status remember(Status status) const;  // sets lastError() too
    Status notOpen() const;
    Status checkKey(int key) const;  // the table is open and key is one of its keys

    enum Purpose { kSelectByRowId, kInsert, kUpdate, kErase, kCount, kFixedPurposes };
    enum KeyPurpose { kFirst, kLast, kAfter, kBefore, kEqual, kDuplicate, kKeyPurposes };
    sqlite3_stmt* statement(Purpose purpose, Status& status);
    sqlite3_stmt* statement(int key, KeyPurpose purpose, Status& status);

    // The key's components taken from row, as stored (numbers as numbers, text trimmed and cut).
    std::vector<Value> components(int key, const Row& row) const;
    void bindComponents(Query& query, int key, const std::vector<Value>& values) const;
    Status bindFields(Query& query, const Row& row) const;  // kInvalidRecordDeclaration on a misshapen row
    Row decode(sqlite3_stmt* statement) const;

    // One step along the cursor: the next (or previous) record the filter accepts. kRecordNotAvailable at
    // the end, out then unchanged and the cursor at that end.
    Status read(Cursor& cursor, bool forward, const std::function<bool(const Row&)>* filter, Row& out);
    // The row with that row id; kRecordNotFound when there is none.
    Status readRow(std::int64_t rowId, Row& out);
};

}  // namespace tarvelo::store
