#pragma once
// The wizards that add a task (AddTaskWizard, AddProgramWizard, AddMessageWizard) and the one that makes
// a one-off special event of an existing task (SpecialEventWizard): a thin view that lays the task's
// controls (task_controls.h) out as pages over a TaskWizardSession, which holds every rule.
//
//   TaskWizardWindow* w = TaskWizardWindow::open(WizardKind::addMessage, services, frame);
//
// opens a wizard without waiting for it (nullptr when it could not start: its message has been shown),
// as a child window when the parent is the frame's document area; the window deletes itself when it
// closes and emits ended() first. Any way of closing other than a
// successful "&Finish" removes the reserved record again.
#include <memory>

#include <QDialog>

#include "tasks/windows/task_controls.h"
#include "tasks/wizard_session.h"

class QPushButton;
class QStackedWidget;

namespace tarvelo {

class TaskWizardWindow : public QDialog {
    Q_OBJECT
public:
    // source: the task to reschedule (WizardKind::specialEvent only).
    static TaskWizardWindow* open(WizardKind kind, const TaskFormServices& services, QWidget* parent = nullptr,
                                  const Task& source = {});

    // REQUIRES: session->start() returned true.
    TaskWizardWindow(std::unique_ptr<TaskWizardSession> session, const TaskFormServices& services,
                     QWidget* parent = nullptr);
    ~TaskWizardWindow() override;

    TaskWizardSession& session() { return *m_session; }
    void done(int r) override;

    // The controls, for the tests and for anyone driving the wizard; a group is nullptr where the wizard
    // has none.
    const TaskControls& controls() const { return m_controls; }
    QStackedWidget* pages() const { return m_pages; }
    QPushButton* backButton() const { return m_back; }
    QPushButton* nextButton() const { return m_next; }
    QPushButton* finishButton() const { return m_finish; }
    QPushButton* cancelButton() const { return m_cancel; }

signals:
    // The wizard has closed: completed after a successful "&Finish", cancelled otherwise.
    void ended(tarvelo::Response response);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildPage(WizardPage page);
    QWidget* buildTaskPage();
    QWidget* buildMessagePage();
    QWidget* buildWhenPage();
    QWidget* buildAdvancedPage();
    void showPage();
    void moveFocus(TaskFocus focus);
    void pressNext();
    void pressBack();
    void pressFinish();

    std::unique_ptr<TaskWizardSession> m_session;
    TaskControls m_controls;
    TaskControlsBinder* m_binder = nullptr;
    bool m_positioned = false;
    bool m_ended = false;

    QStackedWidget* m_pages = nullptr;
    QPushButton* m_back = nullptr;
    QPushButton* m_next = nullptr;
    QPushButton* m_finish = nullptr;
    QPushButton* m_cancel = nullptr;
};

}  // namespace tarvelo
