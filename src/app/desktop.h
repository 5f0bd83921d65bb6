#pragma once
// The desktop program from the settings on: the tables the frame holds, the frame with its splash, the
// Qt adapters of the ports, the tick, and the ways the program ends.
#include <QApplication>
#include <string>

#include "core/settings.h"
#include "data/data_files.h"
#include "platform/desktop/qt_program_start.h"

namespace tarvelo::app {

// How the program was started: the folder of its data files ("" for the current folder), and whether it
// starts minimized whatever Setup says (the autostart entry).
struct DesktopStart {
    std::string folder;
    bool minimized = false;
};

// Runs the frame until it closes; returns the exit code.
int runDesktop(QApplication& app, Settings& settings, const DesktopStart& start);

// Starts the programs of data's tasks under tarvelo96-cli's watcher, found beside this program, and
// marks the runs whose watcher is gone. The run log table must be in use.
void watchPrograms(platform::QtProgramStart& programs, DataFiles& data, const platform::Platform& ports);

}  // namespace tarvelo::app
