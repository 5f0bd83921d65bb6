#pragma once
#include <cstdint>
#include <memory>

namespace tarvelo::store {

struct StoredValues;  // the values of a row as they were read (store.h)

// Which stored row a record copy came from, the row's version when it was read and, for copies read to
// be changed, the values as read. A put of the copy fails with code 89 when the row's version has moved
// on since, and writes only the fields that differ from the values as read. rowId 0: the copy was never
// stored.
//
// Two copies with the same field values are the same record whatever rows they were read from, so
// RowRef never makes records compare unequal.
struct RowRef {
    std::int64_t rowId = 0;
    std::int64_t version = 0;
    std::shared_ptr<const StoredValues> stored;  // null: unknown, a put writes every field
    bool partial = false;  // read with only some of its fields (View::readFields): a put is refused
    friend bool operator==(const RowRef&, const RowRef&) { return true; }
};

}  // namespace tarvelo::store
