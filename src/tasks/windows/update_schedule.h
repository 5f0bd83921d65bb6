#pragma once
// The task form: the five tabs of one task, a thin view over a TaskEditor that holds the rules.
//
//   Response r = updateSchedule(Request::change, highlightedTask, services, selectedDayText, parent);
//
// runs one session modally (a delete asks and returns without showing the window). The form works on
// the editor's own copy of the task; nothing is written before OK.
#include <array>
#include <functional>
#include <string>
#include <string_view>

#include <QDialog>

#include "tasks/calendar_model.h"
#include "tasks/task_editor.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace tarvelo {

namespace ui {
class DateEdit;
class TimeEdit;
}  // namespace ui

// What the form and its calendar need of the program.
struct TaskFormServices {
    DataFiles& files;
    ui::MessageBoxPort& messages;
    ui::FileDialogPort& fileDialog;
    ui::SoundPort& sound;
    ui::ClockPort& clock;
    const ProfileFile& warningDefaults;  // "PELLSCHD.INI"
    std::function<bool(const std::string&)> playable = {};
    // Opens the calendar and returns its date; by default the modal CalendarDialog.
    std::function<StdDate(CalendarOptions)> calendar = {};
};

TaskEditorPorts taskEditorPorts(const TaskFormServices& services);

Response updateSchedule(Request request, const Schedule& task, const TaskFormServices& services,
                        std::string_view selectedDayText = {}, QWidget* parent = nullptr);

class UpdateScheduleForm : public QDialog {
    Q_OBJECT
public:
    // REQUIRES: editor.start() returned true.
    UpdateScheduleForm(TaskEditor& editor, const TaskFormServices& services, QWidget* parent = nullptr);
    ~UpdateScheduleForm() override;

    TaskEditor& editor() { return m_editor; }

    void done(int r) override;

    // The controls, for the tests and for anyone driving the form.
    QTabWidget* tabs() const { return m_tabs; }
    QRadioButton* taskTypeButton(int i) const { return m_taskTypes[static_cast<std::size_t>(i)]; }
    QRadioButton* scheduleTypeButton(int i) const { return m_scheduleTypes[static_cast<std::size_t>(i)]; }
    QRadioButton* everyTypeButton(int i) const { return m_everyTypes[static_cast<std::size_t>(i)]; }
    QCheckBox* ordinalBox(int i) const { return m_ordinals[static_cast<std::size_t>(i)]; }
    QCheckBox* weekdayBox(int i) const { return m_weekdays[static_cast<std::size_t>(i)]; }
    QComboBox* categoryList() const { return m_category; }
    QLineEdit* descriptionEntry() const { return m_description; }
    QLineEdit* commandEntry() const { return m_command; }
    QLineEdit* pathEntry() const { return m_path; }
    QPushButton* commandBrowseButton() const { return m_commandBrowse; }
    QPlainTextEdit* messageText() const { return m_message; }
    QLabel* everyPrompt() const { return m_everyPrompt; }
    QLineEdit* everyEntry() const { return m_every; }
    QGroupBox* everyTypeGroup() const { return m_everyTypeGroup; }
    ui::DateEdit* nextDateEntry() const { return m_date; }
    QPushButton* nextDateCalendarButton() const { return m_dateCalendar; }
    QLabel* timePrompt() const { return m_timePrompt; }
    ui::TimeEdit* timeEntry() const { return m_time; }
    QLineEdit* lastRunDateEntry() const { return m_lastRunDate; }
    QLineEdit* lastRunTimeEntry() const { return m_lastRunTime; }
    QCheckBox* skipNextTimeBox() const { return m_skipNextTime; }
    ui::DateEdit* warnDateEntry() const { return m_warnDate; }
    QPushButton* warnDateCalendarButton() const { return m_warnCalendar; }
    ui::TimeEdit* warnTimeEntry() const { return m_warnTime; }
    QCheckBox* alarmBox() const { return m_alarm; }
    QLabel* wavPrompt() const { return m_wavPrompt; }
    QLineEdit* wavEntry() const { return m_wavFile; }
    QPushButton* wavBrowseButton() const { return m_wavBrowse; }
    QPushButton* playButton() const { return m_play; }
    QCheckBox* warnBox() const { return m_warn; }
    QCheckBox* userSkipBox() const { return m_userSkip; }
    QCheckBox* disabledBox() const { return m_disabled; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

    static constexpr int kCommandTab = 1;
    static constexpr int kMessageTab = 2;
    static constexpr int kWhenTab = 3;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildTaskTab();
    QWidget* buildCommandTab();
    QWidget* buildMessageTab();
    QWidget* buildWhenTab();
    QWidget* buildAdvancedTab();
    void connectFields();
    // Shows every field from the editor's record and applies the visibility rules.
    void refresh();
    void applyVisibility();
    void moveFocus(TaskFocus focus);
    void pressOk();
    void openCalendar(bool nextDate);
    void everyEntered();

    TaskEditor& m_editor;
    std::function<StdDate(CalendarOptions)> m_calendar;
    bool m_refreshing = false;
    bool m_positioned = false;

    QTabWidget* m_tabs = nullptr;
    std::array<QRadioButton*, 4> m_taskTypes{};
    std::array<QRadioButton*, 6> m_scheduleTypes{};
    std::array<QRadioButton*, 6> m_everyTypes{};
    std::array<QCheckBox*, 5> m_ordinals{};
    std::array<QCheckBox*, 7> m_weekdays{};
    QComboBox* m_category = nullptr;
    QLineEdit* m_description = nullptr;
    QLineEdit* m_command = nullptr;
    QLineEdit* m_path = nullptr;
    QPushButton* m_commandBrowse = nullptr;
    QPlainTextEdit* m_message = nullptr;
    QLabel* m_everyPrompt = nullptr;
    QLineEdit* m_every = nullptr;
    QGroupBox* m_everyTypeGroup = nullptr;
    ui::DateEdit* m_date = nullptr;
    QPushButton* m_dateCalendar = nullptr;
    QLabel* m_timePrompt = nullptr;
    ui::TimeEdit* m_time = nullptr;
    QLineEdit* m_lastRunDate = nullptr;
    QLineEdit* m_lastRunTime = nullptr;
    QCheckBox* m_skipNextTime = nullptr;
    ui::DateEdit* m_warnDate = nullptr;
    QPushButton* m_warnCalendar = nullptr;
    ui::TimeEdit* m_warnTime = nullptr;
    QCheckBox* m_alarm = nullptr;
    QLabel* m_wavPrompt = nullptr;
    QLineEdit* m_wavFile = nullptr;
    QPushButton* m_wavBrowse = nullptr;
    QPushButton* m_play = nullptr;
    QCheckBox* m_warn = nullptr;
    QCheckBox* m_userSkip = nullptr;
    QCheckBox* m_disabled = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

}  // namespace tarvelo
