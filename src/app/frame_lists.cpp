#include "app/frame_lists.h"

#include <QMdiArea>

#include "data/windows/category_windows.h"
#include "data/windows/todo_windows.h"
#include "app/main_frame.h"
#include "runlog/windows/run_log_window.h"

namespace tarvelo::app {

void setListCommands(MainFrame& frame, const ListServices& services) {
    frame.setCommand(FrameCommand::toDoList, [&frame, &services] { BrowseTodoWindow::start(services, frame.mdiArea()); });
    frame.setCommand(FrameCommand::categories,
                     [&frame, &services] { BrowseCategoriesWindow::start(services, frame.mdiArea()); });
    frame.setCommand(FrameCommand::runLog, [&frame, &services] { runlog::RunLogWindow::start(services, frame.mdiArea()); });
    // Child windows still open when the program ends close as the user would close them: each keeps its
    // position and lets its tables go while the program's services are still there.
    QObject::connect(&frame, &MainFrame::closedDown, frame.mdiArea(), &QMdiArea::closeAllSubWindows);
}

void startListsAtStart(MainFrame& frame, const Settings& settings, const ListServices& services) {
    if (settings.showToDoAtStart) BrowseTodoWindow::start(services, frame.mdiArea());
}

void refreshToDoLists(const MainFrame& frame) {
    for (BrowseTodoWindow* list : frame.findChildren<BrowseTodoWindow*>()) list->refreshList();
}

std::function<Response(Request, Task&, QWidget*)> taskFormRunner(const TaskFormServices& services) {
    return [&services](Request request, Task& task, QWidget* parent) {
        TaskEditor editor(services.files, request, task, services.platform, services.fields);
        if (editor.start()) {
            UpdateScheduleForm form(editor, services, parent);
            form.exec();
        }
        const Response response = editor.finish();
        task = editor.task();
        return response;
    };
}

}  // namespace tarvelo::app
