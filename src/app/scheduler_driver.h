#pragma once
// The frame's timer driving the scheduler, as the program wires them: each tick runs the scheduler's
// steps, and a tick whose write failed (nothing of it was performed) leaves a note in the status bar
// saying that the schedule could not be saved, until a later tick succeeds. Menu help lines borrow the
// bar meanwhile; the next failing tick puts the note back.
namespace tarvelo {
class Scheduler;
}

namespace tarvelo::app {

class MainFrame;

// REQUIRES: scheduler outlives the frame's ticks.
void driveScheduler(MainFrame& frame, Scheduler& scheduler);

}  // namespace tarvelo::app
