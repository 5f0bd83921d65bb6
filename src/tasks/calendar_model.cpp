#include "tasks/calendar_model.h"

#include <utility>

#include "core/fixed_text.h"
#include "data/records.h"
#include "tasks/recurrence.h"

namespace tarvelo {

std::function<bool(StdDate)> scheduleDayCheck(const Task& task) {
    return [task](StdDate date) { return validScheduleDate(task, date); };
}

CalendarModel::CalendarModel(CalendarOptions options, platform::ClockPort& clock, platform::MessageBoxPort& messages)
    : m_options(std::move(options)), m_clock(clock), m_messages(messages) {
    m_openedWith = m_options.date;
    const StdDate shown = m_openedWith != 0 ? m_openedWith : m_clock.now().date;
    const Ymd ymd = ymdFromDate(shown);
    m_month = ymd.month;
    m_year = ymd.year;
    m_caption = trimRight(m_options.title).empty() ? std::string("Select Date") : m_options.title;
    m_check = trimRight(m_options.checkMode) != "None";
    fill();
    m_focusCell = m_firstCell + ymd.day - 1;
}

void CalendarModel::fill() {
    m_cells.fill(CalendarCell{});
    const StdDate first = dateFromYmd(m_year, m_month, 1);
    m_firstCell = dayOfWeek(first);
    const int days = daysInMonth(m_year, m_month);
    for (int d = 1; d <= days; ++d) {
        CalendarCell& cell = m_cells[static_cast<std::size_t>(m_firstCell + d - 1)];
        cell.day = d;
        cell.visible = true;
        cell.enabled = !m_check || !m_options.dayFits || m_options.dayFits(first + d - 1);
    }
}

StdDate CalendarModel::cellDate(int cell) const {
    return dateFromYmd(m_year, m_month, m_cells[static_cast<std::size_t>(cell)].day);
}

std::optional<StdDate> CalendarModel::pickDay(int cell) {
    if (cell < 0 || cell >= kCalendarCells) return std::nullopt;
    const CalendarCell& c = m_cells[static_cast<std::size_t>(cell)];
    // A hidden or greyed button cannot be pressed; a view that lets it through gets nothing.
    if (c.day == 0 || !c.enabled) return std::nullopt;
    const StdDate date = cellDate(cell);
    if (date < m_clock.now().date) {
        platform::MessageBoxRequest ask;
        ask.caption = "Confirm";
        ask.text = "You have selected a date earlier than today.  Do you wish to use this date?";
        ask.icon = platform::Icon::Question;
        ask.buttons = platform::kYes + platform::kNo;
        ask.defaultButton = platform::kNo;
        if (m_messages.show(ask) != platform::kYes) return std::nullopt;
    }
    return date;
}

void CalendarModel::previousMonth() {
    if (--m_month < 1) {
        m_month = 12;
        --m_year;
    }
    fill();
}

void CalendarModel::nextMonth() {
    if (++m_month > 12) {
        m_month = 1;
        ++m_year;
    }
    fill();
}

void CalendarModel::previousYear() {
    if (--m_year < kCalendarFirstYear) m_year = kCalendarLastYear;
    fill();
}

void CalendarModel::nextYear() {
    if (++m_year > kCalendarLastYear) m_year = kCalendarFirstYear;
    fill();
}

bool CalendarModel::enterMonth(int month) {
    if (month < 1 || month > 12) {
        platform::MessageBoxRequest box;
        box.caption = "Error Message";
        box.text = "Month should be between 1 to 12";
        box.icon = platform::Icon::Exclamation;
        m_messages.show(box);
        return false;
    }
    m_month = month;
    fill();
    return true;
}

bool CalendarModel::enterYear(int year) {
    if (year < kCalendarFirstYear || year > kCalendarLastYear) {
        platform::MessageBoxRequest box;
        box.caption = "Error Message";
        box.text = "Year should be between " + std::to_string(kCalendarFirstYear) + " to " +
                   std::to_string(kCalendarLastYear);
        box.icon = platform::Icon::Exclamation;
        m_messages.show(box);
        return false;
    }
    m_year = year;
    fill();
    return true;
}

}  // namespace tarvelo
