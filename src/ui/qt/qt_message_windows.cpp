#include "ui/qt/qt_message_windows.h"

#include "ui/qt/child_window.h"

namespace tarvelo::ui {

QtMessageWindows::QtMessageWindows(QWidget* parent, MessageWindow::AddToDo addToDo, std::string iniFile)
    : m_parent(parent), m_addToDo(std::move(addToDo)), m_iniFile(std::move(iniFile)) {}

void QtMessageWindows::open(const std::string& text) {
    auto* window = new MessageWindow(text, m_addToDo, m_iniFile, m_parent);
    ++m_open;
    connect(window, &QObject::destroyed, this, [this] { --m_open; });
    showStartedWindow(window, m_parent);
    emit opened(window);
}

}  // namespace tarvelo::ui
