#include "widgets/window_placement.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>

#include "core/profile.h"

namespace tarvelo::widgets {

platform::DialogBase dialogBase(const QFont& font) {
    const QFontMetrics metrics(font);
    return {metrics.averageCharWidth(), metrics.height()};
}

QSize dialogSize(const QWidget& widget, int widthUnits, int heightUnits) {
    const platform::WindowRect px = platform::toPixels({0, 0, widthUnits, heightUnits}, dialogBase(widget.font()));
    return {px.width, px.height};
}

int dialogWidth(const QWidget& widget, int widthUnits) { return dialogSize(widget, widthUnits, 0).width(); }

QFont windowFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    return font;
}

int titleBarWidth(const QWidget& window) {
    QFont font = QApplication::font();
    font.setBold(true);
    const QFontMetrics metrics(font);
    // The three buttons are squares about as high as the bar, each with a little room around; a title
    // centred in the bar keeps as much room on the icon's side as on the buttons'.
    const int square = metrics.height() + 10;
    return metrics.horizontalAdvance(window.windowTitle()) + 6 * square + 2 * metrics.averageCharWidth();
}

bool WidgetWindow::isMaximized() const { return m_widget.isMaximized(); }

bool WidgetWindow::isMinimized() const { return m_widget.isMinimized(); }

WidgetWindow::WidgetWindow(QWidget& widget) : m_widget(widget) {
    if (widget.isWindow() || !(widget.windowState() & (Qt::WindowMaximized | Qt::WindowMinimized))) return;
    // A sub-window keeps its normal geometry to itself while it is maximized or minimized; it changes state
    // at once (no window manager involved), so it can be brought back for a moment to be measured.
    const Qt::WindowStates state = widget.windowState();
    widget.setWindowState(Qt::WindowNoState);
    m_subWindowNormal = widget.geometry();
    widget.setWindowState(state);
}

platform::WindowRect WidgetWindow::normalRect() const {
    QRect r = m_widget.geometry();
    if (m_subWindowNormal.isValid()) {
        r = m_subWindowNormal;
    } else if (m_widget.isWindow() && m_widget.normalGeometry().isValid()) {
        // For a maximized top-level window this is the geometry it will get back; otherwise geometry().
        r = m_widget.normalGeometry();
    }
    return {r.x(), r.y(), r.width(), r.height()};
}

void WidgetWindow::setNormalRect(const platform::WindowRect& rect) {
    m_widget.setGeometry(rect.x, rect.y, rect.width, rect.height);
}

bool WidgetWindow::isResizable() const { return m_widget.minimumSize() != m_widget.maximumSize(); }

void WidgetWindow::setMaximized(bool maximized) {
    const Qt::WindowStates state = m_widget.windowState();
    if (maximized) {
        m_widget.setWindowState(state | Qt::WindowMaximized);
    } else if (state & Qt::WindowMaximized) {
        m_widget.setWindowState(state & ~Qt::WindowMaximized);
    }
}

platform::DialogBase WidgetWindow::dialogBase() const { return widgets::dialogBase(m_widget.font()); }

platform::WindowRect WidgetWindow::availableArea(const platform::WindowRect& wanted) const {
    QRect area;
    if (!m_widget.isWindow()) {
        // A sub-window lives in the document area's viewport, in its coordinates.
        if (const QWidget* parent = m_widget.parentWidget()) area = parent->rect();
    } else {
        const auto middle = [](int start, int length) {
            return static_cast<int>(std::clamp<std::int64_t>(std::int64_t{start} + length / 2,
                                                             std::numeric_limits<int>::min(),
                                                             std::numeric_limits<int>::max()));
        };
        const QPoint centre(middle(wanted.x, wanted.width), middle(wanted.y, wanted.height));
        const QScreen* screen = QGuiApplication::screenAt(centre);
        if (!screen) screen = m_widget.screen();
        if (!screen) screen = QGuiApplication::primaryScreen();
        if (screen) area = screen->availableGeometry();
    }
    return {area.x(), area.y(), area.width(), area.height()};
}

void restoreWindowPosition(QWidget& window, const ProfileFile& ini, std::string_view section) {
    WidgetWindow adapted(window);
    restoreWindowPosition(static_cast<platform::PositionedWindow&>(adapted), ini, section);
}

void saveWindowPosition(QWidget& window, ProfileFile& ini, std::string_view section) {
    const WidgetWindow adapted(window);
    saveWindowPosition(static_cast<const platform::PositionedWindow&>(adapted), ini, section);
}

void restoreWindowPosition(QWidget& window, std::string_view section, std::string_view iniFile) {
    const ProfileFile ini{std::string(iniFile)};
    restoreWindowPosition(window, ini, section);
}

void saveWindowPosition(QWidget& window, std::string_view section, std::string_view iniFile) {
    ProfileFile ini{std::string(iniFile)};
    saveWindowPosition(window, ini, section);
}

}  // namespace tarvelo::widgets
