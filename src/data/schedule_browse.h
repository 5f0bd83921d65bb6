#pragma once
// The schedule browse (BrowseSchedule) without its window: the four tabs and the order each chooses,
// the list's columns, icons and date colours, the day and the category the list is limited to, and what
// each button does to the list around its form. The window binds its tabs and buttons to one
// ScheduleBrowse and runs the forms; the rules live here.
//
// The browse is the list itself (a BrowseList whose orders are the tabs), so the window treats it as any
// other list and the rules below travel with it:
//
//   ScheduleBrowse browse(files.table(TableId::schedule), warn, clock.now().date, settings.showFullSchedule,
//                         [&](std::int64_t row) { return tags.isTagged(kScheduleTable, row); });
//   browse.setRowCount(20);
//   browse.selectTab(browse.tab());   // the window's first open: fills in the tab's order
//
// The engine moves tasks on behind the list's back; the window then refreshes it (forceRefresh), which
// keeps the highlighted task.
//
// Threading: the GUI thread only.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/date.h"
#include "data/browse_list.h"
#include "data/last_runs.h"
#include "data/records.h"
#include "platform/page_list.h"

namespace tarvelo {

// An icon column, Date and Time with colours of their own, then Category, Description, Task Type,
// Schedule Type and the last result of the task's program.
inline constexpr const char* kScheduleListFormat =
    "11L|M*I@s1@47L|M*~Date~@d3@32L|M*~Time~@t3@60L|M~Category~@s20@60L|M~Description~@s40@"
    "60L|M~Task Type~@s20@60L|M~Schedule Type~@s20@50L|M~Last Result~@s20@";
inline constexpr int kLastResultColumn = 7;

// The list's icon list, numbered as the cells name them.
enum class ScheduleIcon : int { disabled = 1, done = 2, pending = 3, skip = 4 };
inline constexpr int kScheduleIconCount = 4;

// The date of a disabled task is grey, that of a task whose next occurrence is skipped blue. On the
// highlighted row they take lighter shades, which stay readable on the selection's own colour.
inline constexpr platform::Rgb kDisabledDateColour{128, 128, 128};
inline constexpr platform::Rgb kSkippedDateColour{0, 0, 255};
inline constexpr platform::Rgb kDisabledSelectedDateColour{200, 200, 200};
inline constexpr platform::Rgb kSkippedSelectedDateColour{190, 215, 255};

// Completed wins over skip, skip over disabled.
ScheduleIcon scheduleIcon(const Task& task);
// One row of the list: the icon column (one blank and the icon), Date, Time, Category, Description,
// Task Type, Schedule Type, and Last Result left empty (the browse fills it in for a page at a time).
std::vector<platform::ListCell> scheduleRowCells(const Task& task);

// The tabs, in the order the window shows them; each is one order of the list.
enum class ScheduleTab : int { daySchedule = 0, allByDate = 1, allByCategory = 2, selected = 3 };
inline constexpr int kScheduleTabCount = 4;
// "Day Schedule" shows the selected day instead of its own name.
const char* scheduleTabName(ScheduleTab tab);

class ScheduleBrowse : public BrowseList {
public:
    // Whether the task stored in a row (the driver's row id) is tagged; the "Selected" tab lists those.
    using TagTest = std::function<bool(std::int64_t rowId)>;

    // today: the first selected day. showFullSchedule opens on "All by Date" instead of "Day Schedule".
    // tagFile, when given, lets "Selected" read the few tagged tasks directly instead of testing every
    // task in date order. lastRuns, when given, fills in the program tasks' Last Result. REQUIRES: the
    // tables are open while the browse is used, and they and lastRuns outlive it.
    ScheduleBrowse(store::Table& schedule, const DataWarning& warn, StdDate today, bool showFullSchedule,
                   TagTest isTagged, store::Table* tagFile = nullptr, LastRuns* lastRuns = nullptr);

    // The tab whose order the list shows (before the first reset: the one the window opens on).
    ScheduleTab tab() const { return sort() >= 0 ? static_cast<ScheduleTab>(sort()) : m_initialTab; }
    // Switches to a tab's order, keeping the highlighted task highlighted where the tab lists it.
    void selectTab(ScheduleTab tab) { resetSort(static_cast<int>(tab)); }

    // --- The day of "Day Schedule" -----------------------------------------------------------------
    StdDate selectedDay() const { return m_selectedDay; }
    // The day as a decimal number: the task form's default date of a new task.
    std::string selectedDayText() const;
    // The "Day Schedule" tab's caption: the selected day as "Oct 31, 1997".
    std::string dayTabCaption() const;
    // "Select Day" chose a day: the list shows that day's tasks.
    void setSelectedDay(StdDate day);

    // --- The category of "All by Category" ---------------------------------------------------------
    const std::string& category() const { return m_category; }
    // The "All by Category" tab's caption: the category shown, as the day tab shows its day; the tab's
    // name until a category is chosen.
    std::string categoryTabCaption() const;
    // "Select Category" chose a category: the list shows its tasks.
    void setCategory(std::string_view category);

    // --- Buttons -----------------------------------------------------------------------------------
    // The task "&Insert" hands the task form: cleared, in the shown category on "All by Category".
    Task newTask() const;
    // The highlighted task as it is stored now (re-read with change watching, so that a later put fails
    // when somebody changes it meanwhile). Not ok when there is none or it is gone (the list then shows
    // what is there).
    [[nodiscard]] store::Status highlightedTask(Task& task);
    // After a form: locates a completed insert or change (task: the record the form left), drops a
    // completed delete, refreshes otherwise.
    void afterForm(Request request, Response response, const Task& task);
    // After "Search": a completed search whose task passes the present tab's test is located; with any
    // response the list is refreshed.
    void afterSearch(Response response, const Task& task);

private:
    bool passesTabTest(const Task& task) const;
    std::string resetValue() const;
    static BrowseConfig config(ScheduleBrowse* browse);

    StdDate m_selectedDay;
    std::string m_category;
    ScheduleTab m_initialTab;
    TagTest m_isTagged;
    store::Table* m_tagFile;
    LastRuns* m_lastRuns;
};

// Up to this many tagged tasks, "Selected" reads them directly; beyond, testing the tasks in date order
// meets a page of tagged ones soon. Reading one task directly costs about as much as testing one in
// order, so the two ways cost the same about where this limit squared is 25 times the table.
inline constexpr std::size_t kTaggedReadDirectlyLimit = 3'000;

}  // namespace tarvelo
