#pragma once
// Opens ShowMessage windows for the engine and counts those open: a window counts from the moment it is
// opened until it is gone, however it was closed.
#include <QObject>
#include <QPointer>
#include <QWidget>

#include "platform/ports.h"
#include "engine/windows/message_window.h"

namespace tarvelo::engine {

class QtMessageWindows : public QObject, public platform::MessageWindowPort {
    Q_OBJECT
public:
    // parent: the frame's document area, where the windows open as child windows; any other widget (or
    // none) shows them as windows of their own over it. iniFile: where their position is kept.
    QtMessageWindows(QWidget* parent, MessageWindow::AddToDo addToDo, std::string iniFile = "Tarvelo96.INI");

    void open(const std::string& text) override;
    int openCount() const override { return m_open; }

signals:
    void opened(tarvelo::engine::MessageWindow* window);

private:
    QPointer<QWidget> m_parent;
    MessageWindow::AddToDo m_addToDo;
    std::string m_iniFile;
    int m_open = 0;
};

}  // namespace tarvelo::engine
