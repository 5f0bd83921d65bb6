#pragma once
// The list widget every browse window uses: a table showing one page of a page-loaded list — exactly as
// many rows as fit, refilled when it is resized — with a 0..100 scroll bar of its own beside it, shown
// only while the page is full. Keys, the wheel, the scroll bar and the mouse move the page through the
// list; Insert, Delete, Ctrl+Enter, double-click and the popup menu ask the window to press a button.
//
//   PageListView* view = new PageListView(list, kToDoListFormat columns, icons, this);
//   connect(view, &PageListView::buttonRequested, this, [&](platform::ListButton b) { ... button->click(); });
//
// The view observes the list (it sets itself as the list's observer); windows follow pageChanged().
#include <functional>
#include <memory>
#include <vector>

#include <QIcon>
#include <QWidget>

#include "core/list_format.h"
#include "platform/page_list.h"

class QMenu;
class QScrollBar;
class QTableView;

namespace tarvelo::widgets {

class PageListModel;

class PageListView : public QWidget {
    Q_OBJECT
public:
    // REQUIRES: list outlives the view.
    PageListView(platform::PageList& list, std::vector<ListColumn> columns, std::vector<QIcon> icons = {},
                 QWidget* parent = nullptr);
    ~PageListView() override;

    platform::PageList& list() const { return m_list; }
    QTableView* table() const;
    QScrollBar* thumbBar() const { return m_thumb; }
    PageListModel* model() const { return m_model; }

    // What a double-click does instead of pressing Change (the category picker selects, or nothing).
    void setDoubleClickAction(std::function<void()> action) { m_doubleClick = std::move(action); }
    // The rows that fit the table's present height.
    int rowsThatFit() const;
    // The popup menu of the right mouse button, "&Insert|&Change|&Delete" (Change and Delete disabled on an
    // empty page); its choices emit buttonRequested. The caller owns it. nullptr for a list without those
    // buttons (the category picker), which has no popup menu.
    QMenu* makePopupMenu(QWidget* parent = nullptr);
    // Whether the window around the list has "&Insert", "&Change" and "&Delete" (it has unless told).
    void setUpdateButtons(bool present) { m_updateButtons = present; }

    // The page changed: the table, the highlight and the scroll bar follow it.
    void pageChanged();

signals:
    void buttonRequested(tarvelo::platform::ListButton button);
    // A read failed (its message has been shown): the window should close.
    void closeRequested();
    // After the page, the highlight or the thumb changed.
    void listChanged();

private:
    class Table;
    class Observer;
    friend class Table;

    void fitRows();
    void key(platform::ListKey key);
    void scroll(platform::ListScroll action);
    void popupMenu(const QPoint& globalPos);
    void thumbAction(int action);

    platform::PageList& m_list;
    std::unique_ptr<Observer> m_observer;
    PageListModel* m_model = nullptr;
    Table* m_table = nullptr;
    QScrollBar* m_thumb = nullptr;
    std::function<void()> m_doubleClick;
    bool m_syncing = false;
    bool m_updateButtons = true;
};

}  // namespace tarvelo::widgets
