#pragma once
// The fields of a task that the schedule search compares, in the order of their controls on the form
// (which is the order the criteria are tested in), each with its kind and the picture its entry shows.
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "search/match_type.h"

namespace tarvelo::search {

struct SearchField {
    std::string_view name;    // the stored field, "SCH:DESCRIPTION"
    FieldKind kind;
    std::string_view picture; // "@s40", "@d3", "@t3", "@n6"
    int index;                // the field's place in the Schedule record
};

// The 31 searchable fields, in control order.
std::span<const SearchField> searchFields();
// The searchable field stored at a place in the Schedule record; nothing for one that is not searchable
// (SCH:ID, the last-run date and time, the advance-warned and completed flags).
const SearchField* searchFieldAt(int index);
// By its stored name ("SCH:DATE") or by the command line's name for it (lower case, without the prefix:
// "date"); nothing for an unknown or unsearchable name.
const SearchField* searchFieldNamed(std::string_view name);
// The command line's name: "description".
std::string commandLineName(const SearchField& field);

}  // namespace tarvelo::search
