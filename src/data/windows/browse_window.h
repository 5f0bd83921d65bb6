#pragma once
// The frame of every list window: a sheet of tabs over a page-loaded list with its buttons, then the
// window's own buttons, Close and Help; its position kept under the window's section. The list is reset
// whenever the window gains the focus, changes tab, is resized, or one of its actions ends.
//
// A window the frame starts is shown inside the frame's document area (widgets::showStartedWindow); one that
// another window runs (SelectCategories, BrowseSCH:KeyCategory) is executed as a modal dialog.
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include <QDialog>
#include <QStringList>

#include "data/browse_list.h"
#include "data/windows/list_panel.h"
#include "data/windows/list_services.h"

class QHBoxLayout;
class QPushButton;
class QTabBar;

namespace tarvelo {

class BrowseWindow : public QDialog {
    Q_OBJECT
public:
    ~BrowseWindow() override;

    BrowseList& list() { return *m_list; }
    ListPanel* panel() const { return m_panel; }
    QTabBar* tabs() const { return m_tabs; }
    QPushButton* closeButton() const { return m_close; }
    QPushButton* helpButton() const { return m_help; }

    // Resets the list as on gaining the focus: a forced refresh in the present order, the highlighted
    // record kept.
    void refreshList();

protected:
    BrowseWindow(std::string section, const QString& title, const ListServices& services, QWidget* parent);

    struct Layout {
        std::unique_ptr<BrowseList> list;
        const char* format = "";
        std::vector<QIcon> icons;
        QStringList tabs;
        bool updateButtons = true;  // "&Insert", "&Change", "&Delete"
        bool helpButton = true;
        QSize size{260, 160};       // dialog units
    };
    // Takes a use of each table for the window's life; before build().
    void useTables(std::initializer_list<TableId> tables);
    // Builds the window; call once from the constructor of the window. Its own buttons go into
    // windowButtons() (before Close).
    void build(Layout layout);
    QHBoxLayout* windowButtons() const { return m_windowButtons; }

    // The sort the selected tab chooses.
    virtual int sortForTab(int tab) const { return tab; }
    // "&Insert", "&Change" or "&Delete" was pressed; for Change and Delete list().current() holds the
    // re-read record. The window runs its form and hands the outcome to list().afterForm().
    virtual void runButton(platform::ListButton) {}
    // After an action: the list is reset and keeps the focus.
    void actionEnded();
    // Runs a form (or another window) modally from this window. Asked to close meanwhile (the program
    // ending), the window first closes what runs from it — each as by its Cancel — and then itself, so no
    // form outlives the window it was run from.
    void runModal(const std::function<void()>& run);

    const ListServices& services() const { return m_services; }

    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void resetList();

    std::string m_section;
    const ListServices& m_services;
    std::vector<TableUse> m_uses;  // before the list, which reads them until it is gone
    std::unique_ptr<BrowseList> m_list;
    ListPanel* m_panel = nullptr;
    QTabBar* m_tabs = nullptr;
    QHBoxLayout* m_windowButtons = nullptr;
    QPushButton* m_close = nullptr;
    QPushButton* m_help = nullptr;
    bool m_opened = false;
    QMetaObject::Connection m_focusWatch;
    int m_modalDepth = 0;
    bool m_closePending = false;
};

}  // namespace tarvelo
