#pragma once
// The platform of a command that acts as the scheduler without a display: every effect on the user a JSON
// line on standard output (see json_events.h), each box answered at once, programs started for real, the
// system clock or one that stands still, and no file chooser. A fatal error ends the process.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ports.h"
#include "platform/terminal/exit_halt.h"
#include "platform/terminal/json_events.h"
#include "platform/terminal/posix_program_start.h"

namespace tarvelo::platform {

// A terminal has no file chooser: nothing is ever chosen.
class NoFileDialog : public FileDialogPort {
public:
    std::optional<std::string> openFile(const std::string&, const std::vector<FileFilter>&, const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> saveFile(const std::string&, const std::vector<FileFilter>&, const std::string&) override {
        return std::nullopt;
    }
};

// Members in the order they depend on one another. Not copyable: platform() refers to the members.
struct JsonPlatform {
    // at: the moment the clock stands at instead of now; answer: the button every box is answered with
    // when it offers it (else its default button).
    JsonPlatform(std::optional<Moment> at, std::optional<int> answer);
    JsonPlatform(const JsonPlatform&) = delete;
    JsonPlatform& operator=(const JsonPlatform&) = delete;

    JsonEventSink sink{stdout};
    JsonFrame frame{sink};
    JsonMessageBox messages;
    JsonSound sound{sink};
    JsonMessageWindows messageWindows{sink};
    PosixProgramStart starter;
    JsonProgramStart programs{sink, starter};
    std::unique_ptr<ClockPort> clock;
    ExitHalt halt;
    NoFileDialog fileDialog;
    JsonNotifications notifications{sink};
    Platform platform{messages, *clock, sound, programs, frame, messageWindows, fileDialog, halt, notifications};
};

}  // namespace tarvelo::platform
