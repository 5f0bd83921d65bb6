#pragma once
// The desktop program from the settings on: the tables the frame holds, the frame with its splash, the
// Qt adapters of the ports, the tick, and the ways the program ends.
#include <QApplication>

#include "core/settings.h"

namespace tarvelo::app {

// Runs the frame until it closes; returns the exit code.
int runDesktop(QApplication& app, Settings& settings);

}  // namespace tarvelo::app
