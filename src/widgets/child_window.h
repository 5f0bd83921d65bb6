#pragma once
// Windows the frame starts (browses, wizards, message windows) live inside its document area as
// sub-windows, so that the Window menu's Tile, Cascade and Arrange Icons reach them; windows that are run
// (forms, the calendar, message boxes) stay modal dialogs and never come here.
//
//   auto* window = new BrowseTodo(...);             // deleted when it closes
//   widgets::showStartedWindow(window, frame.mdiArea());
//
// Closing the sub-window (its close box, Tile's neighbour's Ctrl+F4) closes the window first, so the
// window's own closeEvent or done() runs and can refuse; a window that closes itself or is deleted takes
// its sub-window along. A window keeps its position through positionedWidget(): the sub-window it sits
// in, or itself when it is a window of its own.
#include <QWidget>

class QMdiArea;
class QMdiSubWindow;

namespace tarvelo::widgets {

// Shows window inside host when host is a document area, else as a window of its own over host. The
// window is deleted when it closes. Returns its sub-window (nullptr outside a document area).
QMdiSubWindow* showStartedWindow(QWidget* window, QWidget* host);

// Adds window to area as a sub-window sized to the window's present size (the size its layout asks for
// when it was never resized), no larger than the area, placed by the area where it fits, and shows it.
QMdiSubWindow* openChildWindow(QMdiArea& area, QWidget* window);

// The widget whose position and size are kept for window.
QWidget& positionedWidget(QWidget& window);

}  // namespace tarvelo::widgets
