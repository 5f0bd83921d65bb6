#include "widgets/entry_limit.h"

#include <algorithm>

#include <QApplication>
#include <QLineEdit>

#include "core/fixed_text.h"
#include "core/plain_text.h"

namespace tarvelo::widgets {

namespace {

std::string utf8Of(const QString& text) { return text.toStdString(); }

// An edit is refused when the text would be longer than the field, or would gain a control character
// (a text that holds one already, from an older file, can still be mended character by character).
bool refusedEdit(const QString& before, const QString& after, int characters) {
    const std::string text = utf8Of(after);
    if (utf8Length(trimRight(text)) > static_cast<std::size_t>(characters)) return true;
    return entryTextProblem(text) && !entryTextProblem(utf8Of(before));
}

}  // namespace

void limitEntry(QLineEdit* entry, int characters) {
    // The entry's own limit counts UTF-16 units, two for a character beyond the BMP: it is set roomy,
    // and the characters are counted here.
    entry->setMaxLength(characters * 2);
    // The text as it was before each edit, so a refused edit puts it back whole.
    auto* accepted = new QString(entry->text());
    QObject::connect(entry, &QObject::destroyed, [accepted] { delete accepted; });
    QObject::connect(entry, &QLineEdit::textChanged, entry, [entry, characters, accepted](const QString& text) {
        // What the program puts in (a stored name, older ones with control characters too) is shown as it
        // is; only what the user types is held to the rules.
        if (!entry->isModified() || !refusedEdit(*accepted, text, characters)) {
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

}  // namespace tarvelo::widgets
