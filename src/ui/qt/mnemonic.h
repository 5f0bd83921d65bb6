#pragma once
// Mnemonics of a window inside the frame's document area. The frame's menu bar and the active child window
// are one top-level window to Qt, so a letter underlined in both ("&Reports" and "&Run Now") is an ambiguous
// shortcut that Qt gives to the menu bar first. The window the user works in wins instead, as it does in a
// dialog: the frame asks pressMnemonic() before its menu bar sees the key.
#include <QKeySequence>

class QWidget;

namespace tarvelo::ui {

// Acts on the visible, enabled control of window whose mnemonic is key (Alt and a letter or digit), as Qt
// does for an unambiguous one: a button is clicked, a label's buddy or a group's first control takes the
// focus, a tab is shown. Returns false when no control of window has that mnemonic.
bool pressMnemonic(QWidget& window, const QKeySequence& key);

}  // namespace tarvelo::ui
