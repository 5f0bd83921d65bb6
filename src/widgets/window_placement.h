#pragma once
// Window positions for Qt windows: every window calls restoreWindowPosition right after it is created
// (before or after it is first shown) and saveWindowPosition when it closes, with the name of its INI
// section ("Main", "ShowMessage", "BrowseSchedule", ...). A window whose minimum and maximum sizes are
// equal counts as one whose size the user cannot change.
#include <string_view>

#include <QFont>
#include <QRect>
#include <QWidget>

#include "platform/window_position.h"

namespace tarvelo {
class ProfileFile;
}

namespace tarvelo::widgets {

// The INI file the positions are kept in unless a window is told otherwise.
inline constexpr std::string_view kPositionsFile = "Tarvelo96.INI";

void restoreWindowPosition(QWidget& window, std::string_view section, std::string_view iniFile = kPositionsFile);
void saveWindowPosition(QWidget& window, std::string_view section, std::string_view iniFile = kPositionsFile);
void restoreWindowPosition(QWidget& window, const ProfileFile& ini, std::string_view section);
void saveWindowPosition(QWidget& window, ProfileFile& ini, std::string_view section);

// The dialog-unit base of a font: its average character width and its height in pixels.
platform::DialogBase dialogBase(const QFont& font);
// A size given in dialog units of the widget's font, in pixels.
QSize dialogSize(const QWidget& widget, int widthUnits, int heightUnits);
int dialogWidth(const QWidget& widget, int widthUnits);

// The font every window of the program uses: the system's sans-serif face at 8 points.
QFont windowFont();

// How wide a window must be for its title bar to show its title whole: the title in the application's
// font, made bold as title bars draw it, between the window's icon and its three buttons.
int titleBarWidth(const QWidget& window);

// Adapts a QWidget (a top-level window or an MDI sub-window) to the position procedures.
class WidgetWindow : public platform::PositionedWindow {
public:
    explicit WidgetWindow(QWidget& widget);

    bool isMaximized() const override;
    bool isMinimized() const override;
    platform::WindowRect normalRect() const override;
    void setNormalRect(const platform::WindowRect& rect) override;
    bool isResizable() const override;
    void setMaximized(bool maximized) override;
    platform::DialogBase dialogBase() const override;
    platform::WindowRect availableArea(const platform::WindowRect& wanted) const override;

private:
    QWidget& m_widget;
    QRect m_subWindowNormal;  // valid for a maximized or minimized MDI sub-window only
};

}  // namespace tarvelo::widgets
