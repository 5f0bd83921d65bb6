#pragma once
// "Begin Search": what to do with the matching tasks. "&Unselect" is offered only while tasks are
// selected; without it "&Cancel" takes its place and the window is a button narrower.
//
//   SearchTask task = QbeTaskDialog::ask(selectionExists, parent);
#include <QDialog>

#include "search/schedule_scan.h"

class QPushButton;

namespace tarvelo::search {

class QbeTaskDialog : public QDialog {
    Q_OBJECT
public:
    QbeTaskDialog(bool selectionExists, QWidget* parent = nullptr);

    // The task chosen; cancel for "&Cancel" and the close box.
    static SearchTask ask(bool selectionExists, QWidget* parent = nullptr);

    SearchTask task() const { return m_task; }
    QPushButton* editButton() const { return m_edit; }
    QPushButton* selectButton() const { return m_select; }
    QPushButton* unselectButton() const { return m_unselect; }
    QPushButton* cancelButton() const { return m_cancel; }

private:
    QPushButton* button(const char* text, int x, SearchTask task);

    SearchTask m_task = SearchTask::cancel;
    QPushButton* m_edit = nullptr;
    QPushButton* m_select = nullptr;
    QPushButton* m_unselect = nullptr;
    QPushButton* m_cancel = nullptr;
};

}  // namespace tarvelo::search
