#include "data/history_record.h"

#include <string>

#include "data/record_table.h"
#include "data/tables.h"

namespace tarvelo {
namespace {

// Each field of `to` takes the field of `from` with the same name after the prefix; a field `from`
// lacks is left at its blank value.
store::Row copyByName(const store::TableDef& from, const store::Row& source, const store::TableDef& to,
                      const store::Row& blank) {
    store::Row row = blank;
    for (std::size_t i = 0; i < to.fields.size(); ++i) {
        const std::string& name = to.fields[i].name;
        const int index = from.fieldIndex(from.prefix + name.substr(name.find(':')));
        if (index >= 0) row.values[i] = source.values.at(static_cast<std::size_t>(index));
    }
    return row;
}

}  // namespace

History historyEntry(const Task& task, std::int32_t id) {
    History entry = RecordTable<History>::fromRow(copyByName(scheduleTableDef(), RecordTable<Task>::toRow(task),
                                                             historyTableDef(), RecordTable<History>::toRow(History{})));
    entry.id = id;
    entry.completed = 1;
    return entry;
}

Task recordedTask(const History& entry) {
    return RecordTable<Task>::fromRow(copyByName(historyTableDef(), RecordTable<History>::toRow(entry),
                                                     scheduleTableDef(), RecordTable<Task>::toRow(Task{})));
}

}  // namespace tarvelo
