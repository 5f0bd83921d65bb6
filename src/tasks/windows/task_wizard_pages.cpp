// The layout of the wizards' pages (TaskWizardWindow of task_wizard.h).
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

#include <cmath>

#include "core/picture.h"
#include "tasks/recurrence.h"
#include "tasks/windows/task_widgets.h"
#include "ui/qt/date_edit.h"
#include "ui/qt/time_edit.h"
#include "ui/qt/window_placement.h"


namespace tarvelo {

using namespace task_widgets;

namespace {

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

}  // namespace

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

}  // namespace tarvelo
