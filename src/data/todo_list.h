#pragma once
// The to-do list's parameters and rules: BrowseTodo's three orders, columns and icons, and UpdateTodo's
// priority check.
#include "data/browse_list.h"
#include "data/data_warning.h"

namespace tarvelo {

// An icon column showing "x" for a done item, the priority, the text.
inline constexpr const char* kToDoListFormat = "10C(1)|*I@s1@22C(1)|M*~Priority~R@n2@60L|M*~To Do~@s40@";
// The list's icon list: 1 "done1.ico", 2 "notdone.ico".
inline constexpr int kToDoDoneIcon = 1;
inline constexpr int kToDoOpenIcon = 2;

// The tabs "Done", "Priority", "To Do", and the sort each selects.
enum class ToDoOrder : int { done = 0, priority = 1, todo = 2 };
// The second tab sorts by priority, the third by text, any other by the done flag.
ToDoOrder toDoOrderForTab(int tab);

BrowseConfig toDoBrowseConfig();

inline constexpr int kLowestPriority = 1;
inline constexpr int kHighestPriority = 10;
inline constexpr int kNewItemPriority = 5;

bool priorityInRange(int priority);
// The check run whenever the priority field is accepted: outside 1..10 it shows "The value of
// tDo:Priority must be between 1 and 10." (kWarnRangeError) and returns false.
bool checkPriority(const DataWarning& warn, int priority);

}  // namespace tarvelo
