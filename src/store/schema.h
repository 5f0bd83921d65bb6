#pragma once
// The SQL storage of a table, derived from its TableDef alone: one SQL table with a column per field, a
// hidden row id (never reused, so a stale copy can never hit a newer record) and a version that every
// write moves on; one index per key. Everything that names a column or builds a statement lives here.
//
// Key order. A key orders by its components, then by row id, so equal key values keep their storage
// order. A blank-excluded key's index is partial (WHERE NOT all components blank), and every statement
// that reads in that order repeats the same condition word for word: that is what lets SQLite use the
// partial index. Page reads are keyset seeks, (c1, c2, _id) > (?, ?, ?) ORDER BY c1, c2, _id LIMIT ?,
// which SQLite runs as one index seek because the folding collation is declared on the columns.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/store.h"

namespace tarvelo::store::detail {

inline constexpr const char* kRowIdColumn = "_id";
inline constexpr const char* kVersionColumn = "_version";

// "x" with embedded quotes doubled.
std::string quoteIdentifier(std::string_view name);
// The column of a field: its name without the table prefix ("SCH:ID" -> ID).
std::string columnName(const FieldDef& field);

// Statements of one key. Parameters: key components ?1..?k; the row id ?k+1; the limit last.
struct KeySql {
    std::vector<int> fields;      // field index of each component
    std::string indexName;        // "Schedule!SCH:KEYDATE"
    std::string createIndex;
    std::string blankCondition;   // "NOT (...)" for a blank-excluded key, else empty
    std::string selectFirst;      // ?1 limit
    std::string selectLast;       // ?1 limit
    std::string selectAfter;      // components, row id, limit: rows after that place in key order
    std::string selectBefore;     // likewise, rows before it, nearest first
    std::string selectEqual;      // components: the first row with exactly that key value
    std::string selectDuplicate;  // components, row id: another row with that key value
};

struct Schema {
    bool valid = false;
    std::string problem;       // why the TableDef cannot be stored, when !valid

    std::string table;         // quoted table name
    std::string createTable;
    std::string columns;       // _id, _version, then the fields in order: what every select returns
    std::string insert;        // fields ?1..?n
    std::string erase;         // row id ?1, version ?2
    std::string selectByRowId; // row id ?1
    std::string count;
    std::string countAfter;    // row id ?1, limit ?2: how many of the next records in record order, and the last row id
    std::string eraseAll;
    std::vector<KeySql> keys;
    KeySql recordOrder;        // kRecordOrder: row id order, no components, no index of its own
};

Schema deriveSchema(const TableDef& def);

// One of the schema's selects (which all return schema.columns) returning _id, _version and only the
// given fields instead, in the order given.
std::string selectingFields(const TableDef& def, const Schema& schema, const std::string& select,
                            const std::vector<int>& fields);

// For count values ?1..?count of key's first component, the last row of each in key order: one seek per
// value on the key's index, the rows returned in key order.
std::string lastOfEachSql(const TableDef& def, const Schema& schema, int key, int count);

// The UPDATE of the fields whose bits are set in changed (bit i: field i, as ?i+1), and of the version,
// where the row id is ?n+1 and the version read ?n+2 (n fields). It touches only the indexes of the
// keys that contain a changed field.
std::string updateOf(const TableDef& def, std::uint64_t changed);

// The text a column holds for a field: trailing blanks off, cut to the field's width without splitting
// a character (a CSTRING keeps one byte for its terminator).
std::string_view storedText(const FieldDef& field, std::string_view text);
bool isNumeric(FieldType type);

}  // namespace tarvelo::store::detail
