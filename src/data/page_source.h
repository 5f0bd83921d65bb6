#pragma once
// Where a browse list reads its pages: the records of one table in the order of one key, optionally
// limited to a range — the records whose leading key components equal given values ("the tasks of the
// category Work" on SCH:KEYCATEGORY). A range is read as a bounded stretch of the key: its first and
// last records are found by one keyed seek each, and reading stops at its edge instead of passing over
// the rest of the table, so a page costs the same at either end of a million records.
//
// Text components of a range compare as the key does (letter case folded), so "work" and "Work" name
// the same range.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "store/store.h"

namespace tarvelo {

struct PageRecord {
    store::Row row;
    std::string position;  // the record's position string in the source's key
};

enum class Direction { forward, backward };

// The leading key components a source is limited to; empty: the whole key.
struct KeyRange {
    std::vector<store::Value> leading;
};

// A cursor over a stretch of one key. Positioning never reads; read() steps from the position.
class PageSource {
public:
    virtual ~PageSource() = default;

    // Before the first record of the range (for reading forwards) / after its last (backwards).
    [[nodiscard]] virtual store::Status toStart() = 0;
    [[nodiscard]] virtual store::Status toEnd() = 0;
    // At the first record whose key is >= the key components of keyValues; a value outside the range is
    // taken as the range's nearer end.
    [[nodiscard]] virtual store::Status toValue(const store::Row& keyValues) = 0;
    // The next forward read returns the record at position (when it is gone: the one after the place it
    // had), a backward read the one before it.
    [[nodiscard]] virtual store::Status resetTo(std::string_view position) = 0;
    // Reads up to count records in direction, appending them to out. kRecordNotAvailable when the range
    // ended first (out then holds what was read before the end).
    [[nodiscard]] virtual store::Status read(Direction direction, int count, std::vector<PageRecord>& out) = 0;
    // Re-reads the record at position with change watching: a later put of it fails with code 89 when
    // somebody changed it in between.
    [[nodiscard]] virtual store::Status reread(std::string_view position, store::Row& out) = 0;
};

// A source over the driver's View, in the key's order or (descending) the other way round: its start is
// then the key's last record. REQUIRES: table outlives the source.
std::unique_ptr<PageSource> openViewSource(store::Table& table, int key, KeyRange range = {},
                                           store::Order order = store::Order::ascending);

}  // namespace tarvelo
