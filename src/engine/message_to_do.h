#pragma once
// The to-do item "&Add to To Do List" makes of a message: its first 40 characters on one line (its line
// breaks and tabs as blanks), priority 5, not done.
#include <string_view>

#include "data/records.h"

namespace tarvelo {
class DataFiles;
}

namespace tarvelo::engine {

inline constexpr Byte kMessageToDoPriority = 5;

ToDo toDoFromMessage(std::string_view message);

// Adds that item to the ToDo table, taking a use of the table for the moment; a failing add is not
// reported (the message window stays as it was).
void addMessageToDo(DataFiles& files, std::string_view message);

}  // namespace tarvelo::engine
