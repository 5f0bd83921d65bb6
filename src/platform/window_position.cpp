#include "platform/window_position.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>

#include "core/fixed_text.h"
#include "core/profile.h"

namespace tarvelo::platform {

namespace {

// value * numerator / denominator rounded half away from zero, in 64 bits so no window size overflows.
int scaleRounded(int value, int numerator, int denominator) {
    if (denominator <= 0) denominator = 1;
    const std::int64_t product = static_cast<std::int64_t>(value) * numerator;
    const std::int64_t half = denominator / 2;
    const std::int64_t result = product >= 0 ? (product + half) / denominator : -((-product + half) / denominator);
    return static_cast<int>(std::clamp<std::int64_t>(result, std::numeric_limits<int>::min(),
                                                     std::numeric_limits<int>::max()));
}

int widthOrOne(int pixels) { return pixels > 0 ? pixels : 1; }

constexpr int kUnitsPerCharWidth = 4;
constexpr int kUnitsPerCharHeight = 8;

}  // namespace

WindowRect toDialogUnits(const WindowRect& pixels, const DialogBase& base) {
    const int cx = widthOrOne(base.averageCharWidth);
    const int cy = widthOrOne(base.charHeight);
    return {scaleRounded(pixels.x, kUnitsPerCharWidth, cx), scaleRounded(pixels.y, kUnitsPerCharHeight, cy),
            scaleRounded(pixels.width, kUnitsPerCharWidth, cx), scaleRounded(pixels.height, kUnitsPerCharHeight, cy)};
}

WindowRect toPixels(const WindowRect& units, const DialogBase& base) {
    const int cx = widthOrOne(base.averageCharWidth);
    const int cy = widthOrOne(base.charHeight);
    return {scaleRounded(units.x, cx, kUnitsPerCharWidth), scaleRounded(units.y, cy, kUnitsPerCharHeight),
            scaleRounded(units.width, cx, kUnitsPerCharWidth), scaleRounded(units.height, cy, kUnitsPerCharHeight)};
}

namespace {

// The start of a span of `length` within [areaStart, areaStart + areaLength), moved as little as possible.
int fitSpan(int start, int length, int areaStart, int areaLength) {
    if (length >= areaLength) return areaStart;
    const std::int64_t last = std::int64_t{areaStart} + areaLength - length;
    return static_cast<int>(std::clamp<std::int64_t>(start, areaStart, last));
}

}  // namespace

WindowRect fitInto(const WindowRect& wanted, const WindowRect& area, bool resizable) {
    if (area.width <= 0 || area.height <= 0) return wanted;
    WindowRect r = wanted;
    if (resizable) {
        r.width = std::min(r.width, area.width);
        r.height = std::min(r.height, area.height);
    }
    r.x = fitSpan(r.x, r.width, area.x, area.width);
    r.y = fitSpan(r.y, r.height, area.y, area.height);
    return r;
}

void restoreWindowPosition(PositionedWindow& window, const ProfileFile& ini, std::string_view section) {
    if (profileNumber(ini.read(section, "XPosit")) == 0) return;

    if (!window.isMaximized()) {
        const DialogBase base = window.dialogBase();
        const int x = profileNumber(ini.read(section, "XPosit"));
        const int y = profileNumber(ini.read(section, "YPosit"));
        if (x != 0 && y != 0) {
            WindowRect pixels = toPixels({x, y, 0, 0}, base);
            bool move = true;
            if (window.isResizable()) {
                const int width = profileNumber(ini.read(section, "Width"));
                const int height = profileNumber(ini.read(section, "Height"));
                move = width != 0 && height != 0;
                const WindowRect size = toPixels({0, 0, width, height}, base);
                pixels.width = size.width;
                pixels.height = size.height;
            } else {
                // A window of fixed size keeps the size it was designed with.
                const WindowRect present = window.normalRect();
                pixels.width = present.width;
                pixels.height = present.height;
            }
            if (move) window.setNormalRect(fitInto(pixels, window.availableArea(pixels), window.isResizable()));
        }
    }

    window.setMaximized(trimRight(ini.read(section, "Maximize")) == "Yes");
}

void saveWindowPosition(const PositionedWindow& window, ProfileFile& ini, std::string_view section) {
    if (window.isMinimized()) return;
    const bool maximized = window.isMaximized();
    const WindowRect units = toDialogUnits(window.normalRect(), window.dialogBase());
    const std::string x = std::to_string(units.x), y = std::to_string(units.y);
    const std::string width = std::to_string(units.width), height = std::to_string(units.height);
    const std::pair<std::string_view, std::string_view> keys[] = {
        {"Maximize", maximized ? "Yes" : "No"}, {"XPosit", x}, {"YPosit", y}, {"Width", width}, {"Height", height}};
    // A position is a convenience: when the file cannot be written the window reopens where it last
    // did, and closing it is not held up by a box about it.
    if (!ini.writeKeys(section, keys)) return;
}

}  // namespace tarvelo::platform
