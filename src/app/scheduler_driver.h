#pragma once
// The frame's timer driving the scheduler, as the program wires them: each tick runs the scheduler's
// steps, and a tick with a step that could not store what it had to leaves a note in the status bar
// saying which (the schedule: nothing of the task performed; the advance warning; the removal of expired
// copies), until a later tick succeeds. Menu help lines borrow the
// bar meanwhile; the next failing tick puts the note back. While a scheduler without a window runs on the
// same data folder, a lasting note at the bar's end says so.
#include <string>

namespace tarvelo {
class Scheduler;
}

namespace tarvelo::app {

class MainFrame;

inline constexpr const char* kRunsElsewhereText = "The scheduler runs elsewhere too";

// REQUIRES: scheduler outlives the frame's ticks. folder: the data folder ("" the current one).
void driveScheduler(MainFrame& frame, Scheduler& scheduler, const std::string& folder);

}  // namespace tarvelo::app
