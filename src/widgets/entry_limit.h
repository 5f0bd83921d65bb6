#pragma once
// Entries bound to fixed-width text fields hold at most the field's width in characters, whatever their
// encoding ("é" as much as "e", a character beyond the BMP too), and no control character (one pasted in
// with a name): an edit that would not fit is refused with a beep and the text stays as it was.
class QLineEdit;

namespace tarvelo::widgets {

void limitEntry(QLineEdit* entry, int characters);

}  // namespace tarvelo::widgets
