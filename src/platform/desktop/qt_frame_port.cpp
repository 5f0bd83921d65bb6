#include "platform/desktop/qt_frame_port.h"

namespace tarvelo::platform {

void QtFramePort::setTitle(const std::string& title) {
    if (m_window) m_window->setWindowTitle(QString::fromStdString(title));
}

// Waiting hidden in the tray is out of sight as much as minimized to the task bar.
bool QtFramePort::isMinimized() const {
    return m_window && (m_window->isMinimized() || (m_window->isHidden() && m_window->testAttribute(Qt::WA_WState_ExplicitShowHide)));
}

void QtFramePort::restore() {
    if (!m_window) return;
    m_window->setWindowState(m_window->windowState() & ~Qt::WindowMinimized);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

}  // namespace tarvelo::platform
