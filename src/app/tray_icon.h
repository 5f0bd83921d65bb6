#pragma once
// The program's icon in the desktop's system tray, where the desktop has one: its tip names the next
// task the scheduler will perform and when; its menu opens the frame, switches the scheduler on and off
// (Setup's "Scheduler active", saved as Setup saves it), performs the next task now as Run Now does, and
// ends the program. Closing the frame still ends the program; a frame started minimized waits in the
// tray instead of the task bar.
#include <QObject>
#include <QString>

#include "core/settings.h"
#include "platform/ports.h"

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace tarvelo {
class DataFiles;
class ProfileFile;
}

namespace tarvelo::app {

class MainFrame;

class TrayIcon : public QObject {
    Q_OBJECT
public:
    // REQUIRES: everything given outlives the icon. The icon itself is shown only where the desktop has
    // a tray (isShown()); the menu and the tip are kept either way.
    TrayIcon(MainFrame& frame, DataFiles& data, Settings& settings, ProfileFile& mainIni, const platform::Platform& ports);
    ~TrayIcon() override;

    bool isShown() const { return m_icon != nullptr; }
    QMenu* menu() const { return m_menu; }
    QAction* activeAction() const { return m_active; }
    QString toolTip() const { return m_tip; }
    // Reads the next task afresh for the tip, and the setting for the menu.
    void refresh();
    void open();
    void runNextTaskNow();

private:
    MainFrame& m_frame;
    DataFiles& m_data;
    Settings& m_settings;
    ProfileFile& m_mainIni;
    platform::Platform m_ports;
    QMenu* m_menu = nullptr;
    QAction* m_active = nullptr;
    QSystemTrayIcon* m_icon = nullptr;
    QString m_tip;
};

}  // namespace tarvelo::app
