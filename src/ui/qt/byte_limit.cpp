#include "ui/qt/byte_limit.h"

#include <algorithm>

#include <QApplication>
#include <QLineEdit>

namespace tarvelo::ui {

void limitToBytes(QLineEdit* entry, int bytes) {
    entry->setMaxLength(bytes);  // never more characters than bytes
    // The text as it was before each edit, so a refused edit puts it back whole.
    auto* accepted = new QString(entry->text());
    QObject::connect(entry, &QObject::destroyed, [accepted] { delete accepted; });
    QObject::connect(entry, &QLineEdit::textChanged, entry, [entry, bytes, accepted](const QString& text) {
        if (text.toUtf8().size() <= bytes) {
            *accepted = text;
            return;
        }
        QApplication::beep();
        const int cursor = entry->cursorPosition() - static_cast<int>(text.size() - accepted->size());
        const QString previous = *accepted;
        entry->setText(previous);
        entry->setCursorPosition(std::clamp(cursor, 0, static_cast<int>(previous.size())));
    });
}

}  // namespace tarvelo::ui
