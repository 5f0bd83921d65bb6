#include "app/frame_schedule.h"

#include <QMdiArea>

#include "app/main_frame.h"
#include "data/tags.h"
#include "search/windows/search_schedule.h"
#include "tasks/windows/calendar_dialog.h"
#include "tasks/windows/task_wizard.h"

namespace tarvelo::app {

ScheduleBrowseServices scheduleBrowseServices(const ListServices& lists, const TaskFormServices& taskForms,
                                              const Settings& settings, Tags& tags,
                                              QWidget* documentArea, LastRuns* lastRuns) {
    ScheduleBrowseServices services{lists, taskForms.platform, settings};
    services.lastRuns = lastRuns;
    services.taskForm = [&taskForms](Request request, Task& task, std::string_view selectedDayText, QWidget* parent) {
        TaskEditor editor(taskForms.files, request, task, taskForms.platform, taskForms.fields);
        if (editor.start(selectedDayText)) {
            UpdateScheduleForm form(editor, taskForms, parent);
            form.exec();
        }
        const Response response = editor.finish();
        task = editor.task();
        return response;
    };
    services.specialEvent = [&taskForms](const Task& source, Task& event, QWidget* parent) {
        auto session = std::make_unique<TaskWizardSession>(taskForms.files, WizardKind::specialEvent,
                                                           taskForms.platform, taskForms.fields, source);
        if (!session->start()) return session->end();
        TaskWizardWindow wizard(std::move(session), taskForms, parent);
        wizard.exec();
        event = wizard.session().task();
        return wizard.session().end();
    };
    services.calendar = [&taskForms](StdDate day, QWidget* parent) {
        // A cleared task: every day may be chosen.
        return CalendarDialog::pick(CalendarOptions{day, "", "", {}}, taskForms.platform.clock, taskForms.platform.messages, parent);
    };
    services.isTagged = [&tags](std::int64_t rowId) { return tags.isTagged(kScheduleTable, rowId); };
    services.search = [&taskForms, &tags, documentArea](ScheduleBrowseServices::SearchEnded ended) {
        search::startSearchSchedule(documentArea, Request::search, taskForms, tags,
                                    [ended = std::move(ended)](int response, const Task& task) {
                                        if (ended) ended(static_cast<Response>(response), task);
                                    });
    };
    services.runNow = [&files = taskForms.files, platform = taskForms.platform](Task& task, QWidget*) {
        tarvelo::runNow(files, task, platform);
    };
    return services;
}

void setScheduleCommands(MainFrame& frame, const ScheduleBrowseServices& services) {
    frame.setCommand(FrameCommand::browseSchedule,
                     [&frame, &services] { BrowseScheduleWindow::start(services, frame.mdiArea()); });
}

void startScheduleAtStart(MainFrame& frame, const Settings& settings, const ScheduleBrowseServices& services) {
    if (settings.showScheduleAtStart) BrowseScheduleWindow::start(services, frame.mdiArea());
}

void refreshScheduleLists(const MainFrame& frame) {
    for (BrowseScheduleWindow* list : frame.findChildren<BrowseScheduleWindow*>()) list->tableChanged();
}

}  // namespace tarvelo::app
