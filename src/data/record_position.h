#pragma once
// Reading a record by its position (the driver's row id), as tags name records, without moving the
// table's own reading position, which the engine's timer may be using.
#include <cstdint>

#include "store/store.h"

namespace tarvelo {

// Reads records by position one after another through one view.
class PositionReader {
public:
    explicit PositionReader(store::Table& table) : m_table(table), m_view(table, 0) {}
    // kRecordNotFound when no record is at that position (any more).
    store::Status read(std::int64_t position, store::Row& out) {
        store::Row probe;
        probe.ref.rowId = position;
        return m_view.reread(m_table.position(0, probe), out);
    }

private:
    store::Table& m_table;
    store::View m_view;
};

// kRecordNotFound when no record is at that position (any more).
inline store::Status readAtPosition(store::Table& table, std::int64_t position, store::Row& out) {
    return PositionReader(table).read(position, out);
}

}  // namespace tarvelo
