#include "app/frame_calendar.h"

#include "app/frame_schedule.h"
#include "app/main_frame.h"
#include "data/windows/category_windows.h"

namespace tarvelo::app {

void setCalendarCommands(MainFrame& frame, DataFiles& files, const platform::Platform& platform) {
    auto services = std::make_shared<calendar::CalendarCommandServices>(calendar::CalendarCommandServices{
        files, platform, [&frame] {
            refreshScheduleLists(frame);
            for (BrowseCategoriesWindow* list : frame.findChildren<BrowseCategoriesWindow*>()) list->refreshList();
        }});
    frame.setCommand(FrameCommand::exportCalendar, [services] { calendar::exportCalendar(*services); });
    frame.setCommand(FrameCommand::importCalendar, [services, &frame] { calendar::importCalendar(*services, &frame); });
}

}  // namespace tarvelo::app
