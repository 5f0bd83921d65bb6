#pragma once
// A page-loaded list with its "&Insert", "&Change" and "&Delete" buttons below it: the part every list
// window and the category form's task list share. Change and Delete are enabled only while the page has
// entries; the list's keys and popup menu press the buttons; before Change and Delete the highlighted
// record is re-read with change watching (when it has gone, the list shows that instead and nothing is
// run).
#include <functional>
#include <vector>

#include <QIcon>
#include <QWidget>

#include "data/browse_list.h"
#include "platform/page_list.h"

class QHBoxLayout;
class QPushButton;
class QTabBar;
class QTableView;

namespace tarvelo {

namespace widgets {
class PageListView;
}

class ListPanel : public QWidget {
    Q_OBJECT
public:
    // REQUIRES: list outlives the panel. format: the list's format ("60L(0)|M~Category~@s20@").
    ListPanel(BrowseList& list, const char* format, std::vector<QIcon> icons, bool updateButtons, QWidget* parent);

    widgets::PageListView* view() const { return m_view; }
    QPushButton* insertButton() const { return m_insert; }
    QPushButton* changeButton() const { return m_change; }
    QPushButton* deleteButton() const { return m_delete; }
    // The row of buttons under the list, for the window's own.
    QHBoxLayout* buttonRow() const { return m_buttons; }

    // Runs a button's action; for Change and Delete list().current() holds the re-read record.
    std::function<void(platform::ListButton)> onButton;

    void press(platform::ListButton button);

signals:
    // A read failed (its message has been shown): the window closes.
    void closeRequested();

private:
    void followList();

    BrowseList& m_list;
    widgets::PageListView* m_view = nullptr;
    QHBoxLayout* m_buttons = nullptr;
    QPushButton* m_insert = nullptr;
    QPushButton* m_change = nullptr;
    QPushButton* m_delete = nullptr;
};

// The request a list button makes of its form.
Request requestFor(platform::ListButton button);

// Ctrl+Tab and Ctrl+Shift+Tab anywhere in window select the next and the previous tab.
void enableTabKeys(QWidget* window, QTabBar* tabs);

// The task and schedule types are a few fixed words: a list of tasks shows the longest of each whole.
void showTaskTypesWhole(QTableView& table, int taskTypeColumn, int scheduleTypeColumn);

}  // namespace tarvelo
