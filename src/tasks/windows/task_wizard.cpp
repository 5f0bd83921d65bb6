#include "tasks/windows/task_wizard.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "core/picture.h"
#include "tasks/recurrence.h"
#include "tasks/windows/calendar_dialog.h"
#include "tasks/windows/task_widgets.h"
#include "ui/qt/child_window.h"
#include "ui/qt/date_edit.h"
#include "ui/qt/time_edit.h"
#include "ui/qt/window_placement.h"


namespace tarvelo {

using namespace task_widgets;


TaskWizardWindow* TaskWizardWindow::open(WizardKind kind, const TaskFormServices& services, QWidget* parent,
                                         const Schedule& source) {
    auto session = std::make_unique<TaskWizardSession>(services.files, kind, taskEditorPorts(services), source);
    if (!session->start()) return nullptr;
    auto* window = new TaskWizardWindow(std::move(session), services, parent);
    ui::showStartedWindow(window, parent);
    return window;
}

TaskWizardWindow::TaskWizardWindow(std::unique_ptr<TaskWizardSession> session, const TaskFormServices& services,
                                   QWidget* parent)
    : QDialog(parent), m_session(std::move(session)), m_calendar(services.calendar) {
    if (!m_calendar) {
        ui::ClockPort* clock = &services.clock;
        ui::MessageBoxPort* messages = &services.messages;
        m_calendar = [this, clock, messages](CalendarOptions options) {
            return CalendarDialog::pick(std::move(options), *clock, *messages, this);
        };
    }
    setFont(ui::windowFont());
    setModal(false);
    setObjectName(q(std::string(wizardName(m_session->kind()))));
    setWindowTitle(q(std::string(wizardCaption(m_session->kind()))));

    auto* layout = new QVBoxLayout(this);
    m_pages = new QStackedWidget(this);
    for (WizardPage page : m_session->navigation().pages()) m_pages->addWidget(buildPage(page));
    layout->addWidget(m_pages);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    m_back = button("&Back", this);
    m_next = new QPushButton(QStringLiteral("&Next"), this);
    m_finish = new QPushButton(QStringLiteral("&Finish"), this);
    m_cancel = button("Cancel", this);
    buttons->addWidget(m_back);
    buttons->addWidget(m_next);
    buttons->addWidget(m_finish);  // in the place of "&Next": only one of the two is ever shown
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);

    connectFields();
    // The special event keeps its caption; the add wizards say what they do, as the task form does.
    if (m_session->kind() == WizardKind::specialEvent) setWindowTitle(QStringLiteral("Reschedule Event Wizard"));
    else setWindowTitle(q(m_session->editor().caption()));
    refresh();
    showPage();
}

TaskWizardWindow::~TaskWizardWindow() {
    if (!m_ended) m_session->end();
}

void TaskWizardWindow::connectFields() {
    Schedule& t = m_session->task();
    TaskFields& fields = m_session->editor().fields();

    for (std::size_t i = 0; i < m_taskTypes.size(); ++i) {
        if (!m_taskTypes[i]) continue;
        connect(m_taskTypes[i], &QRadioButton::toggled, this, [this, &fields, i](bool on) {
            if (!on || m_refreshing) return;
            fields.acceptTaskType(kTaskTypes[i]);
            refresh();
        });
    }
    for (std::size_t i = 0; i < m_scheduleTypes.size(); ++i) {
        if (!m_scheduleTypes[i]) continue;
        connect(m_scheduleTypes[i], &QRadioButton::toggled, this, [this, &fields, i](bool on) {
            if (!on || m_refreshing) return;
            fields.acceptScheduleType(kScheduleTypes[i]);
            refresh();
        });
    }
    for (std::size_t i = 0; i < m_everyTypes.size(); ++i) {
        if (!m_everyTypes[i]) continue;
        connect(m_everyTypes[i], &QRadioButton::toggled, this, [this, &t, i](bool on) {
            if (on && !m_refreshing) t.everyType = kEveryTypes[i];
        });
    }
    for (std::size_t i = 0; i < m_ordinals.size(); ++i) {
        if (m_ordinals[i])
            connect(m_ordinals[i], &QCheckBox::toggled, this, [&t, i](bool on) { t.*kOrdinalFlags[i] = on ? 1 : 0; });
    }
    for (std::size_t i = 0; i < m_weekdays.size(); ++i) {
        if (m_weekdays[i])
            connect(m_weekdays[i], &QCheckBox::toggled, this, [&t, i](bool on) { t.*kWeekdayFlags[i] = on ? 1 : 0; });
    }
    connect(m_category, &QComboBox::activated, this,
            [this](int index) { m_session->editor().selectCategory(index); });
    bindText(m_description, t.description, this);
    if (m_command) {
        bindText(m_command, t.command, this);
        bindText(m_path, t.path, this);
        connect(m_commandBrowse, &QPushButton::clicked, this, [this, &fields] {
            const TaskFocus focus = fields.browseCommand();
            refresh();
            moveFocus(focus);
        });
    }
    if (m_message) {
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
    }
    if (m_every) connect(m_every, &QLineEdit::editingFinished, this, &TaskWizardWindow::everyEntered);
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
    connect(m_skip, &QCheckBox::toggled, this, [&t](bool on) { t.skipNextTime = on ? 1 : 0; });

    if (m_alarm) {
        connect(m_alarm, &QCheckBox::toggled, this, [this, &fields](bool on) {
            if (m_refreshing) return;
            fields.acceptAlarm(on);
            applyVisibility();
        });
        bindText(m_wavFile, t.alarmFile, this);
        connect(m_wavBrowse, &QPushButton::clicked, this, [this, &fields] {
            fields.browseAlarmFile();
            refresh();
        });
        connect(m_play, &QPushButton::clicked, this, [this, &fields] {
            const TaskFocus focus = fields.play();
            refresh();
            moveFocus(focus);
        });
        connect(m_warn, &QCheckBox::toggled, this, [&t](bool on) { t.warn = on ? 1 : 0; });
        connect(m_userSkip, &QCheckBox::toggled, this, [&t](bool on) { t.userSkip = on ? 1 : 0; });
    }
    if (m_disabled) connect(m_disabled, &QCheckBox::toggled, this, [&t](bool on) { t.disabled = on ? 1 : 0; });

    connect(m_next, &QPushButton::clicked, this, &TaskWizardWindow::pressNext);
    connect(m_back, &QPushButton::clicked, this, &TaskWizardWindow::pressBack);
    connect(m_finish, &QPushButton::clicked, this, &TaskWizardWindow::pressFinish);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TaskWizardWindow::refresh() {
    m_refreshing = true;
    const TaskEditor& editor = m_session->editor();
    const Schedule& t = editor.task();
    checkOnly(m_taskTypes, kTaskTypes, t.taskType.text());
    checkOnly(m_scheduleTypes, kScheduleTypes, t.scheduleType.text());
    checkOnly(m_everyTypes, kEveryTypes, t.everyType.text());
    for (std::size_t i = 0; i < m_ordinals.size(); ++i)
        if (m_ordinals[i]) m_ordinals[i]->setChecked(t.*kOrdinalFlags[i] != 0);
    for (std::size_t i = 0; i < m_weekdays.size(); ++i)
        if (m_weekdays[i]) m_weekdays[i]->setChecked(t.*kWeekdayFlags[i] != 0);

    m_category->clear();
    for (const std::string& name : editor.categories()) m_category->addItem(q(name));
    m_category->setCurrentIndex(editor.categoryIndex());
    m_description->setText(q(t.description.text()));
    if (m_command) {
        m_command->setText(q(t.command.text()));
        m_path->setText(q(t.path.text()));
    }
    if (m_message && m_message->toPlainText().toStdString() != t.message.text())
        m_message->setPlainText(q(t.message.text()));
    if (m_every) m_every->setText(q(formatNumber(t.every, 0)));
    m_date->setDate(t.date);
    m_time->setTime(t.time);
    m_skip->setChecked(t.skipNextTime != 0);
    m_warnDate->setDate(t.advanceWarnDate);
    m_warnTime->setTime(t.advanceWarnTime);
    if (m_alarm) {
        m_alarm->setChecked(t.alarm != 0);
        m_wavFile->setText(q(t.alarmFile.text()));
        m_warn->setChecked(t.warn != 0);
        m_userSkip->setChecked(t.userSkip != 0);
    }
    if (m_disabled) m_disabled->setChecked(t.disabled != 0);
    m_refreshing = false;
    applyVisibility();
}

void TaskWizardWindow::applyVisibility() {
    const TaskVisibility v = m_session->editor().visibility();
    const bool special = m_session->kind() == WizardKind::specialEvent;
    // The special event always has a time of its own.
    showIf(m_timePrompt, special || v.time);
    showIf(m_time, special || v.time);
    for (QWidget* w : m_commandControls) showIf(w, v.commandTab);
    showIf(m_message, v.messageTab);
    for (QCheckBox* box : m_ordinals) showIf(box, v.ordinals);
    for (QCheckBox* box : m_weekdays) showIf(box, v.weekdays);
    showIf(m_everyPrompt, v.every);
    showIf(m_every, v.every);
    showIf(m_everyTypeGroup, v.everyType);
    for (QWidget* w : std::initializer_list<QWidget*>{m_wavPrompt, m_wavFile, m_wavBrowse, m_play})
        if (w) w->setEnabled(v.alarmControls);
}

void TaskWizardWindow::showPage() {
    const WizardNavigation& nav = m_session->navigation();
    m_pages->setCurrentIndex(nav.page() - 1);
    const WizardButtons b = nav.buttons();
    m_back->setVisible(b.back);
    m_next->setVisible(b.next);
    m_finish->setVisible(b.finish);
    m_next->setDefault(!b.finish);
    m_finish->setDefault(b.finish);
    m_next->setAutoDefault(!b.finish);
    m_finish->setAutoDefault(b.finish);
}

void TaskWizardWindow::pressNext() {
    if (m_session->navigation().next(m_session->task().taskType.text())) showPage();
    focusFirstField(*m_pages->currentWidget());
}

void TaskWizardWindow::pressBack() {
    if (m_session->navigation().back(m_session->task().taskType.text())) showPage();
    focusFirstField(*m_pages->currentWidget());
}

void TaskWizardWindow::pressFinish() {
    const std::optional<TaskFocus> stay = m_session->finishPressed();
    refresh();
    if (!stay) {
        accept();
        return;
    }
    if (*stay == TaskFocus::EveryEntry) QApplication::beep();
    moveFocus(*stay);
}

void TaskWizardWindow::everyEntered() {
    const std::optional<std::int64_t> typed = parseNumber(m_every->text().toStdString(), 6);
    if (!typed || !m_session->editor().fields().acceptEvery(static_cast<std::int32_t>(*typed))) {
        m_every->setText(q(formatNumber(m_session->task().every, 0)));
        m_every->selectAll();
        ui::refuseEntry(*m_every);
        return;
    }
    m_every->setText(q(formatNumber(m_session->task().every, 0)));
}

void TaskWizardWindow::openCalendar(bool nextDate) {
    const Schedule& t = m_session->task();
    TaskFields& fields = m_session->editor().fields();
    CalendarOptions options;
    options.title = "Select Date";
    if (nextDate) {
        options.date = t.date;
        options.dayFits = scheduleDayCheck(t);
        fields.setDateFromCalendar(m_calendar(std::move(options)));
    } else {
        options.date = t.advanceWarnDate;
        options.checkMode = "None";
        fields.setAdvanceWarnDateFromCalendar(m_calendar(std::move(options)));
    }
    refresh();
}

void TaskWizardWindow::moveFocus(TaskFocus focus) {
    switch (focus) {
    case TaskFocus::Stay: break;
    // The focus stays on the page the start-in folder is on: the page changes only through the buttons.
    case TaskFocus::AfterStartIn: (m_next->isVisible() ? m_next : m_finish)->setFocus(); break;
    case TaskFocus::WavBrowse:
        if (m_wavBrowse) m_wavBrowse->setFocus();
        break;
    case TaskFocus::EveryEntry:
        if (m_every && m_every->isVisibleTo(this) && m_every->isVisible()) {
            m_every->setFocus();
            m_every->selectAll();
        }
        break;
    case TaskFocus::FirstField: m_finish->setFocus(); break;
    }
}

void TaskWizardWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_positioned) return;
    m_positioned = true;
    ui::restoreWindowPosition(ui::positionedWidget(*this), wizardName(m_session->kind()));
    focusFirstField(*m_pages->currentWidget());
}

void TaskWizardWindow::done(int r) {
    if (m_ended) {
        QDialog::done(r);
        return;
    }
    // Closing in any way but a successful "&Finish" (Cancel, the close box, Escape) ends it cancelled.
    if (m_session->editor().response() != Response::completed) m_session->cancel();
    if (isVisible()) ui::saveWindowPosition(ui::positionedWidget(*this), wizardName(m_session->kind()));
    m_ended = true;
    const Response response = m_session->end();
    emit ended(response);
    QDialog::done(r);
}

}  // namespace tarvelo
