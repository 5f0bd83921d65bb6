#include "fakes/task_table.h"

#include "data/tables.h"

namespace tarvelo::test {

TaskRow::TaskRow(std::int64_t id) {
    for (const auto& f : scheduleTableDef().fields) {
        const bool numeric = f.type == store::FieldType::Byte || f.type == store::FieldType::Short ||
                             f.type == store::FieldType::Long;
        m_row.values.push_back(numeric ? store::Value(std::int64_t{0}) : store::Value(std::string()));
    }
    with("SCH:ID", id);
}

TaskRow& TaskRow::with(const std::string& field, store::Value value) {
    const int index = scheduleTableDef().fieldIndex(field);
    EXPECT_GE(index, 0) << field;
    if (index >= 0) m_row.values[static_cast<std::size_t>(index)] = std::move(value);
    return *this;
}

std::int64_t addTask(DataFiles& files, const TaskRow& task) {
    store::Row row = task.row();
    const store::Status s = files.table(TableId::schedule).add(row);
    EXPECT_TRUE(s.ok()) << s.message;
    return row.ref.rowId;
}

}  // namespace tarvelo::test
