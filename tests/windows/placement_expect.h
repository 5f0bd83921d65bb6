#pragma once
// Positions are kept in dialog units, so a reopened window is where it was to within one unit.
#include <QRect>
#include <QWidget>
#include <gtest/gtest.h>

#include "widgets/window_placement.h"

namespace tarvelo::test {

inline void expectWithinOneUnit(const QRect& actual, const QRect& expected, const QWidget& window) {
    const platform::DialogBase base = widgets::dialogBase(window.font());
    const int dx = base.averageCharWidth / 4 + 1;
    const int dy = base.charHeight / 8 + 1;
    EXPECT_NEAR(actual.x(), expected.x(), dx);
    EXPECT_NEAR(actual.y(), expected.y(), dy);
    EXPECT_NEAR(actual.width(), expected.width(), dx);
    EXPECT_NEAR(actual.height(), expected.height(), dy);
}

}  // namespace tarvelo::test
