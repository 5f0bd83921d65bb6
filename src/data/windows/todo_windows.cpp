#include "data/windows/todo_windows.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "data/todo_list.h"
#include "widgets/entry_limit.h"
#include "widgets/child_window.h"
#include "widgets/date_edit.h"
#include "widgets/default_button.h"
#include "widgets/window_placement.h"

namespace tarvelo {

namespace {
constexpr std::string_view kUpdateSection = "UpdateTodo";
}

// --- BrowseTodo ------------------------------------------------------------------------------------

BrowseTodoWindow* BrowseTodoWindow::start(const ListServices& services, QWidget* host) {
    auto* window = new BrowseTodoWindow(services, host);
    widgets::showStartedWindow(window, host);
    return window;
}

BrowseTodoWindow::BrowseTodoWindow(const ListServices& services, QWidget* parent)
    : BrowseWindow("BrowseTodo", QStringLiteral("To Do"), services, parent) {
    setWindowIcon(resourceIcon("check"));
    useTables({TableId::toDo});
    Layout layout;
    layout.list = std::make_unique<BrowseList>(services.files.table(TableId::toDo), services.files.warn(), toDoBrowseConfig());
    layout.format = kToDoListFormat;
    layout.icons = {resourceIcon("done1"), resourceIcon("notdone")};
    layout.tabs = {QStringLiteral("Done"), QStringLiteral("Priority"), QStringLiteral("To Do")};
    layout.helpButton = false;
    layout.size = {250, 170};
    build(std::move(layout));
}

int BrowseTodoWindow::sortForTab(int tab) const { return static_cast<int>(toDoOrderForTab(tab)); }

void BrowseTodoWindow::runButton(platform::ListButton button) {
    const Request request = requestFor(button);
    const ToDo item = request == Request::insert ? ToDo{} : RecordTable<ToDo>::fromRow(list().current());
    const FormOutcome<ToDo> outcome = updateTodo(request, item, services(), this);
    list().afterForm(request, outcome.response, RecordTable<ToDo>::toRow(outcome.record));
    actionEnded();
}

// --- UpdateTodo ------------------------------------------------------------------------------------

FormOutcome<ToDo> updateTodo(Request request, const ToDo& item, const ListServices& services, QWidget* parent) {
    ToDoForm form(services.files, request, item);
    if (form.start()) {
        UpdateTodoDialog dialog(form, services.files.warn(), parent);
        widgets::restoreWindowPosition(dialog, kUpdateSection, services.iniFile);
        dialog.exec();
        widgets::saveWindowPosition(dialog, kUpdateSection, services.iniFile);
    }
    FormOutcome<ToDo> outcome;
    outcome.response = form.finish();
    outcome.record = form.record();
    return outcome;
}

UpdateTodoDialog::UpdateTodoDialog(ToDoForm& form, const DataWarning& warn, QWidget* parent)
    : QDialog(parent), m_form(form), m_warn(warn) {
    setObjectName(QString::fromLatin1(kUpdateSection.data(), static_cast<int>(kUpdateSection.size())));
    setFont(widgets::windowFont());
    setWindowIcon(resourceIcon("check"));
    setWindowTitle(QStringLiteral("Update the Todo File"));
    if (const std::string title = form.actionTitle(); !title.empty()) setWindowTitle(QString::fromStdString(title));

    auto* tabs = new QTabWidget(this);
    auto* general = new QWidget(tabs);
    tabs->addTab(general, QStringLiteral("General"));
    m_text = new QLineEdit(general);
    widgets::limitEntry(m_text, 40);
    m_priority = new QSpinBox(general);
    m_priority->setRange(0, 99);  // two digits; the check keeps it to 1..10
    m_priority->setToolTip(QStringLiteral("1 to 10"));
    m_done = new QCheckBox(QStringLiteral("Done"), general);
    auto* toDoPrompt = new QLabel(QStringLiteral("&To Do:"), general);
    toDoPrompt->setBuddy(m_text);
    auto* priorityPrompt = new QLabel(QStringLiteral("Priority"), general);
    priorityPrompt->setBuddy(m_priority);
    auto* grid = new QGridLayout(general);
    grid->addWidget(toDoPrompt, 0, 0);
    grid->addWidget(m_text, 0, 1, 1, 2);
    grid->addWidget(priorityPrompt, 1, 0);
    grid->addWidget(m_priority, 1, 1);
    grid->addWidget(m_done, 2, 1);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(3, 1);

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    widgets::setDefaultButton(*m_ok);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs, 1);
    layout->addLayout(buttons);
    setTabOrder(m_text, m_priority);
    setTabOrder(m_priority, m_done);
    setTabOrder(m_done, m_ok);
    setTabOrder(m_ok, m_cancel);

    showRecord();
    connect(m_text, &QLineEdit::textChanged, this, [this](const QString& text) { m_form.record().todo = text.toStdString(); });
    connect(m_priority, &QSpinBox::valueChanged, this, [this](int value) { m_form.record().priority = static_cast<Byte>(value); });
    connect(m_done, &QCheckBox::toggled, this, [this](bool on) { m_form.record().done = on ? 1 : 0; });
    // Leaving the priority accepts it; leaving it for Cancel does not, so Cancel always cancels.
    connect(m_priority, &QSpinBox::editingFinished, this, [this] {
        if (QApplication::focusWidget() != m_cancel && QApplication::focusWidget() != m_priority) priorityAccepted();
    });
    connect(m_ok, &QPushButton::clicked, this, &UpdateTodoDialog::pressOk);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    resize(widgets::dialogSize(*this, 220, 90));
}

void UpdateTodoDialog::showRecord() {
    const QSignalBlocker a(m_text), b(m_priority), c(m_done);
    m_text->setText(QString::fromStdString(m_form.record().todo.text()));
    m_priority->setValue(m_form.record().priority);
    m_done->setChecked(m_form.record().done == 1);
}

bool UpdateTodoDialog::priorityAccepted() {
    if (m_checking) return true;
    m_checking = true;
    const bool accepted = checkPriority(m_warn, m_priority->value());
    m_checking = false;
    if (!accepted) {
        // Refused, as an entry refuses its text: the Enter that completed it goes no further.
        widgets::keepFocus(*m_priority);
        m_priority->selectAll();
    }
    return accepted;
}

void UpdateTodoDialog::pressOk() {
    m_priority->interpretText();
    if (!priorityAccepted()) return;
    if (m_form.complete() == FormStep::close) {
        accept();
        return;
    }
    showRecord();
    m_text->setFocus();
}

void UpdateTodoDialog::done(int result) {
    if (result != QDialog::Accepted) m_form.cancel();
    QDialog::done(result);
}

void UpdateTodoDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_positioned) return;
    m_positioned = true;
    m_text->setFocus();
}

}  // namespace tarvelo
