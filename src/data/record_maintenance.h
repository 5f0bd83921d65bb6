#pragma once
// Changing and deleting records of Schedule, ToDo and Categories, each inside a transaction over its
// tables, with the reference rules between Categories and Schedule; and the numbering of a new task.
//
// Each procedure returns what it came to: on failure the status its message has shown (the transaction
// rolled back, so nothing of the attempt is stored), or referenceRefusal() when the reference rules
// refused it. Messages come after the rollback: no other program waits on this one while one is open. The procedures take their own uses of the tables they touch, so a caller needs no use of
// its own (the forms hold one anyway).
//
// A put writes the caller's copy over the stored row it was read from and fails when somebody else
// changed that row since (kWarnUpdateOperationError in its fixed wording); the copy's ref moves on only when the put
// is committed.
#include <string_view>

#include "data/data_files.h"
#include "data/records.h"

namespace tarvelo {

// The code of a change or delete that the reference rules refused (kWarnReferentialUpdateError or
// kWarnReferentialDeleteError has been shown); no code of the driver's.
inline constexpr int kReferencedElsewhere = 1000;
store::Status referenceRefusal();

store::Status deleteTaskRecord(DataFiles& files, const Task& record);
store::Status deleteToDoRecord(DataFiles& files, const ToDo& record);
// Refused (kWarnReferentialDeleteError) while a task uses the category.
store::Status deleteCategoriesRecord(DataFiles& files, const Category& record);

store::Status putTaskRecord(DataFiles& files, Task& record);
store::Status putToDoRecord(DataFiles& files, ToDo& record);
// snapshot: the category's name when its form opened. A new name is refused (kWarnReferentialUpdateError) while a
// task uses the old one; record.category is then set back to snapshot.
store::Status putCategoriesRecord(DataFiles& files, Category& record, const FixedText<20>& snapshot);

enum class ReferenceCheck { forDelete, forRename };

// True when a task uses the category name, or when reading Schedule failed; its message
// (kWarnReferentialDeleteError, kWarnReferentialUpdateError or kWarnRecordRetrievalError) has then been
// shown. Only the first task at or after the name in the case-insensitive SCH:KEYCATEGORY is looked at,
// and its category must equal the name exactly: a task whose category differs only in letter case does
// not count when it is the one found. REQUIRES: a use of Schedule is held.
bool categoryReferenced(DataFiles& files, std::string_view name, ReferenceCheck check);

enum class Numbering {
    numbered,   // the task is stored under its new number; record.id and record.ref name it
    cancelled,  // the user gave up after kWarnAutoIncrementError
    abandoned,  // Schedule could not be read (kWarnRecordRetrievalError shown)
};

// Reserves the next free task number (the highest SCH:ID plus 1, or 1) by storing a placeholder task
// under it, trying three times before kWarnAutoIncrementError offers to retry. The placeholder holds only the number,
// so neither the due-task scan nor the advance warnings see it; the form's completion writes the task
// over it, and a form that ends otherwise removes it (removeReservedTask). All other fields of record
// are kept as the caller primed them.
Numbering reserveTaskNumber(DataFiles& files, Task& record);
// Removes the placeholder of a reservation that was not completed (ok when it was gone already).
store::Status removeReservedTask(DataFiles& files, const Task& record);

// Re-reads the stored row a copy was read from (by the key a delete remembers it by) into out.
store::Status rereadRecord(DataFiles& files, const Task& copy, Task& out);
store::Status rereadRecord(DataFiles& files, const ToDo& copy, ToDo& out);
store::Status rereadRecord(DataFiles& files, const Category& copy, Category& out);

}  // namespace tarvelo
