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
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "core/picture.h"
#include "tasks/recurrence.h"
#include "tasks/windows/calendar_dialog.h"
#include "ui/qt/date_edit.h"
#include "ui/qt/time_edit.h"
#include "ui/qt/window_placement.h"

namespace tarvelo {
namespace {

constexpr std::array<const char*, 4> kTaskTypes = {"Run Program", "Display Message", "Both", "None"};
constexpr std::array<const char*, 6> kScheduleTypes = {"Once", "Day of Week", "Day of Month",
                                                       "Monthly", "Yearly", "Custom"};
constexpr std::array<const char*, 6> kEveryTypes = {"minute(s)", "hour(s)", "day(s)",
                                                    "week(s)", "month(s)", "year(s)"};
constexpr std::array<const char*, 5> kOrdinals = {"1st", "2nd", "3rd", "4th", "Last"};
constexpr std::array<const char*, 7> kWeekdays = {"Sunday", "Monday", "Tuesday", "Wednesday",
                                                  "Thursday", "Friday", "Saturday"};
constexpr std::array<Byte Schedule::*, 5> kOrdinalFlags = {&Schedule::every1st, &Schedule::every2nd,
                                                           &Schedule::every3rd, &Schedule::every4th,
                                                           &Schedule::everyLast};
constexpr std::array<Byte Schedule::*, 7> kWeekdayFlags = {&Schedule::sunday, &Schedule::monday,
                                                           &Schedule::tuesday, &Schedule::wednesday,
                                                           &Schedule::thursday, &Schedule::friday,
                                                           &Schedule::saturday};

QString q(const std::string& text) { return QString::fromStdString(text); }

// The wizards' picture: a wand drawing a star over a sheet of tasks.
QPixmap wizardPicture() {
    QPixmap pixmap(72, 72);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 90), 2));
    p.setBrush(QColor(250, 248, 235));
    p.drawRoundedRect(QRectF(4, 14, 40, 52), 4, 4);
    p.setPen(QPen(QColor(110, 110, 130), 2));
    for (int row = 0; row < 4; ++row) p.drawLine(QPointF(11, 26 + row * 10), QPointF(37, 26 + row * 10));
    p.setPen(QPen(QColor(90, 50, 20), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(34, 60), QPointF(56, 24));
    QPainterPath star;
    const QPointF c(58, 16);
    for (int i = 0; i < 10; ++i) {
        const double r = (i % 2 == 0) ? 12 : 5;
        const double a = -M_PI / 2 + i * M_PI / 5;
        const QPointF pt(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
        if (i == 0) star.moveTo(pt);
        else star.lineTo(pt);
    }
    star.closeSubpath();
    p.setPen(QPen(QColor(170, 120, 0), 1.5));
    p.setBrush(QColor(255, 210, 40));
    p.drawPath(star);
    return pixmap;
}

QLabel* picture(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setPixmap(wizardPicture());
    label->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    return label;
}

QLabel* text(const char* t, QWidget* parent) {
    auto* label = new QLabel(QString::fromUtf8(t), parent);
    label->setWordWrap(true);
    return label;
}

QLabel* prompt(const char* t, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(QString::fromUtf8(t), parent);
    if (buddy) label->setBuddy(buddy);
    return label;
}

QLineEdit* textEntry(int width, const char* tip, QWidget* parent) {
    auto* entry = new QLineEdit(parent);
    entry->setMaxLength(width);
    if (tip) entry->setToolTip(QString::fromUtf8(tip));
    return entry;
}

QPushButton* button(const char* t, QWidget* parent) {
    auto* b = new QPushButton(QString::fromUtf8(t), parent);
    b->setAutoDefault(false);
    return b;
}

QCheckBox* checkBox(const char* t, const char* tip, QWidget* parent) {
    auto* box = new QCheckBox(QString::fromUtf8(t), parent);
    if (tip) box->setToolTip(QString::fromUtf8(tip));
    return box;
}

// A fixed-width field keeps at most its width in bytes; a character that does not fit is refused.
template <class Field>
void bindText(QLineEdit* entry, Field& field, QObject* context) {
    QObject::connect(entry, &QLineEdit::textEdited, context, [entry, &field](const QString& typed) {
        const std::string value = typed.toStdString();
        field = value;
        if (field.text() != std::string(trimRight(value))) {
            QApplication::beep();
            const int cursor = entry->cursorPosition();
            entry->setText(q(field.text()));
            entry->setCursorPosition(std::min(cursor, static_cast<int>(entry->text().size())));
        }
    });
}

template <std::size_t N>
void checkOnly(const std::array<QRadioButton*, N>& radios, const std::array<const char*, N>& texts,
               const std::string& stored) {
    for (std::size_t i = 0; i < N; ++i) {
        if (!radios[i]) continue;
        radios[i]->setAutoExclusive(false);
        radios[i]->setChecked(stored == texts[i]);
        radios[i]->setAutoExclusive(true);
    }
}

template <class W>
void showIf(W* w, bool on) {
    if (w) w->setVisible(on);
}

// Room for a text and the spin arrows.
int dialogWidthOf(const QWidget& w, const char* widest) {
    return w.fontMetrics().horizontalAdvance(QString::fromLatin1(widest)) + 40;
}

// A page shown: the focus goes to its first control that takes it.
void focusFirstField(QWidget& page) {
    for (QWidget* w : page.findChildren<QWidget*>()) {
        if (w->isVisibleTo(&page) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)) {
            w->setFocus();
            return;
        }
    }
}

}  // namespace

TaskWizardWindow* TaskWizardWindow::open(WizardKind kind, const TaskFormServices& services, QWidget* parent,
                                         const Schedule& source) {
    auto session = std::make_unique<TaskWizardSession>(services.files, kind, taskEditorPorts(services), source);
    if (!session->start()) return nullptr;
    auto* window = new TaskWizardWindow(std::move(session), services, parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
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

QWidget* TaskWizardWindow::buildPage(WizardPage page) {
    switch (page) {
    case WizardPage::task: return buildTaskPage();
    case WizardPage::command: return buildCommandPage();
    case WizardPage::message: return buildMessagePage();
    case WizardPage::when: return buildWhenPage();
    case WizardPage::advanced: return buildAdvancedPage();
    }
    return new QWidget;
}

QWidget* TaskWizardWindow::buildTaskPage() {
    const WizardKind kind = m_session->kind();
    auto* page = new QWidget;
    auto* layout = new QGridLayout(page);
    layout->addWidget(picture(page), 0, 0, 3, 1);
    int row = 0;
    const char* categoryText = nullptr;
    int taskTypes = 0;
    switch (kind) {
    case WizardKind::addTask:
        layout->addWidget(
            text("This wizard schedules a new task to perform.  Enter the basic task type here...", page), row++, 1);
        taskTypes = 4;
        categoryText = "Next, select the category and optionally enter a description or \"title\".";
        break;
    case WizardKind::specialEvent:
        for (const char* line : {"This wizard copies an existing task to create a special event.",
                                 "This is useful when the day a task is normally scheduled is a holiday, or",
                                 "must be changed temporarily because of some other special event.",
                                 "You may modify the information here or press Next."})
            layout->addWidget(text(line, page), row++, 1);
        taskTypes = 3;
        break;
    case WizardKind::addProgram:
        categoryText = "Select the category and optionally enter a description or \"title\".";
        break;
    case WizardKind::addMessage:
        categoryText = "Select the category and optionally enter a description or \"title\"...";
        break;
    }
    if (taskTypes > 0) {
        auto* group = new QGroupBox(QStringLiteral("Task Type"), page);
        group->setToolTip(QStringLiteral("Type of Task to Perform"));
        auto* types = new QVBoxLayout(group);
        for (int i = 0; i < taskTypes; ++i) {
            const auto n = static_cast<std::size_t>(i);
            m_taskTypes[n] = new QRadioButton(QString::fromLatin1(kTaskTypes[n]), group);
            types->addWidget(m_taskTypes[n]);
        }
        layout->addWidget(group, row++, 1);
    }
    if (categoryText) layout->addWidget(text(categoryText, page), row++, 1);

    auto* form = new QFormLayout;
    m_category = new QComboBox(page);
    m_category->setMinimumContentsLength(20);
    form->addRow(prompt("&Category:", m_category, page), m_category);
    m_description = textEntry(40, "Description or Title of Task", page);
    form->addRow(prompt("&Description:", m_description, page), m_description);
    layout->addLayout(form, row++, 1);

    if (kind == WizardKind::addProgram) {
        auto* command = new QGridLayout;
        addCommandControls(page, command, 0);
        layout->addLayout(command, row++, 0, 1, 2);
    } else if (kind == WizardKind::addMessage) {
        auto* message = new QGridLayout;
        addMessageControls(page, message, 0, "Then enter your customized message here...");
        layout->addLayout(message, row++, 0, 1, 2);
    }
    layout->setRowStretch(row, 1);
    layout->setColumnStretch(1, 1);
    return page;
}

void TaskWizardWindow::addCommandControls(QWidget* page, QGridLayout* layout, int row) {
    m_command = textEntry(80, "Program to execute", page);
    m_commandBrowse = button("&Browse", page);
    m_path = textEntry(80, "Driectory (Folder) to start the command in", page);
    auto* commandPrompt = prompt("Comma&nd:", m_command, page);
    auto* pathPrompt = prompt("Start &in:", m_path, page);
    layout->addWidget(text("Enter any valid program name, along with the parameters it needs here...", page), row, 0,
                      1, 3);
    layout->addWidget(commandPrompt, row + 1, 0);
    layout->addWidget(m_command, row + 1, 1, 1, 2);
    layout->addWidget(
        text("If the program must be run from a specific directory or folder, enter it here...", page), row + 2, 0,
        1, 3);
    layout->addWidget(m_commandBrowse, row + 3, 0, Qt::AlignLeft);
    layout->addWidget(pathPrompt, row + 4, 0);
    layout->addWidget(m_path, row + 4, 1, 1, 2);
    layout->setColumnMinimumWidth(1, 320);
    m_commandControls[0] = commandPrompt;
    m_commandControls[1] = m_command;
    m_commandControls[2] = m_commandBrowse;
    m_commandControls[3] = pathPrompt;
    m_commandControls[4] = m_path;
}

void TaskWizardWindow::addMessageControls(QWidget* page, QGridLayout* layout, int row, const char* t) {
    m_message = new QPlainTextEdit(page);
    m_message->setToolTip(QStringLiteral("Message to display"));
    layout->addWidget(text(t, page), row, 0);
    layout->addWidget(m_message, row + 1, 0);
}

QWidget* TaskWizardWindow::buildCommandPage() {
    auto* page = new QWidget;
    auto* layout = new QGridLayout(page);
    addCommandControls(page, layout, 0);
    layout->setRowStretch(5, 1);
    return page;
}

QWidget* TaskWizardWindow::buildMessagePage() {
    auto* page = new QWidget;
    auto* layout = new QGridLayout(page);
    layout->addWidget(picture(page), 0, 0, 2, 1);
    auto* message = new QGridLayout;
    addMessageControls(page, message, 0, "Enter your customized message here...");
    layout->addLayout(message, 0, 1);
    layout->setColumnStretch(1, 1);
    return page;
}

QWidget* TaskWizardWindow::buildWhenPage() {
    const bool special = m_session->kind() == WizardKind::specialEvent;
    auto* page = new QWidget;
    auto* layout = new QGridLayout(page);
    int row = 0;
    if (special) {
        layout->addWidget(text("These options determine when this task will be performed.", page), row++, 0, 1, 2);
    } else {
        auto* intro = new QVBoxLayout;
        for (const char* line : {"These options determine", "when and how often this", "task will be performed."})
            intro->addWidget(new QLabel(QString::fromLatin1(line), page));
        intro->addStretch();
        layout->addLayout(intro, row, 0);

        auto* typeGroup = new QGroupBox(QStringLiteral("Schedule &Type"), page);
        typeGroup->setToolTip(QStringLiteral("Type of scheduling"));
        auto* types = new QVBoxLayout(typeGroup);
        for (std::size_t i = 0; i < kScheduleTypes.size(); ++i) {
            m_scheduleTypes[i] = new QRadioButton(QString::fromLatin1(kScheduleTypes[i]), typeGroup);
            types->addWidget(m_scheduleTypes[i]);
        }
        layout->addWidget(typeGroup, row, 1);

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
        layout->addWidget(everyGroup, row, 2);
        ++row;
    }

    auto* dates = new QGridLayout;
    m_date = new ui::DateEdit(page);
    m_date->setToolTip(QStringLiteral("Next Date to Perform Task"));
    m_dateCalendar = button("...", page);
    m_dateCalendar->setFixedWidth(28);
    m_time = new ui::TimeEdit(page);
    m_time->setToolTip(QStringLiteral("Next Time to Perform Task"));
    m_timePrompt = prompt("&Time:", m_time, page);
    m_time->setMinimumWidth(dialogWidthOf(*m_time, "12:00PM"));
    dates->addWidget(prompt("&Next Date to Perform Task:", m_date, page), 0, 0);
    dates->addWidget(m_date, 0, 1);
    dates->addWidget(m_dateCalendar, 0, 2);
    dates->addWidget(m_timePrompt, 0, 3);
    dates->addWidget(m_time, 0, 4);
    m_skip = special ? checkBox("Skip next regular occurance of task being copied", "Skip next occurance of this task",
                                page)
                     : checkBox("&Skip First Time", "Skip next occurance of this task", page);
    dates->addWidget(m_skip, special ? 2 : 1, 1, 1, 4);
    m_warnDate = new ui::DateEdit(page);
    m_warnDate->setToolTip(QStringLiteral("Date of Advanced Warning"));
    m_warnCalendar = button("...", page);
    m_warnCalendar->setFixedWidth(28);
    m_warnTime = new ui::TimeEdit(page);
    m_warnTime->setToolTip(QStringLiteral("Advanced Warning Time"));
    m_warnTime->setMinimumWidth(dialogWidthOf(*m_warnTime, "12:00PM"));
    const int warnRow = special ? 1 : 2;
    dates->addWidget(prompt("&Advance Warning Date:", m_warnDate, page), warnRow, 0);
    dates->addWidget(m_warnDate, warnRow, 1);
    dates->addWidget(m_warnCalendar, warnRow, 2);
    dates->addWidget(prompt("Time:", m_warnTime, page), warnRow, 3);
    dates->addWidget(m_warnTime, warnRow, 4);
    dates->setColumnStretch(5, 1);
    layout->addLayout(dates, row++, 0, 1, 3);
    layout->setRowStretch(row, 1);
    return page;
}

QWidget* TaskWizardWindow::buildAdvancedPage() {
    auto* page = new QWidget;
    auto* layout = new QGridLayout(page);
    layout->addWidget(picture(page), 0, 0, 6, 1);
    layout->addWidget(text("Finally, here are some advanced features you may wish to use...", page), 0, 1);
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
    alarm->setColumnMinimumWidth(1, 260);
    layout->addWidget(alarmGroup, 1, 1);
    m_warn = checkBox("&Warn if not run on specified date", "Warn if not run on specified date", page);
    m_userSkip = checkBox("&Before performing task, give option to skip", "Give option to skip before performing",
                          page);
    layout->addWidget(m_warn, 2, 1);
    layout->addWidget(m_userSkip, 3, 1);
    if (m_session->kind() != WizardKind::specialEvent) {
        m_disabled = checkBox("&Disable", "Do not perform this task", page);
        layout->addWidget(m_disabled, 4, 1);
    }
    layout->setRowStretch(5, 1);
    layout->setColumnStretch(1, 1);
    return page;
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
    ui::restoreWindowPosition(*this, wizardName(m_session->kind()));
    focusFirstField(*m_pages->currentWidget());
}

void TaskWizardWindow::done(int r) {
    if (m_ended) {
        QDialog::done(r);
        return;
    }
    // Closing in any way but a successful "&Finish" (Cancel, the close box, Escape) ends it cancelled.
    if (m_session->editor().response() != Response::completed) m_session->cancel();
    if (isVisible()) ui::saveWindowPosition(*this, wizardName(m_session->kind()));
    m_ended = true;
    const Response response = m_session->end();
    emit ended(response);
    QDialog::done(r);
}

}  // namespace tarvelo
