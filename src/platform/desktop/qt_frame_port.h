#pragma once
// The main frame as the engine sees it, over any top-level widget. The widget may go away before the
// port does; the port then does nothing.
#include <QPointer>
#include <QWidget>

#include "platform/ports.h"

namespace tarvelo::platform {

class QtFramePort : public FramePort {
public:
    explicit QtFramePort(QWidget* window) : m_window(window) {}

    void setTitle(const std::string& title) override;
    bool isMinimized() const override;
    // Back to the state it had before it was minimized (maximized stays maximized), shown and raised.
    void restore() override;

private:
    QPointer<QWidget> m_window;
};

}  // namespace tarvelo::platform
