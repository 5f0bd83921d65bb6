#pragma once
// The program's clock icon, for the frame and every window of its own.
#include <QFile>
#include <QIcon>

namespace tarvelo::widgets {

inline QIcon programIcon() {
    static const QString path = QStringLiteral(":/icons/clock.svg");
    // Programs built without the resources (the tests) get no icon rather than a warning per window.
    return QFile::exists(path) ? QIcon(path) : QIcon();
}

}  // namespace tarvelo::widgets
