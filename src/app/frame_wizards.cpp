#include "app/frame_wizards.h"

#include <QMdiArea>

#include "app/main_frame.h"
#include "tasks/windows/task_wizard.h"

namespace tarvelo::app {

void setWizardCommands(MainFrame& frame, const TaskFormServices& services) {
    const auto opener = [&frame, &services](WizardKind kind) {
        return [&frame, &services, kind] { TaskWizardWindow::open(kind, services, frame.mdiArea()); };
    };
    frame.setCommand(FrameCommand::addMessage, opener(WizardKind::addMessage));
    frame.setCommand(FrameCommand::addProgram, opener(WizardKind::addProgram));
    frame.setCommand(FrameCommand::genericAdd, opener(WizardKind::addTask));
    // A wizard still open when the program ends gives its reserved record back while the tables are there.
    QObject::connect(&frame, &MainFrame::closedDown, &frame, [&frame] {
        for (TaskWizardWindow* wizard : frame.findChildren<TaskWizardWindow*>()) wizard->close();
    });
}

}  // namespace tarvelo::app
