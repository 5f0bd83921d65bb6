#pragma once
// Entries bound to fixed-width text fields hold at most the field's width in bytes of UTF-8: a typed
// character that would not fit is refused with a beep, whatever the characters' sizes.
class QLineEdit;

namespace tarvelo::ui {

void limitToBytes(QLineEdit* entry, int bytes);

}  // namespace tarvelo::ui
