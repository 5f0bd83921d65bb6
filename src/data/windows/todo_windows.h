#pragma once
// The to-do list: BrowseTodo, started from the frame's "&To Do List" (and at start-up when the settings
// ask), and UpdateTodo, the form its buttons run.
#include <QDialog>

#include "data/records.h"
#include "data/update_form.h"
#include "data/windows/browse_window.h"

class QCheckBox;
class QLineEdit;
class QSpinBox;

namespace tarvelo {

// "To Do": the items in the order of the tab chosen ("Done", "Priority", "To Do").
class BrowseTodoWindow : public BrowseWindow {
    Q_OBJECT
public:
    // Opens the list inside host when it is the frame's document area; the window deletes itself when
    // closed. services must outlive it.
    static BrowseTodoWindow* start(const ListServices& services, QWidget* host);

    BrowseTodoWindow(const ListServices& services, QWidget* parent = nullptr);

protected:
    int sortForTab(int tab) const override;
    void runButton(platform::ListButton button) override;
};

// "Update the Todo File", titled "Adding a Todo Record" or "Changing a Todo Record". The priority is
// checked whenever it is left or the form is completed: outside 1..10 it is refused with its message and
// keeps the focus.
class UpdateTodoDialog : public QDialog {
    Q_OBJECT
public:
    // REQUIRES: form.start() returned true. warn shows the priority's message.
    UpdateTodoDialog(ToDoForm& form, const DataWarning& warn, QWidget* parent = nullptr);

    QLineEdit* toDoEntry() const { return m_text; }
    QSpinBox* priorityEntry() const { return m_priority; }
    QCheckBox* doneBox() const { return m_done; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool priorityAccepted();
    void pressOk();
    void showRecord();

    ToDoForm& m_form;
    const DataWarning& m_warn;
    QLineEdit* m_text = nullptr;
    QSpinBox* m_priority = nullptr;
    QCheckBox* m_done = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    bool m_checking = false;
    bool m_positioned = false;
};

// Runs UpdateTodo: a delete asks and is done without the window; an insert or change opens the form
// modally over parent.
FormOutcome<ToDo> updateTodo(Request request, const ToDo& item, const ListServices& services, QWidget* parent);

}  // namespace tarvelo
