#pragma once
// SearchSchedule: the task form's controls in search mode, filled with example values. Each searchable
// field carries an indicator of its match type; "&Search Type" (or the right mouse button on a field)
// asks the field's match type, "&Begin Search" runs the search: Edit steps through the matching tasks
// ("&Edit This" / "&Find Next"), Select and Unselect tag or untag all of them.
//
// The window is a child of the frame's document area (startSearchSchedule). It ends with a response:
// cancelled (2), minus the found count after a Select or Unselect, or, when the user chose to edit a
// found task, whatever the task form's session gave: there the window turns into the task form in change
// mode on that task (its OK shown), and OK saves it exactly as the task form does (completed, 1).
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>

#include <QWidget>

#include "search/schedule_search.h"
#include "platform/desktop/qt_job_runner.h"
#include "search/windows/qt_search_ports.h"
#include "tasks/task_editor.h"
#include "tasks/windows/task_controls.h"

class QEventLoop;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QPushButton;
class QTabWidget;

namespace tarvelo::search {

class SearchScheduleWindow : public QWidget {
    Q_OBJECT
public:
    SearchScheduleWindow(const TaskFormServices& services, Tags& tags, QWidget* parent = nullptr);
    ~SearchScheduleWindow() override;

    // False when the category list could not be read (its warning was shown): the window is not to open.
    bool started() const { return m_started; }
    // Cancelled (2) until the search ends otherwise; see the file comment.
    int response() const { return m_response; }
    // The task saved after "&Edit This" and OK; blank otherwise.
    const Task& savedTask() const { return m_saved; }
    ScheduleSearch& search() { return *m_search; }
    const TaskControls& controls() const { return m_controls; }
    bool inSearchMode() const { return m_changeEditor == nullptr; }

    QTabWidget* tabs() const { return m_tabs; }
    QPushButton* searchTypeButton() const { return m_searchType; }
    QPushButton* beginSearchButton() const { return m_beginSearch; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }
    // The indicator beside a searchable field, and the control that holds the field (the first radio
    // button of an option group).
    QLabel* indicator(const SearchField& field) const;
    QWidget* fieldControl(const SearchField& field) const;

signals:
    void finished(int response);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildTaskTab();
    void mapFields();
    void watchField(const SearchField& field, QWidget* control);
    void fieldAccepted(const SearchField& field);
    void focusChanged(QWidget* now);
    void chooseSearchType();
    void beginSearch();
    FoundChoice showFound(const store::Row& task);
    void editFound(const store::Row& task);
    void pressOk();
    void showIndicator(const SearchField& field);
    void makeRoomForIndicators();
    void placeIndicators();
    void focusFirstField();
    void end(int response);
    // Ends the editor sessions; returns the change session's response (cancelled without one).
    int finishSessions();

    store::Row buffer() const;
    void setBuffer(const store::Row& row);

    TaskFormServices m_services;
    platform::QtJobRunner m_runner;
    QtSearchDialogs m_dialogs;
    TaskEditor m_searchEditor;
    std::unique_ptr<TaskEditor> m_changeEditor;  // after "&Edit This"
    std::unique_ptr<ScheduleSearch> m_search;
    TaskControls m_controls;
    TaskControlsBinder* m_binder = nullptr;

    QTabWidget* m_tabs = nullptr;
    QLabel* m_intro[2] = {};
    QPushButton* m_searchType = nullptr;
    QPushButton* m_beginSearch = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;

    std::map<QWidget*, const SearchField*> m_fieldOf;  // every control of a searchable field
    std::map<int, QWidget*> m_controlOf;              // by field index: the control the indicator stands by
    std::map<int, QLabel*> m_indicators;              // by field index
    std::set<QWidget*> m_edited;                      // entries typed into and not yet completed
    std::optional<FoundChoice> m_foundChoice;
    QEventLoop* m_foundLoop = nullptr;
    int m_response = static_cast<int>(Response::cancelled);
    Task m_saved;
    bool m_started = false;
    bool m_ended = false;
    QMetaObject::Connection m_focusWatch;
    bool m_closeAfterPrompt = false;
    bool m_positioned = false;
};

// Starts the search as a child window of host (the frame's document area) with the caller's request;
// anything but the search request shows its "Invalid Request" warning instead. onEnd gets the response
// when the window ends, and the task as saved when the response is completed (blank otherwise), so the
// caller can locate it. REQUIRES: services and tags outlive the window.
using SearchEnd = std::function<void(int response, const Task& task)>;
QMdiSubWindow* startSearchSchedule(QWidget* host, Request request, const TaskFormServices& services, Tags& tags,
                                   SearchEnd onEnd = {});

}  // namespace tarvelo::search
