#pragma once
// The frame's "&To Do List", "&Categories" and "&Run Log" entries: each starts its list as a child window
// in the frame's document area; the frame does not wait for it. The run log has one window, raised when
// it is open already (it has nothing to compare side by side); the others may be opened several times.
#include "core/settings.h"
#include "data/windows/list_services.h"
#include "tasks/windows/update_schedule.h"

namespace tarvelo::app {

class MainFrame;

// services must outlive the frame's menu.
void setListCommands(MainFrame& frame, const ListServices& services);

// At start-up: the to-do list when the settings ask for it (ShowToDoAtStart).
void startListsAtStart(MainFrame& frame, const Settings& settings, const ListServices& services);

// Every open to-do list shows the table as it is now: a message window added an item behind its back.
void refreshToDoLists(const MainFrame& frame);

// The task form as the list windows run it (UpdateSchedule), handing back the task as the form left it.
std::function<Response(Request, Task&, QWidget*)> taskFormRunner(const TaskFormServices& services);

}  // namespace tarvelo::app
