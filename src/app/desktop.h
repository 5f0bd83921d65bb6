#pragma once
// The desktop program from the settings on: the tables the frame holds, the frame with its splash, the
// Qt adapters of the ports, the tick, and the ways the program ends.
#include <QApplication>
#include <string>

#include "core/settings.h"

namespace tarvelo::app {

// How the program was started: the folder of its data files ("" for the current folder), and whether it
// starts minimized whatever Setup says (the autostart entry).
struct DesktopStart {
    std::string folder;
    bool minimized = false;
};

// Runs the frame until it closes; returns the exit code.
int runDesktop(QApplication& app, Settings& settings, const DesktopStart& start);

}  // namespace tarvelo::app
