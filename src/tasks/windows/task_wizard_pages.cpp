// The layout of the wizards' pages (TaskWizardWindow of task_wizard.h).
#include "tasks/windows/task_wizard.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <initializer_list>

#include "tasks/windows/task_pictures.h"

namespace tarvelo {

namespace {

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

// A page of the picture beside a column of the page's texts and controls.
QWidget* pictureBeside(QWidget* column) {
    auto* page = new QWidget;
    auto* layout = new QHBoxLayout(page);
    layout->addWidget(picture(page), 0, Qt::AlignTop);
    layout->addWidget(column, 1);
    return page;
}

}  // namespace

QWidget* TaskWizardWindow::buildPage(WizardPage page) {
    switch (page) {
    case WizardPage::task: return buildTaskPage();
    case WizardPage::command: {
        auto* holder = new QWidget;
        auto* layout = new QVBoxLayout(holder);
        m_controls.command = new CommandControls(true, holder);
        layout->addWidget(m_controls.command);
        return holder;
    }
    case WizardPage::message: return buildMessagePage();
    case WizardPage::when: return buildWhenPage();
    case WizardPage::advanced: return buildAdvancedPage();
    }
    return new QWidget;
}

QWidget* TaskWizardWindow::buildTaskPage() {
    const WizardKind kind = m_session->kind();
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    switch (kind) {
    case WizardKind::addTask:
        layout->addWidget(text("This wizard schedules a new task to perform.  Enter the basic task type here...", column));
        m_controls.task = new TaskPageControls(
            4, "Next, select the category and optionally enter a description or \"title\".", column);
        break;
    case WizardKind::specialEvent:
        for (const char* line : {"This wizard copies an existing task to create a special event.",
                                 "This is useful when the day a task is normally scheduled is a holiday, or",
                                 "must be changed temporarily because of some other special event.",
                                 "You may modify the information here or press Next."})
            layout->addWidget(text(line, column));
        m_controls.task = new TaskPageControls(3, nullptr, column);
        break;
    case WizardKind::addProgram:
        m_controls.task = new TaskPageControls(
            0, "Select the category and optionally enter a description or \"title\".", column);
        break;
    case WizardKind::addMessage:
        m_controls.task = new TaskPageControls(
            0, "Select the category and optionally enter a description or \"title\"...", column);
        break;
    }
    layout->addWidget(m_controls.task);
    if (kind == WizardKind::addProgram) {
        m_controls.command = new CommandControls(true, column);
        layout->addWidget(m_controls.command);
    } else if (kind == WizardKind::addMessage) {
        m_controls.message = new MessageControls("Then enter your customized message here...", column);
        layout->addWidget(m_controls.message, 1);
    }
    layout->addStretch();
    return pictureBeside(column);
}

QWidget* TaskWizardWindow::buildMessagePage() {
    m_controls.message = new MessageControls("Enter your customized message here...");
    return pictureBeside(m_controls.message);
}

QWidget* TaskWizardWindow::buildWhenPage() {
    auto* page = new QWidget;
    if (m_session->kind() == WizardKind::specialEvent) {
        auto* layout = new QVBoxLayout(page);
        layout->addWidget(text("These options determine when this task will be performed.", page));
        m_controls.when = new WhenControls(WhenOptions{false, false, "Skip next regular occurance of task being copied"},
                                           page);
        layout->addWidget(m_controls.when, 1);
        return page;
    }
    auto* layout = new QHBoxLayout(page);
    auto* intro = new QVBoxLayout;
    for (const char* line : {"These options determine", "when and how often this", "task will be performed."})
        intro->addWidget(new QLabel(QString::fromLatin1(line), page));
    m_controls.when = new WhenControls(WhenOptions{true, false, "&Skip First Time", false}, page);
    // Under the introduction, where the page is empty: right of the entries is too narrow here.
    intro->addSpacing(12);
    intro->addWidget(m_controls.when->nextDates, 1);
    layout->addLayout(intro);
    layout->addWidget(m_controls.when, 1);
    return page;
}

QWidget* TaskWizardWindow::buildAdvancedPage() {
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(text("Finally, here are some advanced features you may wish to use...", column));
    m_controls.advanced = new AdvancedControls(m_session->kind() != WizardKind::specialEvent, column);
    layout->addWidget(m_controls.advanced, 1);
    return pictureBeside(column);
}

}  // namespace tarvelo
