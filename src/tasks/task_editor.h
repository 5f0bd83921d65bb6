#pragma once
// The rules of the task form, without widgets. A TaskEditor edits its own copy of one Schedule record
// (with the RowRef it was read or reserved with), so the engine's timer can never overwrite what the user
// is typing, and a save never silently undoes what the engine did meanwhile: writing the copy back over a
// row the engine has moved on fails with code 89 and is reported, and the copy stays as the user left it.
//
// Two layers:
//   TaskFields  - the field handling shared by the task form and the wizards: which controls a task type,
//                 schedule type and alarm flag show, the checks run when a field is accepted, the choosing
//                 of a program or WAV file, Play.
//   TaskEditor  - one session of the form over the data files: opening the tables, reserving a new record,
//                 the defaults of a new task, the category list, OK with every field re-accepted, saving,
//                 and removing the reserved record when the session ends any other way.
// A wizard drives the same TaskEditor and lays its fields out as pages.
//
// Threading: the GUI thread only, like the ports it uses.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/date.h"
#include "data/data_files.h"
#include "data/records.h"
#include "data/update_form.h"
#include "platform/ports.h"

namespace tarvelo {

class ProfileFile;

// Which controls of the form are shown (or, for the WAV controls, enabled) for the record's current task
// type, schedule type and alarm flag.
struct TaskVisibility {
    bool time = true;        // the "&Time:" prompt and spin box of the next date
    bool commandTab = true;  // the "&Command" tab and its five controls
    bool messageTab = true;  // the "&Message" tab and its text box
    bool ordinals = false;   // "1st" .. "Last"
    bool weekdays = false;   // "Sunday" .. "Saturday"
    bool every = false;      // the "Every:" prompt and entry
    bool everyType = false;  // the "Every Type" group
    bool alarmControls = false;  // enabled: "WAV File to Play:", its entry, "&Browse", "&Play"
    friend bool operator==(const TaskVisibility&, const TaskVisibility&) = default;
};

// The rules a window follows: the task form's and the add wizards', the special event's, which never
// hides the time (and so never gives a "None" task its fixed time), or the search's, whose values are
// examples: each is taken as typed, with no check, warning or value of another field following from it.
enum class TaskRules { form, specialEvent, search };

TaskVisibility taskVisibility(const Task& task, TaskRules rules = TaskRules::form);

// The time a task of type "None" is given (23:59:55).
inline constexpr StdTime kNoneTaskTime = 8639500;

// The folder of a program: the text before its last "\" or "/" ("C:\TOOLS\BACKUP.EXE" gives "C:\TOOLS");
// a name without a separator gives "", a program directly in the root "/" gives "/".
std::string programFolder(std::string_view program);
// A chosen file as a command line: quoted when the command-line splitter would otherwise cut it up.
std::string commandForFile(std::string_view file);

// The text fields of a task, each with its width in characters.
enum class TaskText { description, command, path, alarmFile, message };
std::size_t taskTextWidth(TaskText field);

// Where the focus goes after a button of the form.
enum class TaskFocus { Stay, AfterStartIn, WavBrowse, FirstField, EveryEntry };

struct TaskFieldPorts {
    platform::MessageBoxPort& messages;
    platform::FileDialogPort& fileDialog;
    platform::SoundPort& sound;
    // "PELLSCHD.INI": its section "Warning" gives the automatic advance warning.
    const ProfileFile& warningDefaults;
    // Whether a WAV file can be played; by default, whether it is a readable file.
    std::function<bool(const std::string&)> playable = {};
};

class TaskFields {
public:
    TaskFields(Task& task, TaskFieldPorts ports);

    const Task& task() const { return m_task; }
    TaskRules rules() const { return m_rules; }
    void setRules(TaskRules rules) { m_rules = rules; }
    TaskVisibility visibility() const { return taskVisibility(m_task, m_rules); }

    // The three visibility rules: the one with a side effect sets the time of a "None" task.
    void runVisibilityRules();

    // Accepting a field: the value is taken and the field's rule runs.
    void acceptTaskType(TaskType taskType);
    void acceptScheduleType(ScheduleType scheduleType);
    void acceptAlarm(bool on);
    // Refused (false, nothing changed) when the count would carry the task beyond the dates the program
    // can hold with the task's unit.
    bool acceptEvery(std::int32_t every);
    // The "Every:" entry's text (@n6): a whole number of at most six characters, sign included, that
    // acceptEvery() takes; refused (false, nothing changed) otherwise.
    bool acceptEveryText(std::string_view typed);

    // The fields without a rule of their own. A text longer than its field is cut to fit and refused
    // (false): the view beeps and shows what was kept. A text with a control character (the message may
    // hold line breaks and tabs) is refused whole, unless the field held one already.
    bool setText(TaskText field, std::string_view typed);
    const std::string& text(TaskText field) const;
    void setEveryType(RepetitionUnit unit) { m_task.everyType = unit; }
    void setOrdinal(std::size_t index, bool on) { m_task.*kOrdinalFlags.at(index) = on ? 1 : 0; }
    void setWeekday(std::size_t index, bool on) { m_task.*kWeekdayFlags.at(index) = on ? 1 : 0; }
    void setTime(StdTime time) { m_task.time = time; }
    void setAdvanceWarnTime(StdTime time) { m_task.advanceWarnTime = time; }
    void setSkipNextTime(bool on) { m_task.skipNextTime = on ? 1 : 0; }
    void setWarn(bool on) { m_task.warn = on ? 1 : 0; }
    void setUserSkip(bool on) { m_task.userSkip = on ? 1 : 0; }
    void setDisabled(bool on) { m_task.disabled = on ? 1 : 0; }
    // The "Warning" box when the date does not fit the schedule type (the date stays), then the automatic
    // advance warning when section "Warning" says so.
    void acceptNextDate(StdDate date);
    // A warning after the task clears both warning fields, with its message.
    void acceptAdvanceWarnDate(StdDate date);

    // The calendar's choice is put into a field without that field's accept handling.
    void setDateFromCalendar(StdDate date) { m_task.date = date; }
    void setAdvanceWarnDateFromCalendar(StdDate date) { m_task.advanceWarnDate = date; }

    // "&Browse" of the command: the program chooser. Returns AfterStartIn when it filled the start-in
    // folder (the focus moves on), Stay otherwise.
    TaskFocus browseCommand();
    // "&Browse" of the WAV file.
    void browseAlarmFile();
    // "&Play": a blank name opens the WAV chooser instead (WavBrowse: that button gets the focus); a file
    // that cannot be played also sends the focus to the WAV "&Browse".
    TaskFocus play();

    // "&OK" runs every field's accept handling again, in the order of the form. Returns the field that
    // refused its value (the focus goes there) or nothing when all were accepted.
    std::optional<TaskFocus> acceptAll();

private:
    std::optional<std::string> chooseFile(const std::string& title, const std::vector<platform::FileFilter>& filters,
                                          const std::string& current);

    Task& m_task;
    TaskFieldPorts m_ports;
    TaskRules m_rules = TaskRules::form;
};

struct TaskEditorPorts {
    platform::MessageBoxPort& messages;
    platform::FileDialogPort& fileDialog;
    platform::SoundPort& sound;
    platform::ClockPort& clock;
    const ProfileFile& warningDefaults;
    std::function<bool(const std::string&)> playable = {};
};

// One session of the task form:
//
//   TaskEditor editor(files, Request::insert, clearedTask, ports);
//   if (editor.start(selectedDayText)) { ...show the window, bound to editor.task()...
//       OK: if (!editor.ok()) close;   Cancel / close box: editor.cancel(), close; }
//   Response r = editor.finish();
class TaskEditor {
public:
    // task: for a change or delete the copy the caller read (with its ref); for an insert the cleared
    // record, with a category when the caller presets one.
    TaskEditor(DataFiles& files, Request request, const Task& task, TaskEditorPorts ports);
    TaskEditor(const TaskEditor&) = delete;
    TaskEditor& operator=(const TaskEditor&) = delete;

    // The steps before the window. Insert: reserves a new record and applies the defaults of a new task,
    // the date taken from selectedDayText (the day selected in the schedule browse, as a day number) or
    // today when that is blank. Delete: asks, deletes and ends. Every request that opens the window also
    // runs the visibility rules and fills the category list. Returns whether the window is to be opened.
    bool start(std::string_view selectedDayText = {});

    Request request() const { return m_form.request(); }
    Response response() const { return m_form.response(); }
    // "Adding a Schedule Record" or "Changing a Schedule Record".
    std::string caption() const { return m_form.actionTitle(); }

    // The record being edited. Plain fields (description, command, check boxes, ...) are written here
    // directly by the view; fields with rules go through fields().
    Task& task() { return m_form.record(); }
    const Task& task() const { return m_form.record(); }
    TaskFields& fields() { return m_fields; }
    TaskVisibility visibility() const { return m_fields.visibility(); }

    // The names of the Categories table, sorted; the entry that shows the task's category (-1: none).
    const std::vector<std::string>& categories() const { return m_categories; }
    int categoryIndex() const;
    void selectCategory(int index);
    // Fills the list again from the table. False when the table could not be read to its end (warning
    // 35 shown): the form is to close.
    bool loadCategories();

    // "&OK": every field re-accepted, then the record saved. Returns where the focus goes when the form
    // stays open, or nothing when it is to close (response() tells how).
    std::optional<TaskFocus> ok();
    // Completes with the record as it stands, no field re-accepted (the special event's "&Finish").
    // Returns as ok() does.
    std::optional<TaskFocus> save();
    // "Cancel", the close box, the program closing down.
    void cancel() { m_form.cancel(); }
    // The end: a reserved record that was not completed is removed, the tables are released. Also done
    // when the editor is destroyed without it.
    Response finish();

private:
    void applyNewTaskDefaults(std::string_view selectedDayText);

    DataFiles& m_files;
    platform::ClockPort& m_clock;
    ScheduleForm m_form;
    TaskFields m_fields;
    std::vector<std::string> m_categories;
    std::optional<TableUse> m_categoriesUse;
};

}  // namespace tarvelo
