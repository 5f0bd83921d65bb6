#include "engine/windows/message_window.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QIcon>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "widgets/child_window.h"
#include "widgets/default_button.h"
#include "widgets/message_text.h"
#include "widgets/window_placement.h"
#include "widgets/program_icon.h"

namespace tarvelo::engine {

namespace {
constexpr std::string_view kSection = "ShowMessage";
}

MessageWindow::MessageWindow(std::string message, AddToDo addToDo, std::string iniFile, QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_message(std::move(message)),
      m_addToDoFunction(std::move(addToDo)),
      m_iniFile(std::move(iniFile)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("ShowMessage"));
    setWindowTitle(QStringLiteral("Message"));
    setWindowIcon(widgets::programIcon());
    setFont(widgets::windowFont());

    m_ok = new QPushButton(QStringLiteral("&Ok"), this);
    widgets::setDefaultButton(*m_ok);
    m_addToDo = new QPushButton(QStringLiteral("&Add to To Do List"), this);
    m_text = new QPlainTextEdit(this);
    m_text->setReadOnly(true);
    m_text->setPlainText(widgets::messageText(m_message));
    m_text->setStatusTip(QStringLiteral("Message to display"));
    m_text->setToolTip(QStringLiteral("Message to display"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_addToDo);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text, 1);
    layout->addLayout(buttons);
    setTabOrder(m_ok, m_addToDo);
    setTabOrder(m_addToDo, m_text);

    connect(m_ok, &QPushButton::clicked, this, &QWidget::close);
    connect(m_addToDo, &QPushButton::clicked, this, [this] {
        if (m_addToDoFunction) m_addToDoFunction(m_message);
    });

    resize(widgets::dialogSize(*this, 185, 92));
}

void MessageWindow::showEvent(QShowEvent* event) {
    // Restored once shown, so that a window inside the frame restores its sub-window.
    if (!m_opened) widgets::restoreWindowPosition(widgets::positionedWidget(*this), kSection, m_iniFile);
    m_opened = true;
    m_ok->setFocus();
    QWidget::showEvent(event);
}

void MessageWindow::closeEvent(QCloseEvent* event) {
    if (m_opened) widgets::saveWindowPosition(widgets::positionedWidget(*this), kSection, m_iniFile);
    QWidget::closeEvent(event);
}

}  // namespace tarvelo::engine
