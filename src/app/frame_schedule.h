#pragma once
// The frame's "&Browse Schedule": the schedule browse as a child window in the frame's document area,
// with the program's task form, special-event wizard, calendar, category picker, tags and "Run Now"
// behind its buttons; started at start-up when the settings ask for it (ShowScheduleAtStart), and told
// whenever the engine's tick changed the tasks.
#include "core/settings.h"
#include "data/windows/schedule_window.h"
#include "engine/run_now.h"
#include "tasks/windows/update_schedule.h"

namespace tarvelo {
class Tags;
}

namespace tarvelo::app {

class MainFrame;

// The services the browse runs, built over the program's parts; the search opens in documentArea (as a
// window of its own without one); lastRuns fills in the Last Result column. Every argument must outlive
// the browse windows.
ScheduleBrowseServices scheduleBrowseServices(const ListServices& lists, const TaskFormServices& taskForms,
                                              const Settings& settings, Tags& tags,
                                              QWidget* documentArea = nullptr, LastRuns* lastRuns = nullptr);

// services must outlive the frame's menu.
void setScheduleCommands(MainFrame& frame, const ScheduleBrowseServices& services);

// At start-up: the schedule browse when the settings ask for it.
void startScheduleAtStart(MainFrame& frame, const Settings& settings, const ScheduleBrowseServices& services);

// Every open schedule browse shows the table as it is now (within the tick, or once no modal window
// holds it back), its highlighted task kept.
void refreshScheduleLists(const MainFrame& frame);

}  // namespace tarvelo::app
