#include "tasks/task_editor.h"

#include <algorithm>
#include <cctype>

#include "core/fixed_text.h"
#include "core/profile.h"
#include "data/record_table.h"

namespace tarvelo {
namespace {

std::string lowered(const std::string& text) {
    std::string out = text;
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

TaskEditor::TaskEditor(DataFiles& files, Request request, const Task& task, TaskEditorPorts ports)
    : m_files(files),
      m_clock(ports.clock),
      m_form(files, request, task),
      m_fields(m_form.record(), TaskFieldPorts{ports.messages, ports.fileDialog, ports.sound,
                                               ports.warningDefaults, std::move(ports.playable)}) {}

bool TaskEditor::start(std::string_view selectedDayText) {
    m_categoriesUse.emplace(m_files, TableId::categories);
    if (!m_form.start()) {
        finish();
        return false;
    }
    if (request() == Request::insert) applyNewTaskDefaults(selectedDayText);
    m_fields.runVisibilityRules();
    if (!loadCategories()) {
        m_form.cancel();
        finish();
        return false;
    }
    return true;
}

void TaskEditor::applyNewTaskDefaults(std::string_view selectedDayText) {
    Task& t = task();
    const platform::Moment now = m_clock.now();
    // A text that is no day number gives no date; a new task then starts today, as with a blank one.
    const StdDate selected = trimRight(selectedDayText).empty() ? 0 : profileNumber(selectedDayText);
    t.date = selected != 0 ? selected : now.date;
    t.time = now.time;
    t.scheduleType = ScheduleType::DayOfWeek;
    t.sunday = t.monday = t.tuesday = t.wednesday = t.thursday = t.friday = t.saturday = 1;
    t.everyLast = 1;
    t.warn = 1;
    t.taskType = TaskType::Both;
    t.every = 1;
    t.everyType = RepetitionUnit::Hour;
}

bool TaskEditor::loadCategories() {
    m_categories.clear();
    RecordView<Category> view(m_files.table(TableId::categories), CategoryKey::keyCategory);
    if (const store::Status opened = view.setToStart(); !opened.ok()) {
        m_files.warn()(kWarnViewOpenError, opened);
    } else {
        for (;;) {
            Category c;
            const store::Status s = view.next(c);
            if (s.code == store::kRecordNotAvailable) break;
            if (!s.ok()) {
                m_files.warn()(kWarnRecordRetrievalError, s, "Categories");
                return false;
            }
            m_categories.push_back(c.category.text());
        }
    }
    std::stable_sort(m_categories.begin(), m_categories.end(), [](const std::string& a, const std::string& b) {
        return lowered(a) < lowered(b);
    });
    if (m_categories.empty()) task().category.clear();
    return true;
}

int TaskEditor::categoryIndex() const {
    if (task().category.isBlank()) return -1;
    const auto it = std::find(m_categories.begin(), m_categories.end(), task().category.text());
    return it == m_categories.end() ? -1 : static_cast<int>(it - m_categories.begin());
}

void TaskEditor::selectCategory(int index) {
    if (index < 0 || index >= static_cast<int>(m_categories.size())) return;
    task().category = m_categories[static_cast<std::size_t>(index)];
}

Response TaskEditor::finish() {
    const Response response = m_form.finish();
    m_categoriesUse.reset();
    return response;
}

std::optional<TaskFocus> TaskEditor::ok() {
    if (request() == Request::insert || request() == Request::change) {
        if (const std::optional<TaskFocus> refused = m_fields.acceptAll()) return refused;
    }
    return save();
}

std::optional<TaskFocus> TaskEditor::save() {
    if (m_form.complete() == FormStep::stay) return TaskFocus::FirstField;
    return std::nullopt;
}

}  // namespace tarvelo
