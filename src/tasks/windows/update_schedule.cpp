#include "tasks/windows/update_schedule.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "tasks/windows/task_pictures.h"
#include "widgets/default_button.h"
#include "widgets/window_placement.h"

namespace tarvelo {
namespace {

constexpr const char* kSection = "UpdateSchedule";

}  // namespace

Response updateSchedule(Request request, const Task& task, const TaskFormServices& services,
                        std::string_view selectedDayText, QWidget* parent) {
    TaskEditor editor(services.files, request, task, taskEditorPorts(services));
    if (editor.start(selectedDayText)) {
        UpdateScheduleForm form(editor, services, parent);
        form.exec();
    }
    return editor.finish();
}

UpdateScheduleForm::UpdateScheduleForm(TaskEditor& editor, const TaskFormServices& services, QWidget* parent)
    : QDialog(parent), m_editor(editor) {
    setFont(widgets::windowFont());
    setObjectName(QString::fromLatin1(kSection));

    // Each tab holds one group of the task's controls; the Task tab has the form's picture beside it.
    auto* taskTab = new QWidget;
    auto* taskLayout = new QHBoxLayout(taskTab);
    auto* picture = new QLabel(taskTab);
    picture->setPixmap(taskPicture());
    taskLayout->addWidget(picture, 0, Qt::AlignTop);
    m_controls.task = new TaskPageControls(4, nullptr, taskTab);
    taskLayout->addWidget(m_controls.task, 1);
    m_controls.command = new CommandControls(false);
    m_controls.message = new MessageControls("Message to display:");
    m_controls.when = new WhenControls(WhenOptions{true, true, "&Skip Next Time"});
    m_controls.advanced = new AdvancedControls(true);

    auto* layout = new QVBoxLayout(this);
    m_tabs = new QTabWidget(this);
    m_tabs->addTab(taskTab, QStringLiteral("&Task"));
    m_tabs->addTab(m_controls.command, QStringLiteral("&Command"));
    m_tabs->addTab(m_controls.message, QStringLiteral("&Message"));
    m_tabs->addTab(m_controls.when, QStringLiteral("&When"));
    m_tabs->addTab(m_controls.advanced, QStringLiteral("&Advanced"));
    for (int i = 1; i < m_tabs->count(); ++i) m_tabs->widget(i)->setContentsMargins(9, 9, 9, 9);
    layout->addWidget(m_tabs);

    m_ok = new QPushButton(QStringLiteral("&OK"), this);
    widgets::setDefaultButton(*m_ok);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setAutoDefault(false);
    layout->addLayout(taskButtonRow({m_ok, m_cancel}));

    m_binder = new TaskControlsBinder(m_editor, m_controls, services, this);
    m_binder->showTabsFor(m_tabs, kCommandTab, kMessageTab);
    m_binder->onFocus = [this](TaskFocus where) { moveFocus(where); };
    connect(m_ok, &QPushButton::clicked, this, &UpdateScheduleForm::pressOk);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    setWindowTitle(QString::fromStdString(m_editor.caption()));
    m_binder->refresh();
}

UpdateScheduleForm::~UpdateScheduleForm() = default;

void UpdateScheduleForm::moveFocus(TaskFocus focus) {
    switch (focus) {
    case TaskFocus::Stay: break;
    case TaskFocus::AfterStartIn: m_controls.command->path->nextInFocusChain()->setFocus(); break;
    case TaskFocus::WavBrowse:
        m_tabs->setCurrentIndex(kAdvancedTab);
        m_controls.advanced->wavBrowse->setFocus();
        break;
    case TaskFocus::EveryEntry:
        m_tabs->setCurrentIndex(kWhenTab);
        m_controls.when->every->setFocus();
        m_controls.when->every->selectAll();
        break;
    case TaskFocus::FirstField:
        m_tabs->setCurrentIndex(kTaskTab);
        for (QRadioButton* r : m_controls.task->taskTypes)
            if (r->isChecked()) r->setFocus();
        break;
    }
}

void UpdateScheduleForm::pressOk() {
    if (m_binder->settle(m_editor.ok())) accept();
}

void UpdateScheduleForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_positioned) return;
    m_positioned = true;
    widgets::restoreWindowPosition(*this, kSection);
    moveFocus(TaskFocus::FirstField);
}

void UpdateScheduleForm::done(int r) {
    // Closing in any way but a completed OK (Cancel, the close box, Escape) ends the session cancelled.
    if (m_editor.response() != Response::completed) m_editor.cancel();
    if (isVisible()) widgets::saveWindowPosition(*this, kSection);
    QDialog::done(r);
}

}  // namespace tarvelo
