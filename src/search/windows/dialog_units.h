#pragma once
// Placing a search window's controls in dialog units of its font, as the window layouts give them.
#include <QRect>
#include <QWidget>

#include "ui/qt/window_placement.h"

namespace tarvelo::search {

inline QRect unitsRect(const QWidget& window, int x, int y, int width, int height) {
    const QSize origin = ui::dialogSize(window, x, y);
    return {QPoint(origin.width(), origin.height()), ui::dialogSize(window, width, height)};
}

}  // namespace tarvelo::search
