#include "store/schema.h"

#include <algorithm>
#include <cctype>
#include <set>

#include "core/fixed_text.h"
#include "store/fold_collation.h"

namespace tarvelo::store::detail {

namespace {

std::string lowered(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
    return out;
}

std::string joined(const std::vector<std::string>& parts, std::string_view separator) {
    std::string out;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) out += separator;
        out += parts[i];
    }
    return out;
}

std::string parameters(int first, int count) {
    std::vector<std::string> p;
    for (int i = 0; i < count; ++i) p.push_back("?" + std::to_string(first + i));
    return joined(p, ", ");
}

KeySql deriveKey(const TableDef& def, const KeyDef& key, const std::string& table, const std::string& columns,
                 std::string& problem) {
    KeySql k;
    std::vector<std::string> cols;
    std::vector<std::string> blanks;
    for (const auto& component : key.components) {
        const int f = def.fieldIndex(component);
        if (f < 0) {
            problem = "key " + key.name + " names no field " + component;
            return k;
        }
        k.fields.push_back(f);
        const FieldDef& field = def.fields[static_cast<std::size_t>(f)];
        cols.push_back(quoteIdentifier(columnName(field)));
        blanks.push_back(cols.back() + (isNumeric(field.type) ? " = 0" : " = ''"));
    }
    if (cols.empty()) {
        problem = "key " + key.name + " has no components";
        return k;
    }
    const int n = static_cast<int>(cols.size());
    k.indexName = def.tableName + "!" + key.name;
    if (key.blankExcluded) k.blankCondition = "NOT (" + joined(blanks, " AND ") + ")";

    const std::string where = k.blankCondition.empty() ? "" : " WHERE " + k.blankCondition;
    const std::string andBlank = k.blankCondition.empty() ? "" : " AND " + k.blankCondition;
    const std::string rowId = quoteIdentifier(kRowIdColumn);
    std::vector<std::string> ascending = cols;
    ascending.push_back(rowId);
    std::vector<std::string> descending;
    for (const auto& c : ascending) descending.push_back(c + " DESC");
    const std::string orderUp = " ORDER BY " + joined(ascending, ", ");
    const std::string orderDown = " ORDER BY " + joined(descending, ", ");
    const std::string tuple = "(" + joined(ascending, ", ") + ")";
    const std::string values = "(" + parameters(1, n + 1) + ")";
    const std::string limit = " LIMIT ?" + std::to_string(n + 2);
    const std::string select = "SELECT " + columns + " FROM " + table;

    k.createIndex = std::string("CREATE ") + (key.unique ? "UNIQUE " : "") + "INDEX " +
                    quoteIdentifier(k.indexName) + " ON " + table + " (" + joined(cols, ", ") + ")" + where;
    k.selectFirst = select + where + orderUp + " LIMIT ?1";
    k.selectLast = select + where + orderDown + " LIMIT ?1";
    k.selectAfter = select + " WHERE " + tuple + " > " + values + andBlank + orderUp + limit;
    k.selectBefore = select + " WHERE " + tuple + " < " + values + andBlank + orderDown + limit;

    std::vector<std::string> equal;
    for (int i = 0; i < n; ++i) equal.push_back(cols[static_cast<std::size_t>(i)] + " = ?" + std::to_string(i + 1));
    // A unique key has one row at most; ordering it would only cost SQLite a sort.
    k.selectEqual = select + " WHERE " + joined(equal, " AND ") + andBlank + (key.unique ? "" : orderUp) + " LIMIT 1";
    k.selectDuplicate = "SELECT 1 FROM " + table + " WHERE " + joined(equal, " AND ") + " AND " + rowId +
                        " <> ?" + std::to_string(n + 1) + andBlank + " LIMIT 1";
    return k;
}

}  // namespace

std::string quoteIdentifier(std::string_view name) {
    std::string out = "\"";
    for (char c : name) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

std::string columnName(const FieldDef& field) {
    const auto colon = field.name.find(':');
    return colon == std::string::npos ? field.name : field.name.substr(colon + 1);
}

bool isNumeric(FieldType type) {
    return type == FieldType::Byte || type == FieldType::Short || type == FieldType::Long;
}

std::string_view storedText(const FieldDef& field, std::string_view text) {
    int width = field.width;
    if (field.type == FieldType::CString) --width;
    if (width > 0) text = utf8Prefix(text, static_cast<std::size_t>(width));
    return trimRight(text);
}

std::string updateOf(const TableDef& def, std::uint64_t changed) {
    const std::string version = quoteIdentifier(kVersionColumn);
    std::string sql = "UPDATE " + quoteIdentifier(def.tableName) + " SET ";
    const std::size_t n = def.fields.size();
    for (std::size_t i = 0; i < n && i < 64; ++i) {
        if (changed & (std::uint64_t{1} << i)) sql += quoteIdentifier(columnName(def.fields[i])) + " = ?" + std::to_string(i + 1) + ", ";
    }
    return sql + version + " = " + version + " + 1 WHERE " + quoteIdentifier(kRowIdColumn) + " = ?" +
           std::to_string(n + 1) + " AND " + version + " = ?" + std::to_string(n + 2);
}

Schema deriveSchema(const TableDef& def) {
    Schema s;
    if (def.tableName.empty() || def.fields.empty()) {
        s.problem = "a table needs a name and fields";
        return s;
    }
    if (def.fields.size() > 64) {  // a put names its changed fields in 64 bits
        s.problem = "a table has at most 64 fields";
        return s;
    }
    s.table = quoteIdentifier(def.tableName);
    const std::string rowId = quoteIdentifier(kRowIdColumn);
    const std::string version = quoteIdentifier(kVersionColumn);

    std::set<std::string> seen{lowered(kRowIdColumn), lowered(kVersionColumn)};
    std::vector<std::string> declarations{rowId + " INTEGER PRIMARY KEY AUTOINCREMENT"};
    std::vector<std::string> fieldColumns;
    for (const auto& field : def.fields) {
        const std::string column = columnName(field);
        if (column.empty() || !seen.insert(lowered(column)).second) {
            s.problem = "field " + field.name + " does not give a column of its own";
            return s;
        }
        fieldColumns.push_back(quoteIdentifier(column));
        declarations.push_back(fieldColumns.back() +
                               (isNumeric(field.type) ? " INTEGER NOT NULL DEFAULT 0"
                                                      : std::string(" TEXT NOT NULL DEFAULT '' COLLATE ") +
                                                            kFoldCollation));
    }
    declarations.push_back(version + " INTEGER NOT NULL DEFAULT 1");
    s.createTable = "CREATE TABLE " + s.table + " (" + joined(declarations, ", ") + ")";
    s.columns = rowId + ", " + version + ", " + joined(fieldColumns, ", ");

    const int n = static_cast<int>(fieldColumns.size());
    s.insert = "INSERT INTO " + s.table + " (" + joined(fieldColumns, ", ") + ", " + version + ") VALUES (" +
               parameters(1, n) + ", 1)";
    s.erase = "DELETE FROM " + s.table + " WHERE " + rowId + " = ?1 AND " + version + " = ?2";
    s.selectByRowId = "SELECT " + s.columns + " FROM " + s.table + " WHERE " + rowId + " = ?1";
    s.count = "SELECT count(*) FROM " + s.table;
    s.countAfter = "SELECT count(*), max(" + rowId + ") FROM (SELECT " + rowId + " FROM " + s.table + " WHERE " + rowId +
                   " > ?1 ORDER BY " + rowId + " LIMIT ?2)";
    s.eraseAll = "DELETE FROM " + s.table;

    std::set<std::string> keyNames;
    for (const auto& key : def.keys) {
        if (!keyNames.insert(lowered(key.name)).second) {
            s.problem = "key " + key.name + " is declared twice";
            return s;
        }
        s.keys.push_back(deriveKey(def, key, s.table, s.columns, s.problem));
        if (!s.problem.empty()) return s;
    }
    // Record order pages like a key of no components: the row id alone is the place (?1), the limit ?2.
    const std::string select = "SELECT " + s.columns + " FROM " + s.table;
    s.recordOrder.selectFirst = select + " ORDER BY " + rowId + " LIMIT ?1";
    s.recordOrder.selectLast = select + " ORDER BY " + rowId + " DESC LIMIT ?1";
    s.recordOrder.selectAfter = select + " WHERE " + rowId + " > ?1 ORDER BY " + rowId + " LIMIT ?2";
    s.recordOrder.selectBefore = select + " WHERE " + rowId + " < ?1 ORDER BY " + rowId + " DESC LIMIT ?2";
    s.valid = true;
    return s;
}

std::string lastOfEachSql(const TableDef& def, const Schema& schema, int key, int count) {
    const KeySql& k = schema.keys[static_cast<std::size_t>(key)];
    const std::string rowId = quoteIdentifier(kRowIdColumn);
    std::vector<std::string> up, down;
    for (int f : k.fields) up.push_back(quoteIdentifier(columnName(def.fields[static_cast<std::size_t>(f)])));
    up.push_back(rowId);
    for (const auto& c : up) down.push_back(c + " DESC");
    std::vector<std::string> values;
    for (int i = 1; i <= count; ++i) values.push_back("(?" + std::to_string(i) + ")");
    // The inner select repeats the key's blank condition word for word, so its seek uses the partial index.
    const std::string andBlank = k.blankCondition.empty() ? "" : " AND " + k.blankCondition;
    return "SELECT " + schema.columns + " FROM " + schema.table + " WHERE " + rowId + " IN (SELECT (SELECT " + rowId +
           " FROM " + schema.table + " WHERE " + up.front() + " = v.column1" + andBlank + " ORDER BY " +
           joined(down, ", ") + " LIMIT 1) FROM (VALUES " + joined(values, ", ") + ") AS v) ORDER BY " +
           joined(up, ", ");
}

std::string selectingFields(const TableDef& def, const Schema& schema, const std::string& select,
                            const std::vector<int>& fields) {
    std::string columns = quoteIdentifier(kRowIdColumn) + ", " + quoteIdentifier(kVersionColumn);
    for (int f : fields) columns += ", " + quoteIdentifier(columnName(def.fields[static_cast<std::size_t>(f)]));
    const std::string head = "SELECT " + schema.columns;
    return "SELECT " + columns + select.substr(head.size());
}

}  // namespace tarvelo::store::detail
