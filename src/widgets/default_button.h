#pragma once
// The default button of a window: Enter, or the keypad's Enter, presses it from any control of the window
// that does not use Enter itself (a multi-line text takes it for a new line; an entry that refuses its text
// keeps the focus and the key stops there, see mnemonic.h; a button the user tabbed to presses itself).
//
// Qt gives a default button only to a dialog that is a window of its own, and even there the default
// wanders to whichever button last held the focus; a window in the frame's document area that is no dialog
// has none at all. Here the window keeps the one it was given: a button pressed by its letter or clicked
// takes the focus, yet Enter afterwards still presses the default, as it does from every field.
//
//   widgets::setDefaultButton(*m_ok);      // when the window is built, and again when another button becomes
//                                     // its default ("&Next" giving way to "&Finish")
//
// The window is the button's nearest ancestor that is a dialog or a window of its own (a window that is
// to sit in the document area is built before it goes there). A hidden default button takes no Enter; a
// disabled one swallows it.
class QPushButton;

namespace tarvelo::widgets {

void setDefaultButton(QPushButton& button);

}  // namespace tarvelo::widgets
