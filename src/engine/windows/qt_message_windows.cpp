#include "engine/windows/qt_message_windows.h"

#include "widgets/child_window.h"

namespace tarvelo::engine {

QtMessageWindows::QtMessageWindows(QWidget* parent, MessageWindow::AddToDo addToDo, std::string iniFile)
    : m_parent(parent), m_addToDo(std::move(addToDo)), m_iniFile(std::move(iniFile)) {}

void QtMessageWindows::open(const std::string& text) {
    auto* window = new MessageWindow(text, m_addToDo, m_iniFile, m_parent);
    ++m_open;
    connect(window, &QObject::destroyed, this, [this] { --m_open; });
    widgets::showStartedWindow(window, m_parent);
    emit opened(window);
}

}  // namespace tarvelo::engine
