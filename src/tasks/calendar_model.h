#pragma once
// The month grid of the calendar date picker, without widgets: which of the 42 day buttons show which
// day, which are hidden or greyed out, what the arrows and the month and year entries do, and what the
// picker returns. The Calendar dialog is a thin view over one CalendarModel.
//
// The model is opened on a date (0 = today's month) and ends either with a day the user picked or with
// the date it was opened with, unchanged (Close, the close box): a caller's empty date stays empty.
#include <array>
#include <functional>
#include <optional>
#include <string>

#include "core/date.h"
#include "platform/ports.h"

namespace tarvelo {

struct Task;

inline constexpr int kCalendarCells = 42;  // six rows of seven, Sunday first
inline constexpr int kCalendarFirstYear = 1801;
inline constexpr int kCalendarLastYear = 2099;

struct CalendarCell {
    int day = 0;           // 0: blank
    bool visible = false;  // blanks before day 1 and after the last day are hidden
    bool enabled = false;  // false: the day does not fit the task's rule
    friend bool operator==(const CalendarCell&, const CalendarCell&) = default;
};

struct CalendarOptions {
    StdDate date = 0;       // the date to show; 0 = today
    std::string title;      // blank: "Select Date"
    std::string checkMode;  // "None" switches the day check off; anything else leaves it on
    // Whether a day fits the task being edited. Unset: every day fits (a cleared task).
    std::function<bool(StdDate)> dayFits;
};

// The day check of a task's rule, for CalendarOptions::dayFits. The task is copied: the check does not
// follow later edits of the caller's record.
std::function<bool(StdDate)> scheduleDayCheck(const Task& task);

class CalendarModel {
public:
    CalendarModel(CalendarOptions options, platform::ClockPort& clock, platform::MessageBoxPort& messages);

    const std::string& caption() const { return m_caption; }
    int month() const { return m_month; }
    int year() const { return m_year; }
    const std::array<CalendarCell, kCalendarCells>& cells() const { return m_cells; }
    // The button of day 1 of the month shown.
    int firstCell() const { return m_firstCell; }
    // The button that gets the focus when the window opens: the day of the date opened on.
    int focusCell() const { return m_focusCell; }

    // A day button was pressed. Returns the date to close with, or nothing when the calendar stays open
    // (a blank button, or a past day the user did not confirm).
    std::optional<StdDate> pickDay(int cell);
    // Close and the close box: the date the calendar was opened with.
    StdDate closeResult() const { return m_openedWith; }

    void previousMonth();  // from January to December of the year before; no range check
    void nextMonth();      // from December to January of the year after; no range check
    void previousYear();   // below 1801 to 2099
    void nextYear();       // above 2099 to 1801
    // The month and year entries. Out of range: the range message, the grid keeps its month and false
    // is returned (the view puts the focus back on the entry).
    bool enterMonth(int month);
    bool enterYear(int year);

private:
    void fill();
    StdDate cellDate(int cell) const;

    CalendarOptions m_options;
    platform::ClockPort& m_clock;
    platform::MessageBoxPort& m_messages;
    StdDate m_openedWith = 0;
    std::string m_caption;
    int m_month = 1;
    int m_year = kCalendarFirstYear;
    int m_firstCell = 0;
    int m_focusCell = 0;
    bool m_check = true;
    std::array<CalendarCell, kCalendarCells> m_cells{};
};

}  // namespace tarvelo
