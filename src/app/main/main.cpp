// tarvelo96: the desktop scheduler. It takes nothing on its command line; its data files live in the
// current folder.
#include <QApplication>

#include "app/desktop.h"
#include "core/settings.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Tarvelo '96"));
    QCoreApplication::setApplicationVersion(QStringLiteral("0.1"));
    tarvelo::Settings settings = tarvelo::startUpSettings();
    return tarvelo::app::runDesktop(app, settings);
}
