#pragma once
// The shown values of a record in a list format: each column shows one field of the record through the
// column's picture. Lists whose columns carry icons or colours adjust the cells afterwards.
#include <string_view>
#include <vector>

#include "core/list_format.h"
#include "store/store.h"
#include "platform/page_list.h"

namespace tarvelo {

// The columns of a format the program itself defines. REQUIRES: the format is well formed.
std::vector<ListColumn> programListColumns(std::string_view format);

platform::ListCell pictureCell(const ListColumn& column, const store::Value& value);

// fields: the field shown in each column (-1: a column left blank).
std::vector<platform::ListCell> pictureCells(const std::vector<ListColumn>& columns, const std::vector<int>& fields,
                                       const store::Row& row);

// The index of a field in a table's description. REQUIRES: the table has it.
int fieldOf(const store::TableDef& def, std::string_view name);

}  // namespace tarvelo
