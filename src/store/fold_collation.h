#pragma once
// The collation of every text column: letters compare case-folded (all of Unicode, one code point at a
// time, as ICU's simple case folding maps them), then by code point; trailing blanks are not significant.
// "Émile" and "émile" are therefore one key value, for ordering and for uniqueness alike.
#include <string_view>

struct sqlite3;

namespace tarvelo::store::detail {

inline constexpr const char* kFoldCollation = "FOLD";

// <0, 0 or >0 as a sorts before, with or after b. Bytes that are not valid UTF-8 sort after every
// character, by their value, so that the order stays total whatever a file holds.
int foldCompare(std::string_view a, std::string_view b);

// Makes kFoldCollation known to a connection; every connection that touches the tables needs it.
// Returns SQLite's result code.
int registerFoldCollation(sqlite3* db);

}  // namespace tarvelo::store::detail
