#include "data/todo_list.h"

#include "data/list_cells.h"
#include "data/tables.h"

namespace tarvelo {

ToDoOrder toDoOrderForTab(int tab) {
    if (tab == static_cast<int>(ToDoOrder::priority)) return ToDoOrder::priority;
    if (tab == static_cast<int>(ToDoOrder::todo)) return ToDoOrder::todo;
    return ToDoOrder::done;
}

BrowseConfig toDoBrowseConfig() {
    const store::TableDef& def = toDoTableDef();
    const int done = fieldOf(def, "TDO:DONE");
    const int priority = fieldOf(def, "TDO:PRIORITY");
    const int todo = fieldOf(def, "TDO:TODO");

    BrowseConfig config;
    config.tableName = "Todo";
    // In the order of ToDoOrder.
    config.sorts = {
        BrowseSort::onKey(static_cast<int>(ToDoKey::keyDone), StopKind::number, done),
        BrowseSort::onKey(static_cast<int>(ToDoKey::keyPriority), StopKind::number, priority),
        BrowseSort::onKey(static_cast<int>(ToDoKey::keyToDo), StopKind::text, todo),
    };
    config.cells = [columns = programListColumns(kToDoListFormat), done, priority, todo](const store::Row& row) {
        auto cells = pictureCells(columns, {-1, priority, todo}, row);
        const bool isDone = std::get<std::int64_t>(row.values[static_cast<std::size_t>(done)]) == 1;
        cells[0].text = isDone ? "x" : " ";
        cells[0].icon = isDone ? kToDoDoneIcon : kToDoOpenIcon;
        return cells;
    };
    return config;
}

bool priorityInRange(int priority) { return priority >= kLowestPriority && priority <= kHighestPriority; }

bool checkPriority(const DataWarning& warn, int priority) {
    if (priorityInRange(priority)) return true;
    warn(kWarnRangeError, kNoFailure, "tDo:Priority", std::to_string(kLowestPriority), std::to_string(kHighestPriority));
    return false;
}

}  // namespace tarvelo
