#pragma once
// The task form: the five tabs of one task, a thin view over a TaskEditor that holds the rules.
//
//   Response r = updateSchedule(Request::change, highlightedTask, services, selectedDayText, parent);
//
// runs one session modally (a delete asks and returns without showing the window). The form works on
// the editor's own copy of the task; nothing is written before OK.
#include <string_view>

#include <QDialog>

#include "tasks/task_editor.h"
#include "tasks/windows/task_controls.h"

class QPushButton;
class QTabWidget;

namespace tarvelo {

Response updateSchedule(Request request, const Task& task, const TaskFormServices& services,
                        std::string_view selectedDayText = {}, QWidget* parent = nullptr);

class UpdateScheduleForm : public QDialog {
    Q_OBJECT
public:
    // REQUIRES: editor.start() returned true.
    UpdateScheduleForm(TaskEditor& editor, const TaskFormServices& services, QWidget* parent = nullptr);
    ~UpdateScheduleForm() override;

    TaskEditor& editor() { return m_editor; }

    void done(int r) override;

    // The controls, for the tests and for anyone driving the form.
    QTabWidget* tabs() const { return m_tabs; }
    const TaskControls& controls() const { return m_controls; }
    TaskControlsBinder& binder() const { return *m_binder; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

    static constexpr int kTaskTab = 0;
    static constexpr int kCommandTab = 1;
    static constexpr int kMessageTab = 2;
    static constexpr int kWhenTab = 3;
    static constexpr int kAdvancedTab = 4;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void moveFocus(TaskFocus focus);
    void pressOk();

    TaskEditor& m_editor;
    TaskControls m_controls;
    TaskControlsBinder* m_binder = nullptr;
    bool m_positioned = false;
    QTabWidget* m_tabs = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

}  // namespace tarvelo
