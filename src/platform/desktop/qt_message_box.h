#pragma once
// Message boxes as real Qt message boxes: the system's question or exclamation icon (or none), the
// requested buttons and default button. Closing the box by its close box or Escape answers with the
// default button, as the port promises.
#include <QPointer>
#include <QWidget>

#include "platform/ports.h"

namespace tarvelo::platform {

class QtMessageBox : public MessageBoxPort {
public:
    // parent: the window the box is centred on and modal to; may be null.
    explicit QtMessageBox(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }

    int show(const MessageBoxRequest& request) override;

private:
    QPointer<QWidget> m_parent;
};

}  // namespace tarvelo::platform
