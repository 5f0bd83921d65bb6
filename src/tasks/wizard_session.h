#pragma once
// One run of a wizard over the data files, without widgets: the TaskEditor of the task form with the
// wizard's own start, page sequence and end.
//
//   TaskWizardSession wizard(files, WizardKind::addMessage, ports);
//   if (wizard.start()) { ...show the pages, bound to wizard.editor()...
//       Finish: if (!wizard.finishPressed()) close;   Cancel / close box: wizard.cancel(), close; }
//   Response r = wizard.end();
//
// Adding: the record starts cleared, is reserved with the next free number and gets the defaults of a
// new task, with the category "General" (added to Categories when missing) and the wizard's task type.
// Rescheduling: the new task starts as an exact copy of the source task under the reserved number, made
// a one-off ("Once"), enabled and not yet warned. While the wizard is open the new task's skip flag holds
// the answer to "skip the source's next occurrence"; the event is saved without it, and the source task
// is touched only by end() after a successful finish, and only to take that flag.
//
// Threading: the GUI thread only.
#include <optional>

#include "tasks/task_editor.h"
#include "tasks/wizard_navigation.h"

namespace tarvelo {

inline constexpr const char* kGeneralCategory = "General";

class TaskWizardSession {
public:
    // source: the task to reschedule (WizardKind::specialEvent only; its message included).
    TaskWizardSession(DataFiles& files, WizardKind kind, TaskEditorPorts ports, const Task& source = {});
    TaskWizardSession(const TaskWizardSession&) = delete;
    TaskWizardSession& operator=(const TaskWizardSession&) = delete;

    // The steps before the window. Returns whether the window is to be opened; when not, the session
    // has ended already (nothing is left reserved).
    bool start();

    WizardKind kind() const { return m_navigation.kind(); }
    TaskEditor& editor() { return m_editor; }
    const TaskEditor& editor() const { return m_editor; }
    Task& task() { return m_editor.task(); }
    WizardNavigation& navigation() { return m_navigation; }
    const WizardNavigation& navigation() const { return m_navigation; }
    // The copy of the task being rescheduled, as it was when the wizard started.
    const Task& source() const { return m_saved; }

    // "&Finish": the add wizards re-accept every field first, the special event saves as it stands.
    // Returns where the focus goes when the wizard stays open, or nothing when it is to close.
    std::optional<TaskFocus> finishPressed();
    void cancel() { m_editor.cancel(); }
    // The end: the reserved record is removed unless finished; after a finished special event whose
    // skip box is ticked, the skip is moved from the new task to the source task. Safe to call again.
    Response end();

private:
    void ensureGeneralCategory();
    void moveSkipToSource();
    void tell(std::string text);

    DataFiles& m_files;
    platform::MessageBoxPort& m_messages;
    TaskEditor m_editor;
    WizardNavigation m_navigation;
    Task m_saved;
    bool m_skipSource = false;  // a finished special event asked to skip the source's next occurrence
    bool m_ended = false;
    Response m_response = Response::cancelled;
};

}  // namespace tarvelo
