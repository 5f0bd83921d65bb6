// The field handling of the task form and the wizards (TaskFields of task_editor.h).
#include <filesystem>
#include <system_error>
#include <utility>

#include "core/picture.h"
#include "core/plain_text.h"
#include "core/profile.h"
#include "core/settings.h"
#include "tasks/recurrence.h"
#include "tasks/task_editor.h"

namespace tarvelo {
namespace {

bool readableFile(const std::string& file) {
    std::error_code ec;
    return std::filesystem::is_regular_file(file, ec);
}

void showOk(platform::MessageBoxPort& messages, std::string caption, std::string text) {
    platform::MessageBoxRequest box;
    box.caption = std::move(caption);
    box.text = std::move(text);
    messages.show(box);
}

// Brings a time that an automatic warning pushed outside the day back into it, moving the date with it,
// so "one hour before 0:30" is 23:30 of the day before rather than a time no clock shows.
void normaliseMoment(StdDate& date, StdTime& time) {
    if (time >= 1 && time <= kOneDay) return;
    const std::int64_t t = static_cast<std::int64_t>(time) - 1;
    std::int64_t days = t / kOneDay;
    std::int64_t rest = t % kOneDay;
    if (rest < 0) {
        rest += kOneDay;
        --days;
    }
    date = static_cast<StdDate>(date + days);
    time = static_cast<StdTime>(rest + 1);
}

}  // namespace

TaskVisibility taskVisibility(const Task& task, TaskRules rules) {
    TaskVisibility v;
    switch (task.taskType.kind()) {
    case TaskType::RunProgram: v.messageTab = false; break;
    case TaskType::DisplayMessage: v.commandTab = false; break;
    case TaskType::None:
        v.time = false;
        v.commandTab = false;
        break;
    case TaskType::Both:
    case TaskType::Other: break;
    }
    switch (ruleType(task)) {
    case ScheduleType::DayOfWeek: v.weekdays = true; break;
    case ScheduleType::DayOfMonth:
        v.ordinals = true;
        v.weekdays = true;
        break;
    case ScheduleType::Once:
    case ScheduleType::Monthly:
    case ScheduleType::Yearly: break;
    case ScheduleType::Custom:
    case ScheduleType::Other:
        v.every = true;
        v.everyType = true;
        break;
    }
    v.alarmControls = task.alarm != 0;
    if (rules == TaskRules::specialEvent) v.time = true;
    return v;
}

std::size_t taskTextWidth(TaskText field) {
    switch (field) {
    case TaskText::description: return decltype(Task::description)::kWidth;
    case TaskText::command: return decltype(Task::command)::kWidth;
    case TaskText::path: return decltype(Task::path)::kWidth;
    case TaskText::alarmFile: return decltype(Task::alarmFile)::kWidth;
    case TaskText::message: return decltype(Task::message)::kWidth;
    }
    return 0;
}

std::string programFolder(std::string_view program) {
    const std::size_t cut = program.find_last_of("\\/");
    if (cut == std::string_view::npos) return {};
    // On this system the root folder has a name of its own; cutting its separator would leave the
    // current folder instead.
    if (cut == 0 && program[0] == '/') return "/";
    return std::string(program.substr(0, cut));
}

std::string commandForFile(std::string_view file) {
    if (file.find_first_of(" \t\n'\"\\") == std::string_view::npos) return std::string(file);
    std::string quoted = "'";
    for (char c : file) {
        if (c == '\'') quoted += "'\\''";
        else quoted += c;
    }
    quoted += '\'';
    return quoted;
}

TaskFields::TaskFields(Task& task, TaskFieldPorts ports) : m_task(task), m_ports(std::move(ports)) {
    if (!m_ports.playable) m_ports.playable = readableFile;
}

void TaskFields::runVisibilityRules() {
    if (m_rules == TaskRules::form && m_task.taskType == TaskType::None) m_task.time = kNoneTaskTime;
}

void TaskFields::acceptTaskType(TaskType taskType) {
    m_task.taskType = taskType;
    runVisibilityRules();
}

void TaskFields::acceptScheduleType(ScheduleType scheduleType) { m_task.scheduleType = scheduleType; }

void TaskFields::acceptAlarm(bool on) { m_task.alarm = on ? 1 : 0; }

bool TaskFields::acceptEvery(std::int32_t every) {
    if (m_rules == TaskRules::search) {
        m_task.every = every;
        return true;
    }
    Task candidate = m_task;
    candidate.every = every;
    if (!repetitionFits(candidate)) return false;
    m_task.every = every;
    return true;
}

bool TaskFields::acceptEveryText(std::string_view typed) {
    const std::optional<std::int64_t> count = parseNumber(typed, 6);
    return count && acceptEvery(static_cast<std::int32_t>(*count));
}

bool TaskFields::setText(TaskText field, std::string_view typed) {
    // A control character is refused (a message keeps its line breaks and tabs), unless the text held
    // one already: a task of an older file can still be mended character by character.
    const LineBreaks breaks = field == TaskText::message ? LineBreaks::kept : LineBreaks::refused;
    if (entryTextProblem(typed, breaks) && !entryTextProblem(text(field), breaks)) return false;
    const auto assign = [typed](auto& member) {
        member = typed;
        return member.text() == trimRight(typed);
    };
    switch (field) {
    case TaskText::description: return assign(m_task.description);
    case TaskText::command: return assign(m_task.command);
    case TaskText::path: return assign(m_task.path);
    case TaskText::alarmFile: return assign(m_task.alarmFile);
    case TaskText::message: return assign(m_task.message);
    }
    return false;
}

const std::string& TaskFields::text(TaskText field) const {
    switch (field) {
    case TaskText::description: return m_task.description.text();
    case TaskText::command: return m_task.command.text();
    case TaskText::path: return m_task.path.text();
    case TaskText::alarmFile: return m_task.alarmFile.text();
    case TaskText::message: break;
    }
    return m_task.message.text();
}

void TaskFields::acceptNextDate(StdDate date) {
    m_task.date = date;
    if (m_rules == TaskRules::search) return;
    if (m_task.date != 0 && !validScheduleDate(m_task, 0))
        showOk(m_ports.messages, "Warning", "Date given does not match schedule type.");
    const WarningDefaults defaults = readWarningDefaults(m_ports.warningDefaults);
    // A task without a date has no moment to warn before.
    if (defaults.active && m_task.date != 0) {
        StdDate warnDate = m_task.date - defaults.days;
        StdTime warnTime = m_task.time - defaults.hundredths;
        normaliseMoment(warnDate, warnTime);
        m_task.advanceWarnDate = warnDate;
        m_task.advanceWarnTime = warnTime;
    }
}

void TaskFields::acceptAdvanceWarnDate(StdDate date) {
    m_task.advanceWarnDate = date;
    if (m_rules == TaskRules::search) return;
    const bool after = m_task.advanceWarnDate > m_task.date ||
                       (m_task.advanceWarnDate == m_task.date && m_task.advanceWarnTime > m_task.time);
    if (!after) return;
    m_task.advanceWarnDate = 0;
    m_task.advanceWarnTime = 0;
    showOk(m_ports.messages, "", "Advanced Warning cannot be after scheduled task.");
}

std::optional<std::string> TaskFields::chooseFile(const std::string& title,
                                                  const std::vector<platform::FileFilter>& filters,
                                                  const std::string& current) {
    // The chooser may move the process into another folder; the tasks' relative names must not follow.
    std::error_code ec;
    const std::filesystem::path remembered = std::filesystem::current_path(ec);
    std::optional<std::string> chosen = m_ports.fileDialog.openFile(title, filters, current);
    if (!remembered.empty()) std::filesystem::current_path(remembered, ec);
    if (chosen && chosen->empty()) chosen.reset();
    return chosen;
}

TaskFocus TaskFields::browseCommand() {
    // Programs here rarely carry an extension, so "All Files" must not ask for one.
    const std::optional<std::string> chosen =
        chooseFile("Choose File to Execute",
                   {{"All Files", "*"}, {"EXEs", "*.EXE"}, {"COMs", "*.COM"}, {"BATs", "*.BAT"}},
                   m_task.command.text());
    if (!chosen) return TaskFocus::Stay;
    m_task.command = commandForFile(*chosen);
    if (!m_task.path.isBlank()) return TaskFocus::Stay;
    m_task.path = programFolder(*chosen);
    return TaskFocus::AfterStartIn;
}

void TaskFields::browseAlarmFile() {
    const std::optional<std::string> chosen =
        chooseFile("Select WAV File for Alarm", {{"WAV Files", "*.WAV;*.wav"}}, m_task.alarmFile.text());
    if (chosen) m_task.alarmFile = *chosen;
}

TaskFocus TaskFields::play() {
    if (m_task.alarmFile.isBlank()) {
        browseAlarmFile();
        return TaskFocus::WavBrowse;
    }
    const std::string file = m_task.alarmFile.text();
    if (!m_ports.playable(file)) return TaskFocus::WavBrowse;
    m_ports.sound.playAsync(file);
    return TaskFocus::Stay;
}

std::optional<TaskFocus> TaskFields::acceptAll() {
    runVisibilityRules();  // the task type's rule; the schedule type's has no side effect
    if (!acceptEvery(m_task.every)) return TaskFocus::EveryEntry;
    acceptNextDate(m_task.date);
    acceptAdvanceWarnDate(m_task.advanceWarnDate);
    acceptAlarm(m_task.alarm != 0);
    return std::nullopt;
}

}  // namespace tarvelo
