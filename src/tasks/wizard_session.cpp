#include "tasks/wizard_session.h"

#include <string>
#include <utility>

namespace tarvelo {

TaskWizardSession::TaskWizardSession(DataFiles& files, WizardKind kind, TaskEditorPorts ports,
                                     const Task& source)
    : m_files(files),
      m_messages(ports.messages),
      m_editor(files, Request::insert, Task{}, std::move(ports)),
      m_navigation(kind),
      m_saved(source) {
    if (kind == WizardKind::specialEvent) m_editor.fields().setRules(TaskRules::specialEvent);
}

bool TaskWizardSession::start() {
    // Whatever record another window or the engine read last, a wizard starts from a cleared one.
    if (!m_editor.start()) {
        m_ended = true;
        return false;
    }
    Task& t = task();
    if (kind() == WizardKind::specialEvent) {
        Task copy = m_saved;
        copy.id = t.id;
        copy.ref = t.ref;
        copy.scheduleType = ScheduleType::Once;
        copy.disabled = 0;
        copy.advanceWarned = 0;
        t = copy;
    } else {
        t.category = kGeneralCategory;
        if (kind() == WizardKind::addProgram) t.taskType = TaskType::RunProgram;
        if (kind() == WizardKind::addMessage) t.taskType = TaskType::DisplayMessage;
        ensureGeneralCategory();
        m_editor.fields().runVisibilityRules();
    }
    if (!m_editor.loadCategories()) {
        m_editor.cancel();
        end();
        return false;
    }
    return true;
}

void TaskWizardSession::ensureGeneralCategory() {
    TableUse use(m_files, TableId::categories);
    auto categories = m_files.categories();
    Category probe, found;
    probe.category = kGeneralCategory;
    // The table tells names apart regardless of letter case: a "general" already there is the category,
    // and the task takes its spelling so that the drop list shows it.
    if (categories.fetch(CategoryKey::keyCategory, probe, found).ok()) {
        task().category = found.category;
        return;
    }
    if (const store::Status s = categories.add(probe); !s.ok()) m_files.warn()(kWarnRecordInsertError, s);
}

std::optional<TaskFocus> TaskWizardSession::finishPressed() {
    if (kind() != WizardKind::specialEvent) return m_editor.ok();
    // The skip box answers a question about the source task; the event itself is saved without the flag.
    // Were it stored with it and clearing it failed, the engine would pass over the one occurrence the
    // event exists for.
    Task& t = task();
    const Byte skipSource = t.skipNextTime;
    t.skipNextTime = 0;
    const std::optional<TaskFocus> stay = m_editor.save();
    if (stay) {
        t.skipNextTime = skipSource;
    } else {
        m_skipSource = skipSource != 0;
    }
    return stay;
}

Response TaskWizardSession::end() {
    if (m_ended) return m_response;
    m_ended = true;
    m_response = m_editor.finish();
    if (m_response == Response::completed && m_skipSource) moveSkipToSource();
    return m_response;
}

void TaskWizardSession::moveSkipToSource() {
    TableUse use(m_files, TableId::schedule);
    auto schedule = m_files.schedule();
    Task probe, regular;
    probe.id = m_saved.id;
    if (const store::Status s = schedule.fetch(ScheduleKey::keyId, probe, regular); !s.ok()) {
        tell("Could not set SKIP status  ID #" + std::to_string(m_saved.id) + "Error:" + s.message);
        return;
    }
    regular.skipNextTime = 1;
    if (const store::Status s = schedule.put(regular); !s.ok()) tell("Could not change SKIP status " + s.message);
}

void TaskWizardSession::tell(std::string text) {
    platform::MessageBoxRequest box;
    box.text = std::move(text);
    m_messages.show(box);
}

}  // namespace tarvelo
