#pragma once
// History entries and the tasks they record. An entry holds every field of the task under the same
// name with its own prefix (HIS:DATE is SCH:DATE), except the advance-warned flag, which History lacks.
#include <cstdint>

#include "data/records.h"

namespace tarvelo {

// The entry of a task performed at once: every field of the task, completed, under its own number id.
History historyEntry(const Task& task, std::int32_t id);

// The task an entry records, under the entry's number, not yet warned.
Task recordedTask(const History& entry);

}  // namespace tarvelo
