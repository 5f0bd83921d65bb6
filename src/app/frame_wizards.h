#pragma once
// The frame's "&Wizards" entries: "Add &Message", "Add &Program" and "Generic &Add" each open their
// wizard as a child window in the frame's document area; the frame does not wait for it.
#include "tasks/windows/update_schedule.h"

namespace tarvelo::app {

class MainFrame;

// services must outlive the frame's menu.
void setWizardCommands(MainFrame& frame, const TaskFormServices& services);

}  // namespace tarvelo::app
