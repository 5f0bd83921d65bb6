#include "data/tables.h"

#include <gtest/gtest.h>

#include <set>

#include "data/record_table.h"

namespace tarvelo {
namespace {

using store::FieldType;
using store::TableDef;

// The packed length of the fixed record (the memo is kept outside it).
int recordLength(const TableDef& def) {
    int length = 0;
    for (const auto& f : def.fields) {
        switch (f.type) {
        case FieldType::Byte: length += 1; break;
        case FieldType::Short: length += 2; break;
        case FieldType::Long: length += 4; break;
        case FieldType::String:
        case FieldType::CString: length += f.width; break;
        case FieldType::Memo: break;
        }
    }
    return length;
}

struct TableCase {
    TableId id;
    const char* qualifiedName;
    const char* prefix;
    int recordLength;
    int fieldCount;
};

const TableCase kTables[] = {
    {TableId::schedule, "SM\\!Schedule", "SCH", 412, 36},
    {TableId::history, "SM\\!History", "HIS", 411, 35},
    {TableId::categories, "SM\\!Categories", "CAT", 20, 1},
    {TableId::toDo, "SM\\!ToDo", "TDO", 42, 3},
    {TableId::runLog, "SM\\!RunLog", "RUN", 205, 15},
    {TableId::tagFile, "TagFile_\\!TagFile_", "TF_", 20, 4},
};

TEST(TableDefs, GivenEachTableThenItsNameLayoutAndLengthAreThoseOfTheStoredRecord) {
    for (const auto& c : kTables) {
        const TableDef& def = tableDef(c.id);
        EXPECT_EQ(def.qualifiedName(), c.qualifiedName);
        EXPECT_EQ(def.prefix, c.prefix);
        EXPECT_EQ(recordLength(def), c.recordLength) << c.qualifiedName;
        EXPECT_EQ(static_cast<int>(def.fields.size()), c.fieldCount) << c.qualifiedName;
        std::set<std::string> names;
        for (const auto& f : def.fields) {
            EXPECT_EQ(f.name.rfind(std::string(c.prefix) + ":", 0), 0u) << f.name;
            EXPECT_TRUE(names.insert(f.name).second) << "field twice: " << f.name;
        }
        for (const auto& k : def.keys) {
            for (const auto& component : k.components) {
                EXPECT_GE(def.fieldIndex(component), 0) << k.name << " names no field " << component;
            }
            EXPECT_FALSE(k.description.empty()) << k.name;
        }
    }
}

TEST(TableDefs, GivenTheTextFieldsThenTheirWidthsAreThoseOfTheRecords) {
    const TableDef& s = scheduleTableDef();
    const auto width = [&](const char* name) { return s.fields.at(static_cast<std::size_t>(s.fieldIndex(name))).width; };
    EXPECT_EQ(width("SCH:TASKTYPE"), 20);
    EXPECT_EQ(width("SCH:DESCRIPTION"), 40);
    EXPECT_EQ(width("SCH:COMMAND"), 80);
    EXPECT_EQ(width("SCH:ALARMFILE"), 81);
    EXPECT_EQ(s.fields.at(static_cast<std::size_t>(s.fieldIndex("SCH:ALARMFILE"))).type, FieldType::CString);
    EXPECT_EQ(s.fields.back().name, "SCH:MESSAGE");
    EXPECT_EQ(s.fields.back().type, FieldType::Memo);
    EXPECT_EQ(s.fields.back().width, 1000);
    EXPECT_EQ(historyTableDef().fieldIndex("HIS:ADVANCEWARNED"), -1);
    EXPECT_EQ(tagTableDef().fields.at(1).type, FieldType::Short);
}

struct KeyCase {
    TableId table;
    int constant;
    const char* name;
    std::vector<std::string> components;
    bool unique;
    bool blankExcluded;
};

const KeyCase kKeys[] = {
    {TableId::schedule, int(ScheduleKey::keyId), "SCH:KEYID", {"SCH:ID"}, true, true},
    {TableId::schedule, int(ScheduleKey::keyDate), "SCH:KEYDATE", {"SCH:DATE", "SCH:TIME"}, false, true},
    {TableId::schedule, int(ScheduleKey::keyCategory), "SCH:KEYCATEGORY", {"SCH:CATEGORY", "SCH:DESCRIPTION"}, false, true},
    {TableId::schedule, int(ScheduleKey::keyCategoryDate), "SCH:KEYCATEGORYDATE",
     {"SCH:CATEGORY", "SCH:DATE", "SCH:TIME"}, false, true},
    {TableId::schedule, int(ScheduleKey::keyTaskName), "SCH:KEYTASKNAME", {"SCH:DESCRIPTION", "SCH:CATEGORY"}, false, true},
    {TableId::schedule, int(ScheduleKey::keyTaskType), "SCH:KEYTASKTYPE", {"SCH:TASKTYPE", "SCH:DESCRIPTION"}, false, true},
    {TableId::schedule, int(ScheduleKey::keyTaskDate), "SCH:KEYTASKDATE", {"SCH:TASKTYPE", "SCH:DATE", "SCH:TIME"}, false, true},
    {TableId::schedule, int(ScheduleKey::keyDateEnabled), "SCH:KEYDATEENABLED",
     {"SCH:DISABLED", "SCH:DATE", "SCH:TIME"}, false, true},
    {TableId::schedule, int(ScheduleKey::keyAdvanced), "SCH:KEYADVANCED",
     {"SCH:ADVANCEWARNED", "SCH:ADVANCEWARNDATE", "SCH:ADVANCEWARNTIME"}, false, true},
    {TableId::history, int(HistoryKey::keyId), "HIS:KEYID", {"HIS:ID"}, true, true},
    {TableId::history, int(HistoryKey::keyDate), "HIS:KEYDATE", {"HIS:DATE", "HIS:TIME"}, false, true},
    {TableId::history, int(HistoryKey::keyCategory), "HIS:KEYCATEGORY", {"HIS:CATEGORY", "HIS:DESCRIPTION"}, false, true},
    {TableId::history, int(HistoryKey::keyCategoryDate), "HIS:KEYCATEGORYDATE",
     {"HIS:CATEGORY", "HIS:DATE", "HIS:TIME"}, false, true},
    {TableId::history, int(HistoryKey::keyTaskName), "HIS:KEYTASKNAME", {"HIS:DESCRIPTION", "HIS:CATEGORY"}, false, true},
    {TableId::history, int(HistoryKey::keyTaskType), "HIS:KEYTASKTYPE", {"HIS:TASKTYPE", "HIS:DESCRIPTION"}, false, true},
    {TableId::history, int(HistoryKey::keyTaskDate), "HIS:KEYTASKDATE", {"HIS:TASKTYPE", "HIS:DATE", "HIS:TIME"}, false, true},
    {TableId::categories, int(CategoryKey::keyCategory), "CAT:KEYCATEGORY", {"CAT:CATEGORY"}, true, true},
    {TableId::toDo, int(ToDoKey::keyDone), "TDO:KEYDONE", {"TDO:DONE", "TDO:PRIORITY", "TDO:TODO"}, false, false},
    {TableId::toDo, int(ToDoKey::keyPriority), "TDO:KEYPRIORITY", {"TDO:PRIORITY", "TDO:DONE", "TDO:TODO"}, false, false},
    {TableId::toDo, int(ToDoKey::keyToDo), "TDO:KEYTODO", {"TDO:TODO"}, false, false},
    {TableId::runLog, int(RunLogKey::keyTaskStart), "RUN:KEYTASKSTART", {"RUN:TASK", "RUN:STARTDATE", "RUN:STARTTIME"}, false, true},
    {TableId::runLog, int(RunLogKey::keyStart), "RUN:KEYSTART", {"RUN:STARTDATE", "RUN:STARTTIME"}, false, true},
    {TableId::runLog, int(RunLogKey::keyTold), "RUN:KEYTOLD", {"RUN:TOLD", "RUN:STARTDATE", "RUN:STARTTIME"}, false, true},
    {TableId::runLog, int(RunLogKey::keyState), "RUN:KEYSTATE", {"RUN:STATE", "RUN:STARTDATE", "RUN:STARTTIME"}, false, true},
    {TableId::tagFile, int(TagKey::ptrKey), "TF_:PTRKEY", {"TF_:USR", "TF_:TBL", "TF_:PTR"}, true, true},
    {TableId::tagFile, int(TagKey::valKey), "TF_:VALKEY", {"TF_:USR", "TF_:TBL", "TF_:VAL"}, false, true},
};

TEST(TableDefs, GivenEachKeyConstantThenItNamesThatKeyWithItsComponentsAndProperties) {
    std::size_t keys = 0;
    for (const auto& c : kKeys) {
        const TableDef& def = tableDef(c.table);
        ASSERT_EQ(def.keyIndex(c.name), c.constant) << c.name;
        const auto& key = def.keys.at(static_cast<std::size_t>(c.constant));
        EXPECT_EQ(key.components, c.components) << c.name;
        EXPECT_EQ(key.unique, c.unique) << c.name;
        EXPECT_EQ(key.blankExcluded, c.blankExcluded) << c.name;
    }
    for (const auto& t : kTables) keys += tableDef(t.id).keys.size();
    EXPECT_EQ(keys, std::size(kKeys)) << "a key without a case here";
}

TEST(TableDefs, GivenTheTagFileThenItsNameIsTheFiftyCharacterVariable) {
    EXPECT_EQ(tagFileName(), "TagFile_");
    EXPECT_EQ(tagFileName().padded().size(), 50u);
    EXPECT_EQ(tagTableDef().fileName, "TagFile_");
}

// ---------------------------------------------------------------------------------------------------------

Task everyFieldSet() {
    Task s;
    s.id = 7;
    s.taskType = TaskType::Both;
    s.category = "Work";
    s.description = "Back up";
    s.command = "tar czf /tmp/b.tgz .";
    s.path = "/home";
    s.scheduleType = ScheduleType::DayOfWeek;
    s.sunday = 1;
    s.tuesday = 1;
    s.saturday = 1;
    s.every = 3;
    s.every2nd = 1;
    s.everyLast = 1;
    s.everyType = RepetitionUnit::Week;
    s.date = 71622;
    s.time = 6300001;
    s.lastRunDate = 71621;
    s.lastRunTime = 100;
    s.skipNextTime = 1;
    s.alarm = 1;
    s.alarmFile = "/usr/share/sounds/a.wav";
    s.advanceWarnDate = 71620;
    s.advanceWarnTime = 5;
    s.advanceWarned = 1;
    s.warn = 1;
    s.userSkip = 1;
    s.disabled = 1;
    s.completed = 1;
    s.message = "Line one\nLine two";
    return s;
}

TEST(Bindings, GivenARecordWithEveryFieldSetWhenConvertedToARowAndBackThenNothingIsLostOrSwapped) {
    const Task s = everyFieldSet();
    const store::Row row = RecordTable<Task>::toRow(s);
    ASSERT_EQ(row.values.size(), scheduleTableDef().fields.size());
    EXPECT_EQ(row.values[static_cast<std::size_t>(scheduleTableDef().fieldIndex("SCH:SATURDAY"))], store::Value{std::int64_t{1}});
    EXPECT_EQ(row.values[static_cast<std::size_t>(scheduleTableDef().fieldIndex("SCH:MONDAY"))], store::Value{std::int64_t{0}});
    EXPECT_EQ(RecordTable<Task>::fromRow(row), s);

    // Each field on its own, so two members bound to each other's names would show.
    const auto& binding = scheduleBinding();
    for (std::size_t i = 0; i < row.values.size(); ++i) {
        store::Row single = binding.toRow(Task{});
        single.values[i] = row.values[i];
        const store::Row back = binding.toRow(binding.fromRow(single));
        EXPECT_EQ(back.values[i], row.values[i]) << scheduleTableDef().fields[i].name;
    }
}

TEST(Bindings, GivenTheOtherRecordsWhenConvertedThenTheyComeBackEqual) {
    History h;
    h.id = 3;
    h.description = "Ran";
    h.alarmFile = "x.wav";
    h.completed = 1;
    h.message = "m";
    EXPECT_EQ(RecordTable<History>::fromRow(RecordTable<History>::toRow(h)), h);
    ToDo t;
    t.done = 1;
    t.priority = 10;
    t.todo = "Call";
    EXPECT_EQ(RecordTable<ToDo>::fromRow(RecordTable<ToDo>::toRow(t)), t);
    Tag g;
    g.user = 1;
    g.table = -2;
    g.position = 99;
    g.value = "T";
    EXPECT_EQ(RecordTable<Tag>::fromRow(RecordTable<Tag>::toRow(g)), g);
}

}  // namespace
}  // namespace tarvelo
