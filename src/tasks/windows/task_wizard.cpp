#include "tasks/windows/task_wizard.h"

#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "widgets/child_window.h"
#include "widgets/default_button.h"
#include "widgets/window_placement.h"

namespace tarvelo {
namespace {

QString q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

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
                                         const Task& source) {
    auto session = std::make_unique<TaskWizardSession>(services.files, kind, taskEditorPorts(services), source);
    if (!session->start()) return nullptr;
    auto* window = new TaskWizardWindow(std::move(session), services, parent);
    widgets::showStartedWindow(window, parent);
    return window;
}

TaskWizardWindow::TaskWizardWindow(std::unique_ptr<TaskWizardSession> session, const TaskFormServices& services,
                                   QWidget* parent)
    : QDialog(parent), m_session(std::move(session)) {
    setFont(widgets::windowFont());
    setModal(false);
    setObjectName(q(wizardName(m_session->kind())));

    auto* layout = new QVBoxLayout(this);
    m_pages = new QStackedWidget(this);
    for (WizardPage page : m_session->navigation().pages()) m_pages->addWidget(buildPage(page));
    layout->addWidget(m_pages);

    m_back = new QPushButton(QStringLiteral("&Back"), this);
    m_back->setAutoDefault(false);
    m_next = new QPushButton(QStringLiteral("&Next"), this);
    m_finish = new QPushButton(QStringLiteral("&Finish"), this);  // in the place of "&Next": only one shows
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setAutoDefault(false);
    layout->addLayout(taskButtonRow({m_back, m_next, m_finish, m_cancel}));

    m_binder = new TaskControlsBinder(m_session->editor(), m_controls, services, this);
    m_binder->onVisibility = [this](const TaskVisibility& v) {
        // The pages a task type hides are passed over; the program and message wizards' first page holds
        // the controls themselves.
        if (m_controls.command) m_controls.command->setVisible(v.commandTab);
        if (m_controls.message) m_controls.message->setVisible(v.messageTab);
    };
    m_binder->onFocus = [this](TaskFocus where) { moveFocus(where); };
    connect(m_next, &QPushButton::clicked, this, &TaskWizardWindow::pressNext);
    connect(m_back, &QPushButton::clicked, this, &TaskWizardWindow::pressBack);
    connect(m_finish, &QPushButton::clicked, this, &TaskWizardWindow::pressFinish);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    // The special event keeps its caption; the add wizards say what they do, as the task form does.
    if (m_session->kind() == WizardKind::specialEvent) setWindowTitle(QStringLiteral("Reschedule Event Wizard"));
    else setWindowTitle(q(m_session->editor().caption()));
    m_binder->refresh();
    showPage();
}

TaskWizardWindow::~TaskWizardWindow() {
    if (!m_ended) m_session->end();
}

void TaskWizardWindow::showPage() {
    const WizardNavigation& nav = m_session->navigation();
    m_pages->setCurrentIndex(nav.page() - 1);
    const WizardButtons b = nav.buttons();
    m_back->setVisible(b.back);
    m_next->setVisible(b.next);
    m_finish->setVisible(b.finish);
    widgets::setDefaultButton(b.finish ? *m_finish : *m_next);
}

void TaskWizardWindow::pressNext() {
    if (m_session->navigation().next(m_session->task().taskType.kind())) showPage();
    focusFirstField(*m_pages->currentWidget());
}

void TaskWizardWindow::pressBack() {
    if (m_session->navigation().back(m_session->task().taskType.kind())) showPage();
    focusFirstField(*m_pages->currentWidget());
}

void TaskWizardWindow::pressFinish() {
    if (m_binder->settle(m_session->finishPressed())) accept();
}

void TaskWizardWindow::moveFocus(TaskFocus focus) {
    switch (focus) {
    case TaskFocus::Stay: break;
    // The focus stays on the page the start-in folder is on: the page changes only through the buttons.
    case TaskFocus::AfterStartIn: (m_next->isVisible() ? m_next : m_finish)->setFocus(); break;
    case TaskFocus::WavBrowse:
        if (m_controls.advanced) m_controls.advanced->wavBrowse->setFocus();
        break;
    case TaskFocus::EveryEntry:
        if (m_controls.when && m_controls.when->every && m_controls.when->every->isVisible()) {
            m_controls.when->every->setFocus();
            m_controls.when->every->selectAll();
        }
        break;
    case TaskFocus::FirstField: m_finish->setFocus(); break;
    }
}

void TaskWizardWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_positioned) return;
    m_positioned = true;
    widgets::restoreWindowPosition(widgets::positionedWidget(*this), wizardName(m_session->kind()));
    focusFirstField(*m_pages->currentWidget());
}

void TaskWizardWindow::done(int r) {
    if (m_ended) {
        QDialog::done(r);
        return;
    }
    // Closing in any way but a successful "&Finish" (Cancel, the close box, Escape) ends it cancelled.
    if (m_session->editor().response() != Response::completed) m_session->cancel();
    if (isVisible()) widgets::saveWindowPosition(widgets::positionedWidget(*this), wizardName(m_session->kind()));
    m_ended = true;
    const Response response = m_session->end();
    emit ended(response);
    QDialog::done(r);
}

}  // namespace tarvelo
