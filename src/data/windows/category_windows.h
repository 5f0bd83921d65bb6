#pragma once
// The category windows: SelectCategories (a category picker that another window runs), BrowseCategories
// (started from the frame's "&Categories"), BrowseSCH:KeyCategory (the tasks of one category, run from
// BrowseCategories' "Schedule"), and UpdateCategories, the form with the task list of the category.
#include <optional>
#include <string>

#include <QDialog>

#include "data/records.h"
#include "data/update_form.h"
#include "data/windows/browse_window.h"

class QLineEdit;
class QTabWidget;

namespace tarvelo {

// "Select a Category". With request select (4) its "&Select" button is shown, enabled and the default,
// and a double-click selects; with any other request there is no "&Select" and a double-click does
// nothing.
class SelectCategoriesWindow : public BrowseWindow {
    Q_OBJECT
public:
    SelectCategoriesWindow(Request request, const ListServices& services, QWidget* parent = nullptr);

    QPushButton* selectButton() const { return m_select; }
    // The category chosen with "&Select"; nothing after "Close".
    const std::optional<Category>& chosen() const { return m_chosen; }

private:
    void pressSelect();

    bool m_selecting;
    QPushButton* m_select = nullptr;
    std::optional<Category> m_chosen;
};

// Runs SelectCategories modally over parent; the category chosen, or nothing (Cancelled).
std::optional<Category> selectCategories(Request request, const ListServices& services, QWidget* parent);

// "Browse Categories".
class BrowseCategoriesWindow : public BrowseWindow {
    Q_OBJECT
public:
    static BrowseCategoriesWindow* start(const ListServices& services, QWidget* host);
    BrowseCategoriesWindow(const ListServices& services, QWidget* parent = nullptr);

    QPushButton* scheduleButton() const { return m_schedule; }

protected:
    void runButton(platform::ListButton button) override;

private:
    void pressSchedule();

    QPushButton* m_schedule = nullptr;
};

// "Browse Schedule by Category": the tasks of one category in description order, with the task form
// behind its buttons; a new task starts in the category.
class CategoryTasksWindow : public BrowseWindow {
    Q_OBJECT
public:
    CategoryTasksWindow(std::string category, const ListServices& services, QWidget* parent = nullptr);

protected:
    void runButton(platform::ListButton button) override;

private:
    std::string m_category;
};

// "Update Category", titled "Adding a Categories Record" or "Changing a Categories Record": the name on
// the "General" tab, the tasks of the name as typed on the "Schedule" tab.
class UpdateCategoriesDialog : public QDialog {
    Q_OBJECT
public:
    // REQUIRES: form.start() returned true.
    UpdateCategoriesDialog(CategoryForm& form, const ListServices& services, QWidget* parent = nullptr);
    ~UpdateCategoriesDialog() override;

    QTabWidget* tabs() const { return m_tabs; }
    QLineEdit* categoryEntry() const { return m_entry; }
    BrowseList& tasks() { return *m_tasks; }
    ListPanel* taskPanel() const { return m_panel; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void pressOk();
    void showRecord();
    void resetTasks();

    CategoryForm& m_form;
    const ListServices& m_services;
    std::unique_ptr<BrowseList> m_tasks;
    QTabWidget* m_tabs = nullptr;
    QLineEdit* m_entry = nullptr;
    ListPanel* m_panel = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    bool m_opened = false;
    QMetaObject::Connection m_focusWatch;
};

// Runs UpdateCategories: a delete asks and is done without the window (refused while a task uses the
// category); an insert or change opens the form modally over parent.
FormOutcome<Category> updateCategories(Request request, const Category& category, const ListServices& services,
                                       QWidget* parent);

}  // namespace tarvelo
