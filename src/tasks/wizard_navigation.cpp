#include "tasks/wizard_navigation.h"

namespace tarvelo {

WizardNavigation::WizardNavigation(WizardKind kind) : m_kind(kind) {
    using P = WizardPage;
    switch (kind) {
    case WizardKind::addTask:
    case WizardKind::specialEvent: m_pages = {P::task, P::command, P::message, P::when, P::advanced}; break;
    case WizardKind::addProgram: m_pages = {P::task, P::when, P::advanced}; break;
    case WizardKind::addMessage: m_pages = {P::task, P::when}; break;
    }
}

WizardButtons WizardNavigation::buttons() const {
    WizardButtons b;
    b.back = m_page > 1;
    b.finish = m_page == lastPage();
    b.next = !b.finish;
    return b;
}

bool WizardNavigation::skips(WizardPage page, TaskType taskType) {
    if (page == WizardPage::command) return taskType == TaskType::DisplayMessage || taskType == TaskType::None;
    if (page == WizardPage::message) return taskType == TaskType::RunProgram;
    return false;
}

bool WizardNavigation::next(TaskType taskType) { return step(+1, taskType); }
bool WizardNavigation::back(TaskType taskType) { return step(-1, taskType); }

bool WizardNavigation::step(int direction, TaskType taskType) {
    // The first and last pages are never passed over, so a step always lands within the sequence.
    int target = m_page + direction;
    while (target > 1 && target < lastPage() && skips(m_pages[static_cast<std::size_t>(target - 1)], taskType))
        target += direction;
    if (target < 1 || target > lastPage()) return false;
    m_page = target;
    return true;
}

std::string_view wizardName(WizardKind kind) {
    switch (kind) {
    case WizardKind::addTask: return "AddTaskWizard";
    case WizardKind::addProgram: return "AddProgramWizard";
    case WizardKind::addMessage: return "AddMessageWizard";
    case WizardKind::specialEvent: return "SpecialEventWizard";
    }
    return {};
}

std::string_view wizardCaption(WizardKind kind) {
    switch (kind) {
    case WizardKind::addTask: return "Add Task Wizard";
    case WizardKind::addProgram: return "Add Program Wizard";
    case WizardKind::addMessage: return "Add Message Wizard";
    case WizardKind::specialEvent: return "Reschedule";
    }
    return {};
}

}  // namespace tarvelo
