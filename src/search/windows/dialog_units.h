#pragma once
// Placing a search window's controls in dialog units of its font, as the window layouts give them.
#include <QRect>
#include <QWidget>

#include "widgets/window_placement.h"

namespace tarvelo::search {

inline QRect unitsRect(const QWidget& window, int x, int y, int width, int height) {
    const QSize origin = widgets::dialogSize(window, x, y);
    return {QPoint(origin.width(), origin.height()), widgets::dialogSize(window, width, height)};
}

}  // namespace tarvelo::search
