#include "data/category_lists.h"

#include "data/list_cells.h"
#include "data/tables.h"

namespace tarvelo {

BrowseConfig categoryBrowseConfig() {
    const int category = fieldOf(categoryTableDef(), "CAT:CATEGORY");
    BrowseConfig config;
    config.tableName = "Categories";
    config.sorts = {BrowseSort::onKey(static_cast<int>(CategoryKey::keyCategory), StopKind::text, category)};
    config.cells = [columns = programListColumns(kCategoryListFormat), category](const store::Row& row) {
        return pictureCells(columns, {category}, row);
    };
    return config;
}

BrowseConfig categoryTasksConfig(std::string_view format, std::function<std::string()> category) {
    const store::TableDef& def = scheduleTableDef();
    std::vector<ListColumn> columns = programListColumns(format);
    // Each column shows the field its heading names.
    std::vector<int> fields;
    for (const ListColumn& c : columns) {
        const char* name = c.heading == "Category"        ? "SCH:CATEGORY"
                           : c.heading == "Description"   ? "SCH:DESCRIPTION"
                           : c.heading == "Date"          ? "SCH:DATE"
                           : c.heading == "Time"          ? "SCH:TIME"
                           : c.heading == "Task Type"     ? "SCH:TASKTYPE"
                           : c.heading == "Schedule Type" ? "SCH:SCHEDULETYPE"
                                                          : nullptr;
        fields.push_back(name ? fieldOf(def, name) : -1);
    }

    BrowseConfig config;
    config.tableName = "Schedule";
    BrowseSort sort = BrowseSort::onKey(static_cast<int>(ScheduleKey::keyCategory), StopKind::text,
                                        fieldOf(def, "SCH:DESCRIPTION"));
    sort.range = [](const std::string& reset) { return std::vector<store::Value>{reset}; };
    sort.hasReset = true;
    config.sorts = {std::move(sort)};
    config.cells = [columns = std::move(columns), fields = std::move(fields)](const store::Row& row) {
        return pictureCells(columns, fields, row);
    };
    config.resetSource = std::move(category);
    return config;
}

}  // namespace tarvelo
