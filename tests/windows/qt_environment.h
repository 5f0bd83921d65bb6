#pragma once
// The window tests run on Qt's offscreen platform with one QApplication for the whole binary, and with the
// INI files in a folder of their own, so no test reads or writes the user's positions.
#include <string>

class QWidget;

namespace tarvelo::test {

// The folder the INI files of this test binary live in (XDG_CONFIG_HOME/tarvelo96).
std::string iniFolder();
// A fresh, empty folder for one test's files; removed when the binary ends.
std::string freshFolder(const std::string& name);
// Removes every INI file, so the next test starts as on a first run.
void clearIniFiles();
// A left click on a control as the window system delivers it: to the control's window, which finds the
// control under the mouse (QTest's widget clicks skip that step, and what the application sees of it).
void clickThroughWindow(QWidget& control);

}  // namespace tarvelo::test
