#pragma once
// Reading a record by its position (the driver's row id), as tags name records, without moving the
// table's own reading position, which the engine's timer may be using.
#include <cstdint>

#include "store/store.h"

namespace tarvelo::search {

// kRecordNotFound when no record is at that position (any more).
inline store::Status readAtPosition(store::Table& table, std::int64_t position, store::Row& out) {
    store::Row probe;
    probe.ref.rowId = position;
    store::View view(table, 0);
    return view.reread(table.position(0, probe), out);
}

}  // namespace tarvelo::search
