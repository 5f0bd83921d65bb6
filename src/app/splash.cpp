#include "app/splash.h"

#include <QFile>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include "widgets/window_placement.h"

namespace tarvelo::app {

Splash::Splash(QWidget* over, int shownMilliseconds)
    : QWidget(over, Qt::SplashScreen | Qt::FramelessWindowHint),
      m_text(QStringLiteral("Getting your schedule ready...")) {
    const QString picture = QStringLiteral(":/pictures/splash.svg");
    if (QFile::exists(picture)) m_picture.load(picture);
    setAttribute(Qt::WA_DeleteOnClose);
    // The keyboard stays with the frame: typing at start-up goes to the menu, not to the picture.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFont(widgets::windowFont());
    setFixedSize(widgets::dialogSize(*this, 283, 57));

    // The frame may not be placed yet; the centre of its screen is where a window manager puts it.
    QScreen* screen = over != nullptr ? over->screen() : QGuiApplication::primaryScreen();
    if (screen != nullptr) move(screen->availableGeometry().center() - rect().center());

    QTimer::singleShot(shownMilliseconds, this, &QWidget::close);
}

Splash* Splash::start(QWidget* over, int shownMilliseconds) {
    auto* splash = new Splash(over, shownMilliseconds);
    splash->show();
    splash->raise();
    return splash;
}

void Splash::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0x12, 0x3a, 0x6b));
    if (m_picture.isValid()) m_picture.render(&painter, rect());

    QFont arial(QStringLiteral("Arial"));
    arial.setStyleHint(QFont::SansSerif);
    arial.setPixelSize(qMax(10, height() / 7));
    painter.setFont(arial);
    painter.setPen(QColor(0xd6, 0xe6, 0xf7));
    const QRect line(width() * 27 / 100, height() * 62 / 100, width() * 70 / 100, height() * 25 / 100);
    painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, m_text);
    painter.setPen(QColor(0x0d, 0x27, 0x47));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void Splash::mousePressEvent(QMouseEvent* event) {
    event->accept();
    close();
}

}  // namespace tarvelo::app
