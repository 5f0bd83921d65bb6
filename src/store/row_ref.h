#pragma once
#include <cstdint>

namespace tarvelo::store {

// Which stored row a record copy came from, and the row's version when it was read. A put of the copy
// fails with code 89 when the row's version has moved on since. rowId 0: the copy was never stored.
//
// Two copies with the same field values are the same record whatever rows they were read from, so
// RowRef never makes records compare unequal.
struct RowRef {
    std::int64_t rowId = 0;
    std::int64_t version = 0;
    friend bool operator==(const RowRef&, const RowRef&) { return true; }
};

}  // namespace tarvelo::store
