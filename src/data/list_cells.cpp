#include "data/list_cells.h"

#include <cassert>

#include "core/picture.h"

namespace tarvelo {

std::vector<ListColumn> programListColumns(std::string_view format) {
    auto columns = parseListFormat(format);
    assert(columns && "a list format of the program is malformed");
    return columns ? std::move(*columns) : std::vector<ListColumn>{};
}

platform::ListCell pictureCell(const ListColumn& column, const store::Value& value) {
    platform::ListCell cell;
    if (const auto* n = std::get_if<std::int64_t>(&value)) {
        cell.text = formatPicture(std::string_view(column.picture), *n);
    } else {
        cell.text = formatPicture(std::string_view(column.picture), std::string_view(std::get<std::string>(value)));
    }
    return cell;
}

std::vector<platform::ListCell> pictureCells(const std::vector<ListColumn>& columns, const std::vector<int>& fields,
                                       const store::Row& row) {
    std::vector<platform::ListCell> cells(columns.size());
    for (std::size_t i = 0; i < columns.size() && i < fields.size(); ++i) {
        const int f = fields[i];
        if (f >= 0 && static_cast<std::size_t>(f) < row.values.size()) {
            cells[i] = pictureCell(columns[i], row.values[static_cast<std::size_t>(f)]);
        }
    }
    return cells;
}

int fieldOf(const store::TableDef& def, std::string_view name) {
    const int index = def.fieldIndex(name);
    assert(index >= 0 && "the table has no such field");
    return index;
}

}  // namespace tarvelo
