#include "data/schedule_browse.h"

#include <charconv>

#include "core/picture.h"
#include "data/list_cells.h"
#include "data/tables.h"
#include "data/tagged_source.h"

namespace tarvelo {
namespace {

std::vector<store::Value> dayRange(const std::string& reset) {
    std::int64_t day = 0;
    std::from_chars(reset.data(), reset.data() + reset.size(), day);
    return {day};
}

}  // namespace

ScheduleIcon scheduleIcon(const Task& task) {
    if (task.completed == 1) return ScheduleIcon::done;
    if (task.skipNextTime == 1) return ScheduleIcon::skip;
    if (task.disabled != 0) return ScheduleIcon::disabled;
    return ScheduleIcon::pending;
}

std::vector<platform::ListCell> scheduleRowCells(const Task& task) {
    static const std::vector<ListColumn> columns = programListColumns(kScheduleListFormat);
    std::vector<platform::ListCell> cells(columns.size());
    cells[0].text = " ";
    cells[0].icon = static_cast<int>(scheduleIcon(task));
    cells[1].text = formatPicture(std::string_view(columns[1].picture), std::int64_t{task.date});
    cells[2].text = formatPicture(std::string_view(columns[2].picture), std::int64_t{task.time});
    cells[3].text = formatPicture(std::string_view(columns[3].picture), std::string_view(task.category.text()));
    cells[4].text = formatPicture(std::string_view(columns[4].picture), std::string_view(task.description.text()));
    cells[5].text = formatPicture(std::string_view(columns[5].picture), std::string_view(task.taskType.text()));
    cells[6].text = formatPicture(std::string_view(columns[6].picture), std::string_view(task.scheduleType.text()));
    // Only the date says how the task stands; its background and the other columns keep the list's own.
    if (task.disabled == 1) {
        cells[1].foreground = kDisabledDateColour;
        cells[1].selectedForeground = kDisabledSelectedDateColour;
    } else if (task.skipNextTime == 1) {
        cells[1].foreground = kSkippedDateColour;
        cells[1].selectedForeground = kSkippedSelectedDateColour;
    }
    return cells;
}

const char* scheduleTabName(ScheduleTab tab) {
    switch (tab) {
    case ScheduleTab::daySchedule: return "Day Schedule";
    case ScheduleTab::allByDate: return "All by Date";
    case ScheduleTab::allByCategory: return "All by Category";
    case ScheduleTab::selected: return "Selected";
    }
    return "";
}

ScheduleBrowse::ScheduleBrowse(store::Table& schedule, const DataWarning& warn, StdDate today,
                               bool showFullSchedule, TagTest isTagged, store::Table* tagFile, LastRuns* lastRuns)
    : BrowseList(schedule, warn, config(this)),
      m_selectedDay(today),
      m_initialTab(showFullSchedule ? ScheduleTab::allByDate : ScheduleTab::daySchedule),
      m_isTagged(std::move(isTagged)),
      m_tagFile(tagFile),
      m_lastRuns(lastRuns) {}

// The orders of the tabs, in the order of ScheduleTab. The functions are called only once the browse is
// built.
BrowseConfig ScheduleBrowse::config(ScheduleBrowse* browse) {
    const store::TableDef& def = scheduleTableDef();
    const int date = fieldOf(def, "SCH:DATE");
    const int keyDate = static_cast<int>(ScheduleKey::keyDate);

    BrowseSort day = BrowseSort::onKey(keyDate, StopKind::number, date);
    day.range = &dayRange;
    day.hasReset = true;
    BrowseSort byDate = BrowseSort::onKey(keyDate, StopKind::number, date);
    BrowseSort byCategory = BrowseSort::onKey(static_cast<int>(ScheduleKey::keyCategory), StopKind::text,
                                              fieldOf(def, "SCH:DESCRIPTION"));
    byCategory.range = [](const std::string& reset) { return std::vector<store::Value>{reset}; };
    byCategory.hasReset = true;
    BrowseSort selected = BrowseSort::onKey(keyDate);
    selected.test = [browse](const store::Row& row) { return browse->m_isTagged && browse->m_isTagged(row.ref.rowId); };

    BrowseConfig config;
    config.tableName = "Schedule";
    config.sorts = {std::move(day), std::move(byDate), std::move(byCategory), std::move(selected)};
    config.cells = [](const store::Row& row) { return scheduleRowCells(RecordTable<Task>::fromRow(row)); };
    // The last results of the rows read together come from one more read of the run log for all of them
    // (its latest entry of each task number, by the log's task key), rather than one read per row or a
    // copy of the result kept on every task: the log stays the only place a run is written, and a page
    // costs two statements wherever it is. A log that cannot be read leaves the column empty; the tasks
    // themselves are still shown.
    config.batchCells = [browse, id = fieldOf(def, "SCH:ID"), type = fieldOf(def, "SCH:TASKTYPE")](
                            const std::vector<BrowseConfig::RowCells>& rows) {
        if (!browse->m_lastRuns) return;
        std::vector<std::int32_t> programs;
        std::vector<std::pair<std::int32_t, std::vector<platform::ListCell>*>> cells;
        for (const auto& [row, rowCells] : rows) {
            TaskType kind = TaskType::Other;
            ruleKind(std::get<std::string>(row->values[static_cast<std::size_t>(type)]), kind);
            if (kind != TaskType::RunProgram && kind != TaskType::Both) continue;
            const auto task = static_cast<std::int32_t>(std::get<std::int64_t>(row->values[static_cast<std::size_t>(id)]));
            programs.push_back(task);
            cells.emplace_back(task, rowCells);
        }
        if (programs.empty()) return;
        std::unordered_map<std::int32_t, platform::ListCell> last;
        if (!browse->m_lastRuns->cells(programs, last).ok()) return;
        for (const auto& [task, rowCells] : cells) {
            if (auto found = last.find(task); found != last.end()) (*rowCells)[kLastResultColumn] = found->second;
        }
    };
    config.resetSource = [browse] { return browse->resetValue(); };
    config.openSource = [browse](store::Table& table, int key, KeyRange range) -> std::unique_ptr<PageSource> {
        if (browse->tab() == ScheduleTab::selected && browse->m_tagFile) {
            if (auto few = openTaggedSource(table, *browse->m_tagFile, kTaggedReadDirectlyLimit)) return few;
        }
        return openViewSource(table, key, std::move(range));
    };
    return config;
}

// The value the present tab's list is limited to: the day for "Day Schedule", the category for "All by
// Category". A change of it resets the list.
std::string ScheduleBrowse::resetValue() const {
    switch (tab()) {
    case ScheduleTab::daySchedule: return selectedDayText();
    case ScheduleTab::allByCategory: return m_category;
    default: return {};
    }
}

std::string ScheduleBrowse::selectedDayText() const { return std::to_string(m_selectedDay); }

std::string ScheduleBrowse::dayTabCaption() const { return formatDate3(m_selectedDay); }

void ScheduleBrowse::setSelectedDay(StdDate day) {
    m_selectedDay = day;
    if (sort() >= 0) resetSort(sort());
}

std::string ScheduleBrowse::categoryTabCaption() const {
    return m_category.empty() ? scheduleTabName(ScheduleTab::allByCategory) : m_category;
}

void ScheduleBrowse::setCategory(std::string_view category) {
    m_category = std::string(trimRight(category));
    if (sort() >= 0) resetSort(sort());
}

Task ScheduleBrowse::newTask() const {
    Task task;
    if (tab() == ScheduleTab::allByCategory) task.category = m_category;
    return task;
}

store::Status ScheduleBrowse::highlightedTask(Task& task) {
    const store::Status s = rereadHighlighted();
    if (s.ok()) task = RecordTable<Task>::fromRow(current());
    return s;
}

void ScheduleBrowse::afterForm(Request request, Response response, const Task& task) {
    BrowseList::afterForm(request, response, RecordTable<Task>::toRow(task));
}

bool ScheduleBrowse::passesTabTest(const Task& task) const {
    if (tab() != ScheduleTab::selected) return true;
    return task.ref.rowId != 0 && m_isTagged && m_isTagged(task.ref.rowId);
}

void ScheduleBrowse::afterSearch(Response response, const Task& task) {
    if (response == Response::completed && passesTabTest(task)) {
        setCurrent(RecordTable<Task>::toRow(task));
        locateCurrent();
    }
    forceRefresh();
    resetSort(static_cast<int>(tab()));
}

}  // namespace tarvelo
