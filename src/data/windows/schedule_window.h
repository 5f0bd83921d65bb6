#pragma once
// "Browse the Schedule" (BrowseSchedule): the tasks in one of four orders chosen by tabs, with the task
// form behind "&Insert", "&Change" and "&Delete", the special-event wizard behind "Reschedule", "&Run
// Now", and on the tabs "Select Day", "Select Category" and "Search". A thin view over a ScheduleBrowse,
// which holds the rules; the forms and the other windows it runs come in as services, so this window
// depends on none of them.
//
// The frame starts it as a child window (start()); the engine's ticks move tasks on behind its back, and
// tableChanged() then refreshes the list within the tick, or, while a form or box runs modally, as soon
// as none does — the highlighted task stays highlighted.
#include <cstdint>
#include <functional>
#include <string_view>

#include "core/settings.h"
#include "data/schedule_browse.h"
#include "data/windows/browse_window.h"
#include "platform/ports.h"

class QPushButton;

namespace tarvelo {

struct ScheduleBrowseServices {
    const ListServices& lists;
    platform::Platform platform;
    const Settings& settings;  // ShowFullSchedule
    // The task form, modal over parent, on task; a new task starts on the day selectedDayText names.
    // task comes back as the form left it. Returns the form's response.
    std::function<Response(Request request, Task& task, std::string_view selectedDayText, QWidget* parent)>
        taskForm = {};
    // The special-event wizard, modal over parent, copying source; event comes back as the new event.
    std::function<Response(const Task& source, Task& event, QWidget* parent)> specialEvent = {};
    // The calendar on day, every day available; the day picked, or day.
    std::function<StdDate(StdDate day, QWidget* parent)> calendar = {};
    // Starts the schedule search (a window of its own, not waited for); when it ends it calls back with
    // its response and, when completed, the task it saved. None: the "Search" button stays disabled.
    using SearchEnded = std::function<void(Response response, const Task& task)>;
    std::function<void(SearchEnded ended)> search = {};
    // Whether the task stored in a row is tagged (the "Selected" tab).
    std::function<bool(std::int64_t rowId)> isTagged = {};
    // "&Run Now" on the highlighted task, as read just before; task comes back as stored.
    std::function<void(Task& task, QWidget* parent)> runNow = {};
    // The last run of each program task (Last Result); none: the column stays empty.
    LastRuns* lastRuns = nullptr;
};

class BrowseScheduleWindow : public BrowseWindow {
    Q_OBJECT
public:
    // Opens the window in host (the frame's document area) without waiting for it.
    static BrowseScheduleWindow* start(const ScheduleBrowseServices& services, QWidget* host);
    // REQUIRES: services outlive the window.
    explicit BrowseScheduleWindow(const ScheduleBrowseServices& services, QWidget* parent = nullptr);

    ScheduleBrowse& browse() { return *m_browse; }
    QPushButton* rescheduleButton() const { return m_reschedule; }
    QPushButton* runNowButton() const { return m_runNow; }
    QPushButton* selectDayButton() const { return m_selectDay; }
    QPushButton* selectCategoryButton() const { return m_selectCategory; }
    QPushButton* searchButton() const { return m_search; }

    // The Schedule table changed behind the list (the engine performed a task).
    void tableChanged();

protected:
    void runButton(platform::ListButton button) override;

private:
    void showTab();
    void followList();
    void refreshWhenIdle();
    void pressReschedule();
    void pressRunNow();
    void pressSelectDay();
    void pressSelectCategory();
    void pressSearch();
    void searchEnded(Response response, const Task& task);

    const ScheduleBrowseServices& m_services;
    ScheduleBrowse* m_browse = nullptr;  // owned by the base, as its list
    QPushButton* m_reschedule = nullptr;
    QPushButton* m_runNow = nullptr;
    QPushButton* m_selectDay = nullptr;
    QPushButton* m_selectCategory = nullptr;
    QPushButton* m_search = nullptr;
    bool m_refreshPending = false;
};

}  // namespace tarvelo
