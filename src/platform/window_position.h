#pragma once
// Remembering where the user left a window: one section of the main INI file per window, named after
// the window's procedure ("Main", "ShowMessage", "BrowseSchedule", ...), with the keys Maximize ("Yes" or
// "No"), XPosit, YPosit, Width and Height. Positions and sizes are stored in the window's dialog units: a
// horizontal unit is a quarter of the average character width of the window's font, a vertical unit an
// eighth of its character height. An XPosit or YPosit of 0 (or an absent key) means "no position stored",
// so a window left exactly at 0 on either axis is not moved when it reopens. A restored window always lands
// on the area it may occupy (the screen, or the frame's document area for a sub-window), whatever the file
// says: a position off every screen, or a size larger than the screen, is brought back onto it.
//
// Plain logic over ProfileFile and a window described by PositionedWindow; src/widgets adapts a QWidget.
#include <string_view>

namespace tarvelo {

class ProfileFile;

namespace platform {

// The pixel size of one character of a window's font, which dialog units are measured in.
struct DialogBase {
    int averageCharWidth = 0;
    int charHeight = 0;
    friend bool operator==(const DialogBase&, const DialogBase&) = default;
};

struct WindowRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const WindowRect&, const WindowRect&) = default;
};

// Pixels to dialog units and back, rounded to the nearest unit (pixel), each value held to the range of
// int. A base of 0 counts as 1 pixel, so a window whose font cannot be measured still gets sensible numbers.
WindowRect toDialogUnits(const WindowRect& pixels, const DialogBase& base);
WindowRect toPixels(const WindowRect& units, const DialogBase& base);

// What the procedures need of a window; all rectangles in pixels.
class PositionedWindow {
public:
    virtual ~PositionedWindow() = default;
    virtual bool isMaximized() const = 0;
    virtual bool isMinimized() const = 0;
    // The position and size the window has (or will have again) when it is neither maximized nor
    // minimized.
    virtual WindowRect normalRect() const = 0;
    virtual void setNormalRect(const WindowRect& rect) = 0;
    // Whether the user can change the window's size.
    virtual bool isResizable() const = 0;
    virtual void setMaximized(bool maximized) = 0;
    virtual DialogBase dialogBase() const = 0;
    // The area, in pixels, where the window may be put at `wanted`: the available part of the screen
    // that holds wanted's centre (else the window's own screen) for a top-level window, the document area
    // for a sub-window. An empty rectangle when there is none to go by.
    virtual WindowRect availableArea(const WindowRect& wanted) const = 0;
};

// wanted moved (and, when resizable, shrunk) as little as possible so that it lies inside area. A window
// larger than an area it cannot shrink to goes to the area's top left corner, so its title bar is on it.
// An empty area leaves wanted as it is.
WindowRect fitInto(const WindowRect& wanted, const WindowRect& area, bool resizable);

// Called right after the window is opened. Moves (and, for a resizable window, sizes) it to the stored
// normal rectangle unless it is maximized, then maximizes it or makes sure it is not, as stored. With no
// stored XPosit nothing at all is changed.
void restoreWindowPosition(PositionedWindow& window, const ProfileFile& ini, std::string_view section);

// Called before the window is closed. Writes Maximize and the normal rectangle, in that order, in one
// rewrite of the file; a window that is minimized writes nothing, so it reopens where it last was in
// normal or maximized state. Write failures are not reported.
void saveWindowPosition(const PositionedWindow& window, ProfileFile& ini, std::string_view section);

}  // namespace platform
}  // namespace tarvelo
