// tarvelo96: the desktop scheduler. Started by hand it works on the data files of the current folder;
// the installed launchers name the user's data folder (--xdg-data), and the autostart entry starts it
// only when Setup asks for it (--autostart).
#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>

#include "app/desktop.h"
#include "core/data_folder.h"
#include "core/settings.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Tarvelo '96"));
    QCoreApplication::setApplicationVersion(QStringLiteral("0.1"));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.tarvelo96"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("The desktop task scheduler."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption folderOption(QStringLiteral("data-folder"),
                                          QStringLiteral("The folder of the data files (made owner-only when missing) "
                                                         "instead of the current folder."),
                                          QStringLiteral("DIR"));
    const QCommandLineOption xdgOption(QStringLiteral("xdg-data"),
                                       QStringLiteral("The data files in $XDG_DATA_HOME/tarvelo96, as the menu entry "
                                                      "keeps them."));
    const QCommandLineOption autostartOption(
        QStringLiteral("autostart"),
        QStringLiteral("Start minimized on the --xdg-data folder when Setup's \"Start at login\" is on; else end at once."));
    parser.addOptions({folderOption, xdgOption, autostartOption});
    parser.process(app);

    tarvelo::Settings settings = tarvelo::startUpSettings();
    const bool autostart = parser.isSet(autostartOption);
    if (autostart && !settings.startAtLogin) return 0;
    if (parser.isSet(folderOption) && (parser.isSet(xdgOption) || autostart)) {
        std::fputs("tarvelo96: --data-folder excludes --xdg-data and --autostart\n", stderr);
        return 2;
    }
    std::string folder = parser.value(folderOption).toStdString();
    if (parser.isSet(xdgOption) || autostart) folder = tarvelo::xdgDataFolder();
    if (!folder.empty()) {
        if (const auto problem = tarvelo::prepareDataFolder(folder)) {
            std::fprintf(stderr, "tarvelo96: the data folder cannot be used: %s\n", problem->c_str());
            return 1;
        }
    }
    return tarvelo::app::runDesktop(app, settings, {folder, autostart});
}
