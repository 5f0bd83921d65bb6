#pragma once
// The page sequence of the wizards that add or reschedule a task, without widgets.
//
// The page number starts at 1 and changes only through next() and back(). Which page follows depends on
// the task type chosen on page 1: a page the task type hides is passed over in both directions, so a
// "Run Program" task never reaches the message page, a "Display Message" or "None" task never reaches
// the command page. "&Back" shows on every page but the first; "&Finish" takes the place of "&Next", and
// its place as the default button, on the last page.
#include <string_view>
#include <vector>

#include "data/records.h"

namespace tarvelo {

enum class WizardKind {
    addTask,       // AddTaskWizard: any task type
    addProgram,    // AddProgramWizard
    addMessage,    // AddMessageWizard
    specialEvent,  // SpecialEventWizard: a one-off copy of an existing task
};

// What a page holds.
enum class WizardPage { task, command, message, when, advanced };

// The buttons below the pages.
struct WizardButtons {
    bool back = false;
    bool next = true;
    bool finish = false;  // when shown, it is the default button; otherwise "&Next" is
    friend bool operator==(const WizardButtons&, const WizardButtons&) = default;
};

class WizardNavigation {
public:
    explicit WizardNavigation(WizardKind kind);

    WizardKind kind() const { return m_kind; }
    // The wizard's pages in order; page() is a 1-based index into it.
    const std::vector<WizardPage>& pages() const { return m_pages; }
    int page() const { return m_page; }
    int lastPage() const { return static_cast<int>(m_pages.size()); }
    WizardPage current() const { return m_pages[static_cast<std::size_t>(m_page - 1)]; }
    WizardButtons buttons() const;

    // "&Next" and "&Back" with the task type of the record; false (nothing changed) past either end.
    bool next(TaskType taskType);
    bool back(TaskType taskType);

    // Whether a page is passed over for a task type.
    static bool skips(WizardPage page, TaskType taskType);

private:
    bool step(int direction, TaskType taskType);

    WizardKind m_kind;
    std::vector<WizardPage> m_pages;
    int m_page = 1;
};

// The INI section of a wizard's window position and the name it is known by.
std::string_view wizardName(WizardKind kind);
// The caption before the window opens ("Add Task Wizard", ...).
std::string_view wizardCaption(WizardKind kind);

}  // namespace tarvelo
