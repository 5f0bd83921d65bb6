#pragma once
// The frame's "Export as Calendar..." and "Import Calendar..." entries; an import that stored tasks
// refreshes the open schedule and category lists.
#include "calendar/windows/calendar_commands.h"

namespace tarvelo::app {

class MainFrame;

// files and platform must outlive the frame's menu.
void setCalendarCommands(MainFrame& frame, DataFiles& files, const platform::Platform& platform);

}  // namespace tarvelo::app
