#pragma once
// The desktop program from the settings on: the tables the frame holds, the frame with its splash, the
// Qt adapters of the ports, the tick, and the ways the program ends.
#include <QApplication>

#include "core/settings.h"
#include "data/data_files.h"
#include "platform/desktop/qt_program_start.h"

namespace tarvelo::app {

// Runs the frame until it closes; returns the exit code.
int runDesktop(QApplication& app, Settings& settings);

// Starts the programs of data's tasks under tarvelo96-cli's watcher, found beside this program, and
// marks the runs whose watcher is gone. The run log table must be in use.
void watchPrograms(platform::QtProgramStart& programs, DataFiles& data, const platform::Platform& ports);

}  // namespace tarvelo::app
