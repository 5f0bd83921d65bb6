#include "tasks/windows/task_controls.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <initializer_list>

#include "core/picture.h"
#include "tasks/next_dates.h"
#include "tasks/windows/calendar_dialog.h"
#include "widgets/date_edit.h"
#include "widgets/time_edit.h"

namespace tarvelo {
namespace {

constexpr std::array<const char*, 5> kOrdinalLabels = {"1st", "2nd", "3rd", "4th", "Last"};
constexpr std::array<const char*, 7> kWeekdayLabels = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                       "Thursday", "Friday", "Saturday"};

QString q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QLabel* prompt(const char* text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    if (buddy) label->setBuddy(buddy);
    return label;
}

QLabel* explanation(const char* text, QWidget* parent) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setWordWrap(true);
    return label;
}

// width characters fit, whatever their encoding: the entry's own limit counts UTF-16 units, so it is
// set roomy and the model refuses what does not fit.
QLineEdit* textEntry(TaskText field, const char* tip, QWidget* parent) {
    auto* entry = new QLineEdit(parent);
    entry->setMaxLength(static_cast<int>(taskTextWidth(field)) * 2);
    entry->setToolTip(QString::fromUtf8(tip));
    return entry;
}

QPushButton* button(const char* text, QWidget* parent) {
    auto* b = new QPushButton(QString::fromUtf8(text), parent);
    b->setAutoDefault(false);
    return b;
}

QCheckBox* checkBox(const char* text, const char* tip, QWidget* parent) {
    auto* box = new QCheckBox(QString::fromUtf8(text), parent);
    if (tip) box->setToolTip(QString::fromUtf8(tip));
    return box;
}

QPushButton* calendarButton(QWidget* parent) {
    QPushButton* b = button("...", parent);
    b->setFixedWidth(28);
    return b;
}

widgets::TimeEdit* timeEntry(const char* tip, QWidget* parent) {
    auto* entry = new widgets::TimeEdit(parent);
    entry->setToolTip(QString::fromUtf8(tip));
    entry->setMinimumWidth(entry->fontMetrics().horizontalAdvance(QStringLiteral("12:00PM")) + 40);
    return entry;
}

// A control a rule may hide keeps its place, so the controls around it never move.
void keepPlaceWhenHidden(QWidget* w) {
    QSizePolicy policy = w->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    w->setSizePolicy(policy);
}

// Checks the radio of the given kind and no other; a word no radio offers leaves them all unchecked.
template <class Kind, std::size_t N>
void checkOnly(const std::array<QRadioButton*, N>& radios, const std::array<Kind, N>& kinds, Kind stored) {
    for (std::size_t i = 0; i < N; ++i) {
        if (!radios[i]) continue;
        radios[i]->setAutoExclusive(false);
        radios[i]->setChecked(kinds[i] == stored);
        radios[i]->setAutoExclusive(true);
    }
}

template <class W>
void showIf(W* w, bool on) {
    if (w) w->setVisible(on);
}

template <class W>
void enableIf(W* w, bool on) {
    if (w) w->setEnabled(on);
}

// A frame that holds no data: in search mode it keeps its controls but shows neither border nor title.
void showFrame(QGroupBox* box, const char* title, bool on) {
    if (!box) return;
    box->setFlat(!on);
    box->setTitle(on ? QString::fromUtf8(title) : QString());
}

}  // namespace

TaskPageControls::TaskPageControls(int taskTypeCount, const char* categoryIntro, QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    if (taskTypeCount > 0) {
        auto* group = new QGroupBox(QStringLiteral("Task Type"), this);
        group->setToolTip(QStringLiteral("Type of Task to Perform"));
        auto* types = new QVBoxLayout(group);
        for (std::size_t i = 0; i < std::min<std::size_t>(static_cast<std::size_t>(taskTypeCount), taskTypes.size()); ++i) {
            taskTypes[i] = new QRadioButton(q(ruleText(kTaskTypes[i])), group);
            types->addWidget(taskTypes[i]);
        }
        layout->addWidget(group, 0, Qt::AlignLeft);
    }
    if (categoryIntro) layout->addWidget(explanation(categoryIntro, this));
    auto* form = new QFormLayout;
    category = new QComboBox(this);
    category->setMinimumContentsLength(20);
    form->addRow(prompt("&Category:", category, this), category);
    description = textEntry(TaskText::description, "Description or Title of Task", this);
    form->addRow(prompt("&Description:", description, this), description);
    layout->addLayout(form);
    layout->addStretch();
}

CommandControls::CommandControls(bool withTexts, QWidget* parent) : QWidget(parent) {
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    command = textEntry(TaskText::command, "Program to execute", this);
    browse = button("&Browse", this);
    path = textEntry(TaskText::path, "Driectory (Folder) to start the command in", this);
    if (withTexts) {
        layout->addWidget(explanation("Enter any valid program name, along with the parameters it needs here...", this),
                          0, 0, 1, 3);
    }
    layout->addWidget(prompt("Comma&nd:", command, this), 1, 0);
    layout->addWidget(command, 1, 1);
    layout->addWidget(browse, 1, 2);
    if (withTexts) {
        layout->addWidget(
            explanation("If the program must be run from a specific directory or folder, enter it here...", this), 2,
            0, 1, 3);
    }
    layout->addWidget(prompt("Start &in:", path, this), 3, 0);
    layout->addWidget(path, 3, 1, 1, 2);
    layout->setColumnMinimumWidth(1, 320);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(4, 1);
}

MessageControls::MessageControls(const char* promptText, QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    message = new QPlainTextEdit(this);
    message->setToolTip(QStringLiteral("Message to display"));
    layout->addWidget(prompt(promptText, message, this));
    layout->addWidget(message);
}

WhenControls::WhenControls(const WhenOptions& options, QWidget* parent) : QWidget(parent) {
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    if (options.scheduleRule) {
        auto* typeGroup = new QGroupBox(QStringLiteral("Schedule &Type"), this);
        typeGroup->setToolTip(QStringLiteral("Type of scheduling"));
        auto* types = new QVBoxLayout(typeGroup);
        for (std::size_t i = 0; i < scheduleTypes.size(); ++i) {
            scheduleTypes[i] = new QRadioButton(q(ruleText(kScheduleTypes[i])), typeGroup);
            types->addWidget(scheduleTypes[i]);
        }
        types->addStretch();
        layout->addWidget(typeGroup, 0, 0);

        // Room for every control of the group at once: the schedule type only hides some of them.
        everyGroup = new QGroupBox(QStringLiteral("&Every..."), this);
        auto* every = new QGridLayout(everyGroup);
        for (std::size_t i = 0; i < ordinals.size(); ++i) {
            ordinals[i] = checkBox(kOrdinalLabels[i], nullptr, everyGroup);
            every->addWidget(ordinals[i], 0, static_cast<int>(i));
        }
        for (std::size_t i = 0; i < weekdays.size(); ++i) {
            weekdays[i] = checkBox(kWeekdayLabels[i], nullptr, everyGroup);
            every->addWidget(weekdays[i], 1 + static_cast<int>(i) / 4, static_cast<int>(i) % 4);
        }
        this->every = new QLineEdit(everyGroup);
        this->every->setMaxLength(6);
        this->every->setToolTip(QStringLiteral("Repeat Task Every..."));
        this->every->setFixedWidth(64);
        this->every->setAlignment(Qt::AlignRight);
        everyPrompt = prompt("Every:", this->every, everyGroup);
        everyTypeGroup = new QGroupBox(QStringLiteral("Every Type"), everyGroup);
        auto* units = new QGridLayout(everyTypeGroup);
        for (std::size_t i = 0; i < everyTypes.size(); ++i) {
            everyTypes[i] = new QRadioButton(q(ruleText(kRepetitionUnits[i])), everyTypeGroup);
            units->addWidget(everyTypes[i], static_cast<int>(i) / 3, static_cast<int>(i) % 3);
        }
        // The count beside its units rather than above them: the page then fits the frame's document area
        // at its first-start size, where the search window shows every control of the group at once.
        auto* repeat = new QHBoxLayout;
        repeat->addWidget(everyPrompt);
        repeat->addWidget(this->every);
        repeat->addSpacing(12);
        repeat->addWidget(everyTypeGroup, 1);
        every->addLayout(repeat, 3, 0, 1, 5);
        every->setRowStretch(4, 1);
        for (QWidget* w : ordinals) keepPlaceWhenHidden(w);
        for (QWidget* w : weekdays) keepPlaceWhenHidden(w);
        for (QWidget* w : std::initializer_list<QWidget*>{everyPrompt, this->every, everyTypeGroup})
            keepPlaceWhenHidden(w);
        layout->addWidget(everyGroup, 0, 1);
    }

    auto* dates = new QGridLayout;
    date = new widgets::DateEdit(this);
    date->setToolTip(QStringLiteral("Next Date to Perform Task"));
    dateCalendar = calendarButton(this);
    time = timeEntry("Next Time to Perform Task", this);
    timePrompt = prompt("&Time:", time, this);
    keepPlaceWhenHidden(time);
    keepPlaceWhenHidden(timePrompt);
    int row = 0;
    dates->addWidget(prompt("&Next Date to Perform Task:", date, this), row, 0);
    dates->addWidget(date, row, 1);
    dates->addWidget(dateCalendar, row, 2);
    dates->addWidget(timePrompt, row, 3);
    dates->addWidget(time, row, 4);
    ++row;
    if (options.lastRun) {
        lastRunDate = new QLineEdit(this);
        lastRunDate->setReadOnly(true);
        lastRunDate->setToolTip(QStringLiteral("Task last performed on this date"));
        lastRunTime = new QLineEdit(this);
        lastRunTime->setReadOnly(true);
        lastRunTime->setToolTip(QStringLiteral("Task last performed at this time"));
        dates->addWidget(prompt("Date Last Performed:", lastRunDate, this), row, 0);
        dates->addWidget(lastRunDate, row, 1);
        dates->addWidget(prompt("Time:", lastRunTime, this), row, 3);
        dates->addWidget(lastRunTime, row, 4);
        ++row;
    }
    skip = checkBox(options.skipText, "Skip next occurance of this task", this);
    dates->addWidget(skip, row++, 1, 1, 4);
    warnDate = new widgets::DateEdit(this);
    warnDate->setToolTip(QStringLiteral("Date of Advanced Warning"));
    warnCalendar = calendarButton(this);
    warnTime = timeEntry("Advanced Warning Time", this);
    dates->addWidget(prompt("&Advance Warning Date:", warnDate, this), row, 0);
    dates->addWidget(warnDate, row, 1);
    dates->addWidget(warnCalendar, row, 2);
    dates->addWidget(prompt("Time:", warnTime, this), row, 3);
    dates->addWidget(warnTime, row, 4);
    // The next dates in free space, by default right of the entries over every row of them: the label asks
    // no room of the layout, so no control moves as its text changes; its column keeps the room.
    nextDates = new QLabel(this);
    nextDates->setObjectName(QStringLiteral("nextDates"));
    nextDates->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    nextDates->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    nextDates->setTextInteractionFlags(Qt::TextSelectableByMouse);
    if (options.nextDatesBeside) {
        // Wide enough for the widest heading and a date with its time, whole: the window is that much
        // wider rather than cutting them.
        int widest = 0;
        for (const char* sample : {"Next dates (no unit: daily):", "none: the task is disabled", "Sep 30, 2026  12:00PM"})
            widest = std::max(widest, nextDates->fontMetrics().horizontalAdvance(QString::fromLatin1(sample)));
        dates->setColumnMinimumWidth(5, widest + nextDates->fontMetrics().averageCharWidth());
        dates->addWidget(nextDates, 0, 5, row + 1, 1);
    }
    dates->setColumnStretch(5, 1);
    // The room the next dates need beside the entries is a column of its own, right of the Every group,
    // so that neither group above widens for it.
    const int beside = options.nextDatesBeside ? 1 : 0;
    layout->addLayout(dates, 1, 0, 1, 2 + beside);
    if (beside) layout->setColumnStretch(2, 1);
    layout->setRowStretch(2, 1);
}

void WhenControls::setSearchMode(bool on) {
    showFrame(everyGroup, "&Every...", !on);
    dateCalendar->setVisible(!on);
    warnCalendar->setVisible(!on);
    nextDates->setVisible(!on);
}

AdvancedControls::AdvancedControls(bool withDisable, QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    alarmGroup = new QGroupBox(QStringLiteral("Alarm"), this);
    auto* grid = new QGridLayout(alarmGroup);
    alarm = checkBox("Alarm", "Play a WAV file as an alarm", alarmGroup);
    wavFile = textEntry(TaskText::alarmFile, "WAV file to play as an alarm", alarmGroup);
    wavPrompt = prompt("WAV File to Play:", wavFile, alarmGroup);
    wavBrowse = button("&Browse", alarmGroup);
    play = button("&Play", alarmGroup);
    grid->addWidget(alarm, 0, 0, 1, 2);
    grid->addWidget(wavPrompt, 1, 0);
    grid->addWidget(wavFile, 1, 1);
    grid->addWidget(wavBrowse, 1, 2);
    grid->addWidget(play, 1, 3);
    grid->setColumnMinimumWidth(1, 260);
    grid->setColumnStretch(1, 1);
    layout->addWidget(alarmGroup);
    warn = checkBox("&Warn if not run on specified date", "Warn if not run on specified date", this);
    userSkip = checkBox("&Before performing task, give option to skip", "Give option to skip before performing", this);
    layout->addWidget(warn);
    layout->addWidget(userSkip);
    if (withDisable) {
        disabled = checkBox("&Disable", "Do not perform this task", this);
        layout->addWidget(disabled);
    }
    layout->addStretch();
}

void AdvancedControls::setSearchMode(bool on) { showFrame(alarmGroup, "Alarm", !on); }

QHBoxLayout* taskButtonRow(std::initializer_list<QPushButton*> buttons) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (QPushButton* b : buttons) row->addWidget(b);
    return row;
}

TaskControlsBinder::TaskControlsBinder(TaskEditor& editor, const TaskControls& controls,
                                       const TaskFormServices& services, QWidget* window)
    : QObject(window),
      m_editor(editor),
      m_fields(editor.fields()),
      m_controls(controls),
      m_calendar(services.calendar),
      m_window(window) {
    if (!m_calendar) {
        platform::ClockPort* clock = &services.platform.clock;
        platform::MessageBoxPort* messages = &services.platform.messages;
        m_calendar = [window, clock, messages](CalendarOptions options) {
            return CalendarDialog::pick(std::move(options), *clock, *messages, window);
        };
    }
    if (m_controls.task) connectTaskPage();
    if (m_controls.command) connectCommand();
    if (m_controls.message) connectMessage();
    if (m_controls.when) connectWhen();
    if (m_controls.advanced) connectAdvanced();
}

void TaskControlsBinder::bindText(QLineEdit* entry, TaskText field) {
    connect(entry, &QLineEdit::textEdited, this, [this, entry, field](const QString& typed) {
        if (m_fields.setText(field, typed.toStdString())) return;
        QApplication::beep();
        const int cursor = entry->cursorPosition();
        entry->setText(q(m_fields.text(field)));
        entry->setCursorPosition(std::min(cursor, static_cast<int>(entry->text().size())));
    });
}

template <class Button, std::size_t N, class Act>
void TaskControlsBinder::whenToggled(const std::array<Button*, N>& buttons, Act act) {
    for (std::size_t i = 0; i < N; ++i) {
        if (!buttons[i]) continue;
        connect(buttons[i], &QAbstractButton::toggled, this, [this, i, act](bool on) {
            if (!m_refreshing) act(i, on);
        });
    }
}

template <class Word>
void TaskControlsBinder::acceptAndShow(void (TaskFields::*accept)(Word), Word word) {
    (m_fields.*accept)(word);
    refresh();
}

void TaskControlsBinder::connectTaskPage() {
    TaskPageControls& c = *m_controls.task;
    whenToggled(c.taskTypes, [this](std::size_t i, bool on) {
        if (on) acceptAndShow(&TaskFields::acceptTaskType, kTaskTypes[i]);
    });
    connect(c.category, &QComboBox::activated, this, [this](int index) { m_editor.selectCategory(index); });
    bindText(c.description, TaskText::description);
}

void TaskControlsBinder::connectCommand() {
    CommandControls& c = *m_controls.command;
    bindText(c.command, TaskText::command);
    bindText(c.path, TaskText::path);
    connect(c.browse, &QPushButton::clicked, this, [this] {
        const TaskFocus where = m_fields.browseCommand();
        refresh();
        focus(where);
    });
}

void TaskControlsBinder::connectMessage() {
    QPlainTextEdit* box = m_controls.message->message;
    connect(box, &QPlainTextEdit::textChanged, this, [this, box] {
        if (m_refreshing || m_fields.setText(TaskText::message, box->toPlainText().toStdString())) return;
        QApplication::beep();
        const QSignalBlocker block(box);
        box->setPlainText(q(m_fields.text(TaskText::message)));
        box->moveCursor(QTextCursor::End);
    });
}

void TaskControlsBinder::connectWhen() {
    WhenControls& c = *m_controls.when;
    whenToggled(c.scheduleTypes, [this](std::size_t i, bool on) {
        if (on) acceptAndShow(&TaskFields::acceptScheduleType, kScheduleTypes[i]);
    });
    whenToggled(c.everyTypes, [this](std::size_t i, bool on) {
        if (on) m_fields.setEveryType(kRepetitionUnits[i]);
        showNextDates();
    });
    whenToggled(c.ordinals, [this](std::size_t i, bool on) {
        m_fields.setOrdinal(i, on);
        showNextDates();
    });
    whenToggled(c.weekdays, [this](std::size_t i, bool on) {
        m_fields.setWeekday(i, on);
        showNextDates();
    });
    if (c.every) connect(c.every, &QLineEdit::editingFinished, this, &TaskControlsBinder::everyEntered);
    connect(c.date, &widgets::DateEdit::accepted, this, [this](StdDate d) {
        m_fields.acceptNextDate(d);
        refresh();
    });
    connect(c.warnDate, &widgets::DateEdit::accepted, this, [this](StdDate d) {
        m_fields.acceptAdvanceWarnDate(d);
        refresh();
    });
    connect(c.time, &widgets::TimeEdit::accepted, this, [this](StdTime t) {
        m_fields.setTime(t);
        showNextDates();
    });
    connect(c.warnTime, &widgets::TimeEdit::accepted, this, [this](StdTime t) { m_fields.setAdvanceWarnTime(t); });
    connect(c.dateCalendar, &QPushButton::clicked, this, [this] { openCalendar(true); });
    connect(c.warnCalendar, &QPushButton::clicked, this, [this] { openCalendar(false); });
    connect(c.skip, &QCheckBox::toggled, this, [this](bool on) {
        if (!m_refreshing) m_fields.setSkipNextTime(on);
    });
}

void TaskControlsBinder::connectAdvanced() {
    AdvancedControls& c = *m_controls.advanced;
    connect(c.alarm, &QCheckBox::toggled, this, [this](bool on) {
        if (m_refreshing) return;
        m_fields.acceptAlarm(on);
        applyVisibility();
    });
    bindText(c.wavFile, TaskText::alarmFile);
    connect(c.wavBrowse, &QPushButton::clicked, this, [this] {
        m_fields.browseAlarmFile();
        refresh();
    });
    connect(c.play, &QPushButton::clicked, this, [this] {
        const TaskFocus where = m_fields.play();
        refresh();
        focus(where);
    });
    connect(c.warn, &QCheckBox::toggled, this, [this](bool on) {
        if (!m_refreshing) m_fields.setWarn(on);
    });
    connect(c.userSkip, &QCheckBox::toggled, this, [this](bool on) {
        if (!m_refreshing) m_fields.setUserSkip(on);
    });
    if (c.disabled) {
        connect(c.disabled, &QCheckBox::toggled, this, [this](bool on) {
            if (m_refreshing) return;
            m_fields.setDisabled(on);
            showNextDates();
        });
    }
}

void TaskControlsBinder::showTabsFor(QTabWidget* tabs, int commandTab, int messageTab) {
    onVisibility = [tabs, commandTab, messageTab](const TaskVisibility& v) {
        tabs->setTabVisible(commandTab, v.commandTab);
        tabs->setTabVisible(messageTab, v.messageTab);
    };
}

void TaskControlsBinder::refresh() {
    m_refreshing = true;
    const Task& t = m_editor.task();
    if (TaskPageControls* c = m_controls.task) {
        checkOnly(c->taskTypes, kTaskTypes, t.taskType.kind());
        c->category->clear();
        for (const std::string& name : m_editor.categories()) c->category->addItem(q(name));
        c->category->setCurrentIndex(m_editor.categoryIndex());
        c->description->setText(q(t.description.text()));
    }
    if (CommandControls* c = m_controls.command) {
        c->command->setText(q(t.command.text()));
        c->path->setText(q(t.path.text()));
    }
    if (MessageControls* c = m_controls.message) {
        if (c->message->toPlainText().toStdString() != t.message.text()) c->message->setPlainText(q(t.message.text()));
    }
    if (WhenControls* c = m_controls.when) {
        checkOnly(c->scheduleTypes, kScheduleTypes, t.scheduleType.kind());
        checkOnly(c->everyTypes, kRepetitionUnits, t.everyType.kind());
        for (std::size_t i = 0; i < c->ordinals.size(); ++i)
            if (c->ordinals[i]) c->ordinals[i]->setChecked(t.*kOrdinalFlags[i] != 0);
        for (std::size_t i = 0; i < c->weekdays.size(); ++i)
            if (c->weekdays[i]) c->weekdays[i]->setChecked(t.*kWeekdayFlags[i] != 0);
        if (c->every) c->every->setText(q(formatNumber(t.every, 0)));
        c->date->setDate(t.date);
        c->time->setTime(t.time);
        if (c->lastRunDate) {
            c->lastRunDate->setText(q(formatDate3(t.lastRunDate)));
            c->lastRunTime->setText(q(formatTime3(t.lastRunTime)));
        }
        c->skip->setChecked(t.skipNextTime != 0);
        c->warnDate->setDate(t.advanceWarnDate);
        c->warnTime->setTime(t.advanceWarnTime);
    }
    if (AdvancedControls* c = m_controls.advanced) {
        c->alarm->setChecked(t.alarm != 0);
        c->wavFile->setText(q(t.alarmFile.text()));
        c->warn->setChecked(t.warn != 0);
        c->userSkip->setChecked(t.userSkip != 0);
        if (c->disabled) c->disabled->setChecked(t.disabled != 0);
    }
    m_refreshing = false;
    applyVisibility();
    showNextDates();
}

void TaskControlsBinder::showNextDates() {
    if (!m_controls.when || !m_controls.when->nextDates) return;
    const NextDatesShown shown = nextDatesShown(m_editor.task());
    std::string text = shown.heading;
    for (const std::string& line : shown.lines) text += "\n" + line;
    m_controls.when->nextDates->setText(q(text));
    m_controls.when->nextDates->setToolTip(q(text));  // whole, where the window shows only part
}

void TaskControlsBinder::applyVisibility() {
    TaskVisibility v = m_editor.visibility();
    if (m_searchMode) v = TaskVisibility{true, true, true, true, true, true, true, true};
    if (WhenControls* c = m_controls.when) {
        showIf(c->timePrompt, v.time);
        showIf(c->time, v.time);
        for (QCheckBox* box : c->ordinals) showIf(box, v.ordinals);
        for (QCheckBox* box : c->weekdays) showIf(box, v.weekdays);
        showIf(c->everyPrompt, v.every);
        showIf(c->every, v.every);
        showIf(c->everyTypeGroup, v.everyType);
    }
    if (AdvancedControls* c = m_controls.advanced) {
        for (QWidget* w : std::initializer_list<QWidget*>{c->wavPrompt, c->wavFile, c->wavBrowse, c->play})
            enableIf(w, v.alarmControls);
    }
    if (onVisibility) onVisibility(v);
}

void TaskControlsBinder::setSearchMode(bool on) {
    m_searchMode = on;
    if (m_controls.when) m_controls.when->setSearchMode(on);
    if (m_controls.advanced) m_controls.advanced->setSearchMode(on);
    applyVisibility();
}

void TaskControlsBinder::everyEntered() {
    QLineEdit* entry = m_controls.when->every;
    const bool taken = m_fields.acceptEveryText(entry->text().toStdString());
    entry->setText(q(formatNumber(m_editor.task().every, 0)));
    showNextDates();
    if (taken) return;
    entry->selectAll();
    widgets::refuseEntry(*entry);
}

void TaskControlsBinder::openCalendar(bool nextDate) {
    const Task& t = m_editor.task();
    CalendarOptions options;
    options.title = "Select Date";
    if (nextDate) {
        options.date = t.date;
        options.dayFits = scheduleDayCheck(t);
        m_fields.setDateFromCalendar(m_calendar(std::move(options)));
    } else {
        options.date = t.advanceWarnDate;
        options.checkMode = "None";
        m_fields.setAdvanceWarnDateFromCalendar(m_calendar(std::move(options)));
    }
    refresh();
}

bool TaskControlsBinder::settle(std::optional<TaskFocus> stay) {
    refresh();
    if (!stay) return true;
    if (*stay == TaskFocus::EveryEntry) QApplication::beep();
    focus(*stay);
    return false;
}

void TaskControlsBinder::focus(TaskFocus where) {
    if (onFocus) onFocus(where);
}

}  // namespace tarvelo
