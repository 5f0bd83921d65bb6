#pragma once
// Mnemonics: the letter underlined in a control's text, pressed with Alt.
//
// A button pressed by its mnemonic takes the focus first, as it would on a click, so the entry the user
// was typing in is completed before the button acts: a date typed and then Alt+O is saved, and a text the
// entry refuses keeps the focus and the button is not pressed. Qt's own handling clicks the button without
// moving the focus, which left such an entry's text untaken; and a click on a button, or Enter for the
// default button, went through even when the entry refused its text, so the button acted on the value the
// entry put back. completeEntriesBeforeButtons() puts these right for every window of the application.
// "Cancel" is the exception: it leaves without taking what was typed, whatever the entry makes of it; it
// takes no focus from a click either. Neither does any other way of closing a window (Escape, its close
// box): the entry holding the focus is let go uncompleted, so its checks and their messages stay quiet.
//
// The frame's menu bar and the active child window are one top-level window to Qt, so a letter underlined
// in both ("&Reports" and "&Run Now") is an ambiguous shortcut that Qt gives to the menu bar first. The
// window the user works in wins instead, as it does in a dialog: the frame asks pressMnemonic() before its
// menu bar sees the key.
#include <QKeySequence>

class QAbstractButton;
class QCoreApplication;
class QWidget;

namespace tarvelo::widgets {

// Acts on the visible, enabled control of window whose mnemonic is key (Alt and a letter or digit), as Qt
// does for an unambiguous one: a button is pressed (pressButton), a label's buddy or a group's first
// control takes the focus, a tab is shown. Returns false when no control of window has that mnemonic.
bool pressMnemonic(QWidget& window, const QKeySequence& key);

// Presses a button from the keyboard: the focus moves to it, and once the entry that lost the focus has
// completed, it is clicked, unless that entry refused its text and took the focus back. "Cancel" is
// clicked without taking the focus.
void pressButton(QAbstractButton& button);

// Makes every button mnemonic of the application press its button through pressButton(), drops a click on
// a button that lost to a refusing entry the focus its press gave it, keeps Enter from the default
// button when the entry it was typed in refused its text, and lets a window that closes leave its entries
// uncompleted.
void completeEntriesBeforeButtons(QCoreApplication& application);

}  // namespace tarvelo::widgets
