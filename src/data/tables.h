#pragma once
// The tables of the data file SM and of the tag file: each record's binding to its stored fields, each
// table's description (fields and keys), and the key constants that name the keys in code.
//
// A key constant is the key's index in its table's description, so RecordTable<R> can pass it straight
// to the driver; ScheduleKey::keyDateEnabled is SCH:KEYDATEENABLED.
#include <string>

#include "core/fixed_text.h"
#include "data/records.h"
#include "store/record_binding.h"
#include "store/store.h"

namespace tarvelo {

enum class ScheduleKey : int {
    keyId,            // SCH:ID; unique
    keyDate,          // SCH:DATE, SCH:TIME
    keyCategory,      // SCH:CATEGORY, SCH:DESCRIPTION
    keyCategoryDate,  // SCH:CATEGORY, SCH:DATE, SCH:TIME
    keyTaskName,      // SCH:DESCRIPTION, SCH:CATEGORY
    keyTaskType,      // SCH:TASKTYPE, SCH:DESCRIPTION
    keyTaskDate,      // SCH:TASKTYPE, SCH:DATE, SCH:TIME
    keyDateEnabled,   // SCH:DISABLED, SCH:DATE, SCH:TIME: enabled tasks first, earliest first
    keyAdvanced,      // SCH:ADVANCEWARNED, SCH:ADVANCEWARNDATE, SCH:ADVANCEWARNTIME
};

enum class HistoryKey : int {
    keyId,  // HIS:ID; unique
    keyDate,
    keyCategory,
    keyCategoryDate,
    keyTaskName,
    keyTaskType,
    keyTaskDate,
};

enum class CategoryKey : int {
    keyCategory,  // CAT:CATEGORY; unique regardless of letter case
};

// The ToDo keys are the only ones that keep records whose components are all blank.
enum class ToDoKey : int {
    keyDone,      // TDO:DONE, TDO:PRIORITY, TDO:TODO
    keyPriority,  // TDO:PRIORITY, TDO:DONE, TDO:TODO
    keyToDo,      // TDO:TODO
};

enum class TagKey : int {
    ptrKey,  // TF_:USR, TF_:TBL, TF_:PTR; unique
    valKey,  // TF_:USR, TF_:TBL, TF_:VAL
};

enum class RunLogKey : int {
    keyTaskStart,  // RUN:TASK, RUN:STARTDATE, RUN:STARTTIME
    keyStart,      // RUN:STARTDATE, RUN:STARTTIME
    keyState,      // RUN:STATE, RUN:STARTDATE, RUN:STARTTIME: the runs still under way found at once
    keyTold,       // RUN:TOLD, RUN:STARTDATE, RUN:STARTTIME: the failures not yet told first
};

// The tables the program keeps, in the order `check` lists them.
enum class TableId : int { schedule, categories, toDo, history, runLog, tagFile };
inline constexpr int kTableCount = 6;

// The name of the tag file (and of its one table); nothing changes it at run time.
const FixedText<50>& tagFileName();
// The data file that holds Schedule, Categories, ToDo, History and RunLog.
inline constexpr const char* kDataFileName = "SM";

const store::RecordBinding<Task>& scheduleBinding();
const store::RecordBinding<History>& historyBinding();
const store::RecordBinding<Category>& categoryBinding();
const store::RecordBinding<ToDo>& toDoBinding();
const store::RecordBinding<Tag>& tagBinding();
const store::RecordBinding<RunEntry>& runLogBinding();

const store::TableDef& scheduleTableDef();
const store::TableDef& historyTableDef();
const store::TableDef& categoryTableDef();
const store::TableDef& toDoTableDef();
const store::TableDef& tagTableDef();
const store::TableDef& runLogTableDef();
const store::TableDef& tableDef(TableId id);

// What RecordTable<R> needs to know of a record type.
template <class R>
struct RecordTraits;

template <>
struct RecordTraits<Task> {
    using Key = ScheduleKey;
    static constexpr TableId table = TableId::schedule;
    static const store::RecordBinding<Task>& binding() { return scheduleBinding(); }
};
template <>
struct RecordTraits<History> {
    using Key = HistoryKey;
    static constexpr TableId table = TableId::history;
    static const store::RecordBinding<History>& binding() { return historyBinding(); }
};
template <>
struct RecordTraits<Category> {
    using Key = CategoryKey;
    static constexpr TableId table = TableId::categories;
    static const store::RecordBinding<Category>& binding() { return categoryBinding(); }
};
template <>
struct RecordTraits<ToDo> {
    using Key = ToDoKey;
    static constexpr TableId table = TableId::toDo;
    static const store::RecordBinding<ToDo>& binding() { return toDoBinding(); }
};
template <>
struct RecordTraits<Tag> {
    using Key = TagKey;
    static constexpr TableId table = TableId::tagFile;
    static const store::RecordBinding<Tag>& binding() { return tagBinding(); }
};

template <>
struct RecordTraits<RunEntry> {
    using Key = RunLogKey;
    static constexpr TableId table = TableId::runLog;
    static const store::RecordBinding<RunEntry>& binding() { return runLogBinding(); }
};

}  // namespace tarvelo
