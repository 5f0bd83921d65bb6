#include "platform/desktop/qt_message_box.h"

#include <QAbstractButton>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>

#include "widgets/message_text.h"
#include "widgets/window_placement.h"

namespace tarvelo::platform {

namespace {

struct ButtonMap {
    int value;
    QMessageBox::StandardButton standard;
};

// In the order the buttons are laid out.
constexpr ButtonMap kButtons[] = {
    {kOk, QMessageBox::Ok},     {kYes, QMessageBox::Yes},       {kNo, QMessageBox::No},
    {kRetry, QMessageBox::Retry}, {kCancel, QMessageBox::Cancel},
};

int valueOf(QMessageBox::StandardButton standard) {
    for (const auto& b : kButtons) {
        if (b.standard == standard) return b.value;
    }
    return 0;
}

}  // namespace

int QtMessageBox::show(const MessageBoxRequest& request) {
    QMessageBox box(m_parent);
    box.setWindowTitle(QString::fromStdString(request.caption));
    box.setTextFormat(Qt::PlainText);
    box.setText(widgets::messageText(request.text));
    switch (request.icon) {
    case Icon::Question: box.setIcon(QMessageBox::Question); break;
    case Icon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case Icon::None: box.setIcon(QMessageBox::NoIcon); break;
    }

    // A box needs at least one button; without a default among them the first one is the default.
    const int buttons = (request.buttons & (kOk | kYes | kNo | kRetry | kCancel)) == 0 ? int{kOk} : request.buttons;
    QAbstractButton* fallback = nullptr;
    for (const auto& b : kButtons) {
        if ((buttons & b.value) == 0) continue;
        QPushButton* button = box.addButton(b.standard);
        if (fallback == nullptr || b.value == request.defaultButton) fallback = button;
    }
    if (auto* defaultButton = qobject_cast<QPushButton*>(fallback)) box.setDefaultButton(defaultButton);
    box.setEscapeButton(fallback);
    // A box is as wide as its caption needs ("Error Starting " and a whole command line), not only its
    // text: the title bar would cut the caption otherwise.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        auto* room = new QSpacerItem(widgets::titleBarWidth(box), 0, QSizePolicy::Minimum, QSizePolicy::Minimum);
        grid->addItem(room, grid->rowCount(), 0, 1, grid->columnCount());
    }

    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    if (clicked == nullptr) clicked = fallback;
    return valueOf(box.standardButton(clicked));
}

}  // namespace tarvelo::platform
