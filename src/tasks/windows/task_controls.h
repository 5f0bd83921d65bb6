#pragma once
// The controls of one task, made once for every window that shows a task: the task form, the three add
// wizards, the special-event wizard and the search form. One widget group per page of the task:
//
//   TaskPageControls      task type, category, description
//   CommandControls       command, "&Browse", start-in folder
//   MessageControls       the message text box
//   WhenControls          schedule type, the "&Every..." group, next date and time, last run, skip, warning
//   AdvancedControls      alarm, WAV file, "&Browse", "&Play", the three check boxes
//
// A window places the groups it shows on its tabs or pages, with texts of its own around them, and binds
// them to its TaskEditor with one TaskControlsBinder, which holds no rule itself: every value goes through
// the editor's model, and the view only shows what the model kept. Each group is laid out once with room
// for every control it may show, so nothing moves or resizes when a rule hides or shows a control.
//
// Search mode (the search form fills the controls with example values): every data control is shown
// whatever the rules say, and the controls that hold no data — the two calendar buttons and the frames
// of "&Every..." and "Alarm" — are hidden.
#include <array>
#include <functional>
#include <initializer_list>
#include <string>

#include <QObject>
#include <QWidget>

#include "tasks/calendar_model.h"
#include "tasks/task_editor.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QHBoxLayout;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace tarvelo {

namespace widgets {
class DateEdit;
class TimeEdit;
}  // namespace widgets

// The "&Task" page: the "Task Type" options (the first taskTypes of kTaskTypes; none at all when 0), a
// text between them and the category when categoryIntro is set, the category list and the description.
class TaskPageControls : public QWidget {
    Q_OBJECT
public:
    TaskPageControls(int taskTypes, const char* categoryIntro, QWidget* parent = nullptr);

    std::array<QRadioButton*, 4> taskTypes{};  // nullptr beyond the ones offered
    QComboBox* category = nullptr;
    QLineEdit* description = nullptr;
};

// The "&Command" page: command and start-in folder, with the wizards' two explanatory texts when
// withTexts is set.
class CommandControls : public QWidget {
    Q_OBJECT
public:
    explicit CommandControls(bool withTexts, QWidget* parent = nullptr);

    QLineEdit* command = nullptr;
    QPushButton* browse = nullptr;
    QLineEdit* path = nullptr;
};

// The "&Message" page: a prompt text above the message's text box.
class MessageControls : public QWidget {
    Q_OBJECT
public:
    explicit MessageControls(const char* promptText, QWidget* parent = nullptr);

    QPlainTextEdit* message = nullptr;
};

struct WhenOptions {
    bool scheduleRule = true;   // the schedule type and the "&Every..." group (not in the special event)
    bool lastRun = false;       // the read-only date and time last performed (the task form)
    const char* skipText = "&Skip Next Time";
    // The next dates right of the date and time entries; else the window places them (nextDates).
    bool nextDatesBeside = true;
};

// The "&When" page.
class WhenControls : public QWidget {
    Q_OBJECT
public:
    explicit WhenControls(const WhenOptions& options, QWidget* parent = nullptr);

    void setSearchMode(bool on);

    std::array<QRadioButton*, 6> scheduleTypes{};  // nullptr without the schedule rule
    QGroupBox* everyGroup = nullptr;
    std::array<QCheckBox*, 5> ordinals{};
    std::array<QCheckBox*, 7> weekdays{};
    QLabel* everyPrompt = nullptr;
    QLineEdit* every = nullptr;
    QGroupBox* everyTypeGroup = nullptr;
    std::array<QRadioButton*, 6> everyTypes{};
    widgets::DateEdit* date = nullptr;
    QPushButton* dateCalendar = nullptr;
    QLabel* timePrompt = nullptr;
    widgets::TimeEdit* time = nullptr;
    QLineEdit* lastRunDate = nullptr;  // nullptr without lastRun
    QLineEdit* lastRunTime = nullptr;
    QCheckBox* skip = nullptr;
    widgets::DateEdit* warnDate = nullptr;
    QPushButton* warnCalendar = nullptr;
    widgets::TimeEdit* warnTime = nullptr;
    QLabel* nextDates = nullptr;  // read-only: the next dates of the record as it stands
};

// The "&Advanced" page, with the "&Disable" check box when withDisable is set.
class AdvancedControls : public QWidget {
    Q_OBJECT
public:
    explicit AdvancedControls(bool withDisable, QWidget* parent = nullptr);

    void setSearchMode(bool on);

    QGroupBox* alarmGroup = nullptr;
    QCheckBox* alarm = nullptr;
    QLabel* wavPrompt = nullptr;
    QLineEdit* wavFile = nullptr;
    QPushButton* wavBrowse = nullptr;
    QPushButton* play = nullptr;
    QCheckBox* warn = nullptr;
    QCheckBox* userSkip = nullptr;
    QCheckBox* disabled = nullptr;  // nullptr without withDisable
};

// What the task windows and their calendar need of the program.
struct TaskFormServices {
    DataFiles& files;
    platform::Platform platform;
    TaskFieldOptions fields;  // "PELLSCHD.INI", and whether a WAV file plays
    // Opens the calendar and returns its date; by default the modal CalendarDialog over the window.
    std::function<StdDate(CalendarOptions)> calendar = {};
};

// The buttons below a window's task controls, right-aligned in the order given.
QHBoxLayout* taskButtonRow(std::initializer_list<QPushButton*> buttons);

// The groups a window shows; nullptr for a page it does not have.
struct TaskControls {
    TaskPageControls* task = nullptr;
    CommandControls* command = nullptr;
    MessageControls* message = nullptr;
    WhenControls* when = nullptr;
    AdvancedControls* advanced = nullptr;
};

// Binds a window's task controls to its editor. Every change made in a control goes to the editor's
// model, then all controls show the record again, so a rule with a side effect (the time of a "None"
// task, an automatic warning) is seen at once. Lives as long as the window; made after the groups.
class TaskControlsBinder : public QObject {
    Q_OBJECT
public:
    using Calendar = std::function<StdDate(CalendarOptions)>;

    TaskControlsBinder(TaskEditor& editor, const TaskControls& controls, const TaskFormServices& services,
                       QWidget* window);

    const TaskControls& controls() const { return m_controls; }

    // Shows every field from the record and applies the visibility rules.
    void refresh();
    // Shows the record after the window's OK or Finish, whose answer is `stay`: true when the window may
    // close; else the focus goes where the editor stopped, with a beep for a refused repeat count.
    bool settle(std::optional<TaskFocus> stay);

    // The host's share of the rules: showing or hiding its tabs or pages for the command and message.
    std::function<void(const TaskVisibility&)> onVisibility;
    // Sets onVisibility for a host that keeps the command and message on tabs of its own.
    void showTabsFor(QTabWidget* tabs, int commandTab, int messageTab);
    // Where the focus goes after a button or a refused entry; the host knows its pages.
    std::function<void(TaskFocus)> onFocus;

    // See the file comment. Leaving search mode applies the rules again.
    void setSearchMode(bool on);
    bool searchMode() const { return m_searchMode; }

private:
    void connectTaskPage();
    void connectCommand();
    void connectMessage();
    void connectWhen();
    void connectAdvanced();
    void bindText(QLineEdit* entry, TaskText field);
    void applyVisibility();
    void openCalendar(bool nextDate);
    void everyEntered();
    void showNextDates();
    void focus(TaskFocus where);
    // Calls act(i, on) when the user (not a refresh) toggles the i-th of buttons; nullptr entries are skipped.
    template <class Button, std::size_t N, class Act>
    void whenToggled(const std::array<Button*, N>& buttons, Act act);
    // A choice whose rules may change other fields: accepted, then every control shows the record again.
    template <class Word>
    void acceptAndShow(void (TaskFields::*accept)(Word), Word word);

    TaskEditor& m_editor;
    TaskFields& m_fields;
    TaskControls m_controls;
    Calendar m_calendar;
    QWidget* m_window;
    bool m_refreshing = false;
    bool m_searchMode = false;
};

}  // namespace tarvelo
