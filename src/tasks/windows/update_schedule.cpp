#include "tasks/windows/update_schedule.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/picture.h"
#include "tasks/windows/calendar_dialog.h"
#include "tasks/windows/task_widgets.h"
#include "ui/qt/date_edit.h"
#include "ui/qt/time_edit.h"
#include "ui/qt/window_placement.h"

namespace tarvelo {
using namespace task_widgets;
namespace {

constexpr const char* kSection = "UpdateSchedule";

// The picture of the Task tab: a sheet of tasks beside a clock face.
QPixmap taskPicture() {
    QPixmap pixmap(72, 72);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 90), 2));
    p.setBrush(QColor(250, 248, 235));
    p.drawRoundedRect(QRectF(6, 4, 40, 54), 4, 4);
    p.setPen(QPen(QColor(40, 130, 60), 2.5));
    for (int row = 0; row < 3; ++row) {
        const qreal y = 16 + row * 14;
        QPainterPath tick;
        tick.moveTo(12, y);
        tick.lineTo(16, y + 4);
        tick.lineTo(22, y - 4);
        p.drawPath(tick);
        p.setPen(QPen(QColor(110, 110, 130), 2));
        p.drawLine(QPointF(26, y), QPointF(40, y));
        p.setPen(QPen(QColor(40, 130, 60), 2.5));
    }
    p.setPen(QPen(QColor(60, 60, 90), 2));
    p.setBrush(QColor(255, 255, 255));
    p.drawEllipse(QPointF(50, 50), 17, 17);
    p.setPen(QPen(QColor(170, 40, 40), 2.5));
    p.drawLine(QPointF(50, 50), QPointF(50, 39));
    p.drawLine(QPointF(50, 50), QPointF(58, 54));
    return pixmap;
}

}  // namespace

TaskEditorPorts taskEditorPorts(const TaskFormServices& s) {
    return TaskEditorPorts{s.messages, s.fileDialog, s.sound, s.clock, s.warningDefaults, s.playable};
}

Response updateSchedule(Request request, const Schedule& task, const TaskFormServices& services,
                        std::string_view selectedDayText, QWidget* parent) {
    TaskEditor editor(services.files, request, task, taskEditorPorts(services));
    if (editor.start(selectedDayText)) {
        UpdateScheduleForm form(editor, services, parent);
        form.exec();
    }
    return editor.finish();
}

UpdateScheduleForm::UpdateScheduleForm(TaskEditor& editor, const TaskFormServices& services, QWidget* parent)
    : QDialog(parent), m_editor(editor), m_calendar(services.calendar) {
    if (!m_calendar) {
        ui::ClockPort* clock = &services.clock;
        ui::MessageBoxPort* messages = &services.messages;
        m_calendar = [this, clock, messages](CalendarOptions options) {
            return CalendarDialog::pick(std::move(options), *clock, *messages, this);
        };
    }
    setFont(ui::windowFont());
    setObjectName(QString::fromLatin1(kSection));
    setWindowTitle(QStringLiteral("Update the Schedule"));

    auto* layout = new QVBoxLayout(this);
    m_tabs = new QTabWidget(this);
    m_tabs->addTab(buildTaskTab(), QStringLiteral("&Task"));
    m_tabs->addTab(buildCommandTab(), QStringLiteral("&Command"));
    m_tabs->addTab(buildMessageTab(), QStringLiteral("&Message"));
    m_tabs->addTab(buildWhenTab(), QStringLiteral("&When"));
    m_tabs->addTab(buildAdvancedTab(), QStringLiteral("&Advanced"));
    layout->addWidget(m_tabs);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    m_ok = new QPushButton(QStringLiteral("&OK"), this);
    m_ok->setDefault(true);
    m_cancel = button("Cancel", this);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);

    connectFields();
    setWindowTitle(q(m_editor.caption()));
    refresh();
}

UpdateScheduleForm::~UpdateScheduleForm() = default;

QWidget* UpdateScheduleForm::buildTaskTab() {
    auto* page = new QWidget;
    auto* layout = new QGridLayout(page);
    auto* picture = new QLabel(page);
    picture->setPixmap(taskPicture());
    layout->addWidget(picture, 0, 0, Qt::AlignTop);

    auto* typeGroup = new QGroupBox(QStringLiteral("Task Type"), page);
    typeGroup->setToolTip(QStringLiteral("Type of Task to Perform"));
    auto* types = new QVBoxLayout(typeGroup);
    for (std::size_t i = 0; i < kTaskTypes.size(); ++i) {
        m_taskTypes[i] = new QRadioButton(QString::fromLatin1(kTaskTypes[i]), typeGroup);
        types->addWidget(m_taskTypes[i]);
    }
    layout->addWidget(typeGroup, 0, 1);

    auto* form = new QFormLayout;
    m_category = new QComboBox(page);
    m_category->setMinimumContentsLength(20);
    form->addRow(prompt("&Category:", m_category, page), m_category);
    m_description = textEntry(40, "Description or Title of Task", page);
    form->addRow(prompt("&Description:", m_description, page), m_description);
    layout->addLayout(form, 1, 0, 1, 2);
    layout->setRowStretch(2, 1);
    return page;
}

QWidget* UpdateScheduleForm::buildCommandTab() {
    auto* page = new QWidget;
    auto* layout = new QGridLayout(page);
    m_command = textEntry(80, "Program to execute", page);
    m_commandBrowse = button("&Browse", page);
    m_path = textEntry(80, "Driectory (Folder) to start the command in", page);
    layout->addWidget(prompt("Comma&nd:", m_command, page), 0, 0);
    layout->addWidget(m_command, 0, 1);
    layout->addWidget(m_commandBrowse, 0, 2);
    layout->addWidget(prompt("Start &in:", m_path, page), 1, 0);
    layout->addWidget(m_path, 1, 1, 1, 2);
    layout->setColumnMinimumWidth(1, 320);
    layout->setRowStretch(2, 1);
    return page;
}

QWidget* UpdateScheduleForm::buildMessageTab() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    m_message = new QPlainTextEdit(page);
    m_message->setToolTip(QStringLiteral("Message to display"));
    layout->addWidget(prompt("Message to display:", m_message, page));
    layout->addWidget(m_message);
    return page;
}

QWidget* UpdateScheduleForm::buildWhenTab() {
    auto* page = new QWidget;
    auto* layout = new QGridLayout(page);

    auto* typeGroup = new QGroupBox(QStringLiteral("Schedule &Type"), page);
    typeGroup->setToolTip(QStringLiteral("Type of scheduling"));
    auto* types = new QVBoxLayout(typeGroup);
    for (std::size_t i = 0; i < kScheduleTypes.size(); ++i) {
        m_scheduleTypes[i] = new QRadioButton(QString::fromLatin1(kScheduleTypes[i]), typeGroup);
        types->addWidget(m_scheduleTypes[i]);
    }
    types->addStretch();
    layout->addWidget(typeGroup, 0, 0);

    auto* everyGroup = new QGroupBox(QStringLiteral("&Every..."), page);
    auto* every = new QGridLayout(everyGroup);
    for (std::size_t i = 0; i < kOrdinals.size(); ++i) {
        m_ordinals[i] = checkBox(kOrdinals[i], nullptr, everyGroup);
        every->addWidget(m_ordinals[i], 0, static_cast<int>(i));
    }
    for (std::size_t i = 0; i < kWeekdays.size(); ++i) {
        m_weekdays[i] = checkBox(kWeekdays[i], nullptr, everyGroup);
        every->addWidget(m_weekdays[i], 1 + static_cast<int>(i) / 4, static_cast<int>(i) % 4);
    }
    m_every = textEntry(6, "Repeat Task Every...", everyGroup);
    m_every->setFixedWidth(64);
    m_every->setAlignment(Qt::AlignRight);
    m_everyPrompt = prompt("Every:", m_every, everyGroup);
    every->addWidget(m_everyPrompt, 3, 0);
    every->addWidget(m_every, 3, 1);
    m_everyTypeGroup = new QGroupBox(QStringLiteral("Every Type"), everyGroup);
    auto* units = new QGridLayout(m_everyTypeGroup);
    for (std::size_t i = 0; i < kEveryTypes.size(); ++i) {
        m_everyTypes[i] = new QRadioButton(QString::fromLatin1(kEveryTypes[i]), m_everyTypeGroup);
        units->addWidget(m_everyTypes[i], static_cast<int>(i) / 3, static_cast<int>(i) % 3);
    }
    every->addWidget(m_everyTypeGroup, 4, 0, 1, 5);
    every->setRowStretch(5, 1);
    layout->addWidget(everyGroup, 0, 1);

    auto* dates = new QGridLayout;
    m_date = new ui::DateEdit(page);
    m_date->setToolTip(QStringLiteral("Next Date to Perform Task"));
    m_dateCalendar = button("...", page);
    m_dateCalendar->setFixedWidth(28);
    m_time = new ui::TimeEdit(page);
    m_time->setToolTip(QStringLiteral("Next Time to Perform Task"));
    m_timePrompt = prompt("&Time:", m_time, page);
    dates->addWidget(prompt("&Next Date to Perform Task:", m_date, page), 0, 0);
    dates->addWidget(m_date, 0, 1);
    dates->addWidget(m_dateCalendar, 0, 2);
    dates->addWidget(m_timePrompt, 0, 3);
    dates->addWidget(m_time, 0, 4);

    m_lastRunDate = new QLineEdit(page);
    m_lastRunDate->setReadOnly(true);
    m_lastRunDate->setToolTip(QStringLiteral("Task last performed on this date"));
    m_lastRunTime = new QLineEdit(page);
    m_lastRunTime->setReadOnly(true);
    m_lastRunTime->setToolTip(QStringLiteral("Task last performed at this time"));
    dates->addWidget(prompt("Date Last Performed:", m_lastRunDate, page), 1, 0);
    dates->addWidget(m_lastRunDate, 1, 1);
    dates->addWidget(prompt("Time:", m_lastRunTime, page), 1, 3);
    dates->addWidget(m_lastRunTime, 1, 4);

    m_skipNextTime = checkBox("&Skip Next Time", "Skip next occurance of this task", page);
    dates->addWidget(m_skipNextTime, 2, 1, 1, 2);

    m_warnDate = new ui::DateEdit(page);
    m_warnDate->setToolTip(QStringLiteral("Date of Advanced Warning"));
    m_warnCalendar = button("...", page);
    m_warnCalendar->setFixedWidth(28);
    m_warnTime = new ui::TimeEdit(page);
    m_warnTime->setToolTip(QStringLiteral("Advanced Warning Time"));
    dates->addWidget(prompt("&Advance Warning Date:", m_warnDate, page), 3, 0);
    dates->addWidget(m_warnDate, 3, 1);
    dates->addWidget(m_warnCalendar, 3, 2);
    dates->addWidget(prompt("Time:", m_warnTime, page), 3, 3);
    dates->addWidget(m_warnTime, 3, 4);
    dates->setColumnStretch(5, 1);
    layout->addLayout(dates, 1, 0, 1, 2);
    return page;
}

QWidget* UpdateScheduleForm::buildAdvancedTab() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* alarmGroup = new QGroupBox(QStringLiteral("Alarm"), page);
    auto* alarm = new QGridLayout(alarmGroup);
    m_alarm = checkBox("Alarm", "Play a WAV file as an alarm", alarmGroup);
    m_wavFile = textEntry(80, "WAV file to play as an alarm", alarmGroup);
    m_wavPrompt = prompt("WAV File to Play:", m_wavFile, alarmGroup);
    m_wavBrowse = button("&Browse", alarmGroup);
    m_play = button("&Play", alarmGroup);
    alarm->addWidget(m_alarm, 0, 0, 1, 2);
    alarm->addWidget(m_wavPrompt, 1, 0);
    alarm->addWidget(m_wavFile, 1, 1);
    alarm->addWidget(m_wavBrowse, 1, 2);
    alarm->addWidget(m_play, 1, 3);
    alarm->setColumnMinimumWidth(1, 280);
    layout->addWidget(alarmGroup);
    m_warn = checkBox("&Warn if not run on specified date", "Warn if not run on specified date", page);
    m_userSkip = checkBox("&Before performing task, give option to skip", "Give option to skip before performing",
                          page);
    m_disabled = checkBox("&Disable", "Do not perform this task", page);
    layout->addWidget(m_warn);
    layout->addWidget(m_userSkip);
    layout->addWidget(m_disabled);
    layout->addStretch();
    return page;
}

void UpdateScheduleForm::connectFields() {
    Schedule& t = m_editor.task();
    TaskFields& fields = m_editor.fields();

    for (std::size_t i = 0; i < m_taskTypes.size(); ++i) {
        connect(m_taskTypes[i], &QRadioButton::toggled, this, [this, &fields, i](bool on) {
            if (!on || m_refreshing) return;
            fields.acceptTaskType(kTaskTypes[i]);
            refresh();
        });
    }
    for (std::size_t i = 0; i < m_scheduleTypes.size(); ++i) {
        connect(m_scheduleTypes[i], &QRadioButton::toggled, this, [this, &fields, i](bool on) {
            if (!on || m_refreshing) return;
            fields.acceptScheduleType(kScheduleTypes[i]);
            refresh();
        });
    }
    for (std::size_t i = 0; i < m_everyTypes.size(); ++i) {
        connect(m_everyTypes[i], &QRadioButton::toggled, this, [this, &t, i](bool on) {
            if (on && !m_refreshing) t.everyType = kEveryTypes[i];
        });
    }
    for (std::size_t i = 0; i < m_ordinals.size(); ++i) {
        connect(m_ordinals[i], &QCheckBox::toggled, this, [&t, i](bool on) { t.*kOrdinalFlags[i] = on ? 1 : 0; });
    }
    for (std::size_t i = 0; i < m_weekdays.size(); ++i) {
        connect(m_weekdays[i], &QCheckBox::toggled, this, [&t, i](bool on) { t.*kWeekdayFlags[i] = on ? 1 : 0; });
    }
    connect(m_category, &QComboBox::activated, this, [this](int index) { m_editor.selectCategory(index); });

    bindText(m_description, t.description, this);
    bindText(m_command, t.command, this);
    bindText(m_path, t.path, this);
    bindText(m_wavFile, t.alarmFile, this);
    connect(m_message, &QPlainTextEdit::textChanged, this, [this, &t] {
        if (m_refreshing) return;
        const std::string typed = m_message->toPlainText().toStdString();
        t.message = typed;
        if (t.message.text() != std::string(trimRight(typed))) {
            QApplication::beep();
            QSignalBlocker block(m_message);
            m_message->setPlainText(q(t.message.text()));
            m_message->moveCursor(QTextCursor::End);
        }
    });

    connect(m_every, &QLineEdit::editingFinished, this, &UpdateScheduleForm::everyEntered);
    connect(m_date, &ui::DateEdit::accepted, this, [this, &fields](StdDate d) {
        fields.acceptNextDate(d);
        refresh();
    });
    connect(m_warnDate, &ui::DateEdit::accepted, this, [this, &fields](StdDate d) {
        fields.acceptAdvanceWarnDate(d);
        refresh();
    });
    connect(m_time, &ui::TimeEdit::accepted, this, [&t](StdTime time) { t.time = time; });
    connect(m_warnTime, &ui::TimeEdit::accepted, this, [&t](StdTime time) { t.advanceWarnTime = time; });
    connect(m_dateCalendar, &QPushButton::clicked, this, [this] { openCalendar(true); });
    connect(m_warnCalendar, &QPushButton::clicked, this, [this] { openCalendar(false); });

    connect(m_skipNextTime, &QCheckBox::toggled, this, [&t](bool on) { t.skipNextTime = on ? 1 : 0; });
    connect(m_alarm, &QCheckBox::toggled, this, [this, &fields](bool on) {
        if (m_refreshing) return;
        fields.acceptAlarm(on);
        applyVisibility();
    });
    connect(m_warn, &QCheckBox::toggled, this, [&t](bool on) { t.warn = on ? 1 : 0; });
    connect(m_userSkip, &QCheckBox::toggled, this, [&t](bool on) { t.userSkip = on ? 1 : 0; });
    connect(m_disabled, &QCheckBox::toggled, this, [&t](bool on) { t.disabled = on ? 1 : 0; });

    connect(m_commandBrowse, &QPushButton::clicked, this, [this, &fields] {
        const TaskFocus focus = fields.browseCommand();
        refresh();
        moveFocus(focus);
    });
    connect(m_wavBrowse, &QPushButton::clicked, this, [this, &fields] {
        fields.browseAlarmFile();
        refresh();
    });
    connect(m_play, &QPushButton::clicked, this, [this, &fields] {
        const TaskFocus focus = fields.play();
        refresh();
        moveFocus(focus);
    });
    connect(m_ok, &QPushButton::clicked, this, &UpdateScheduleForm::pressOk);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void UpdateScheduleForm::refresh() {
    m_refreshing = true;
    const Schedule& t = m_editor.task();
    checkOnly(m_taskTypes, kTaskTypes, t.taskType.text());
    checkOnly(m_scheduleTypes, kScheduleTypes, t.scheduleType.text());
    checkOnly(m_everyTypes, kEveryTypes, t.everyType.text());
    for (std::size_t i = 0; i < m_ordinals.size(); ++i) m_ordinals[i]->setChecked(t.*kOrdinalFlags[i] != 0);
    for (std::size_t i = 0; i < m_weekdays.size(); ++i) m_weekdays[i]->setChecked(t.*kWeekdayFlags[i] != 0);

    m_category->clear();
    for (const std::string& name : m_editor.categories()) m_category->addItem(q(name));
    m_category->setCurrentIndex(m_editor.categoryIndex());

    m_description->setText(q(t.description.text()));
    m_command->setText(q(t.command.text()));
    m_path->setText(q(t.path.text()));
    if (m_message->toPlainText().toStdString() != t.message.text()) m_message->setPlainText(q(t.message.text()));
    m_every->setText(q(formatNumber(t.every, 0)));
    m_date->setDate(t.date);
    m_time->setTime(t.time);
    m_lastRunDate->setText(q(formatDate3(t.lastRunDate)));
    m_lastRunTime->setText(q(formatTime3(t.lastRunTime)));
    m_skipNextTime->setChecked(t.skipNextTime != 0);
    m_warnDate->setDate(t.advanceWarnDate);
    m_warnTime->setTime(t.advanceWarnTime);
    m_alarm->setChecked(t.alarm != 0);
    m_wavFile->setText(q(t.alarmFile.text()));
    m_warn->setChecked(t.warn != 0);
    m_userSkip->setChecked(t.userSkip != 0);
    m_disabled->setChecked(t.disabled != 0);
    m_refreshing = false;
    applyVisibility();
}

void UpdateScheduleForm::applyVisibility() {
    const TaskVisibility v = m_editor.visibility();
    m_timePrompt->setVisible(v.time);
    m_time->setVisible(v.time);
    m_tabs->setTabVisible(kCommandTab, v.commandTab);
    m_tabs->setTabVisible(kMessageTab, v.messageTab);
    for (QCheckBox* box : m_ordinals) box->setVisible(v.ordinals);
    for (QCheckBox* box : m_weekdays) box->setVisible(v.weekdays);
    m_everyPrompt->setVisible(v.every);
    m_every->setVisible(v.every);
    m_everyTypeGroup->setVisible(v.everyType);
    for (QWidget* w : std::initializer_list<QWidget*>{m_wavPrompt, m_wavFile, m_wavBrowse, m_play})
        w->setEnabled(v.alarmControls);
}

void UpdateScheduleForm::everyEntered() {
    const std::optional<std::int64_t> typed = parseNumber(m_every->text().toStdString(), 6);
    if (!typed || !m_editor.fields().acceptEvery(static_cast<std::int32_t>(*typed))) {
        m_every->setText(q(formatNumber(m_editor.task().every, 0)));
        m_every->selectAll();
        ui::refuseEntry(*m_every);
        return;
    }
    m_every->setText(q(formatNumber(m_editor.task().every, 0)));
}

void UpdateScheduleForm::openCalendar(bool nextDate) {
    const Schedule& t = m_editor.task();
    CalendarOptions options;
    options.title = "Select Date";
    if (nextDate) {
        options.date = t.date;
        options.dayFits = scheduleDayCheck(t);
        m_editor.fields().setDateFromCalendar(m_calendar(std::move(options)));
    } else {
        options.date = t.advanceWarnDate;
        options.checkMode = "None";
        m_editor.fields().setAdvanceWarnDateFromCalendar(m_calendar(std::move(options)));
    }
    refresh();
}

void UpdateScheduleForm::moveFocus(TaskFocus focus) {
    switch (focus) {
    case TaskFocus::Stay: break;
    case TaskFocus::AfterStartIn: m_path->nextInFocusChain()->setFocus(); break;
    case TaskFocus::WavBrowse:
        m_tabs->setCurrentIndex(4);
        m_wavBrowse->setFocus();
        break;
    case TaskFocus::EveryEntry:
        m_tabs->setCurrentIndex(kWhenTab);
        m_every->setFocus();
        m_every->selectAll();
        break;
    case TaskFocus::FirstField:
        m_tabs->setCurrentIndex(0);
        for (QRadioButton* r : m_taskTypes)
            if (r->isChecked()) r->setFocus();
        break;
    }
}

void UpdateScheduleForm::pressOk() {
    const std::optional<TaskFocus> stay = m_editor.ok();
    refresh();
    if (!stay) {
        accept();
        return;
    }
    if (*stay == TaskFocus::EveryEntry) QApplication::beep();
    moveFocus(*stay);
}

void UpdateScheduleForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_positioned) return;
    m_positioned = true;
    ui::restoreWindowPosition(*this, kSection);
    moveFocus(TaskFocus::FirstField);
}

void UpdateScheduleForm::done(int r) {
    // Closing in any way but a completed OK (Cancel, the close box, Escape) ends the session cancelled.
    if (m_editor.response() != Response::completed) m_editor.cancel();
    if (isVisible()) ui::saveWindowPosition(*this, kSection);
    QDialog::done(r);
}

}  // namespace tarvelo
