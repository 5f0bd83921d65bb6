#pragma once
// The data files of the data folder as a command uses them: the data layer's messages are printed on
// standard error and answered at once (see addAnswerOption), and a message that stops the program ends
// the process with its stop text and exit code 3.
#include <cstdio>
#include <optional>
#include <string>

#include "data/data_files.h"
#include "data/data_warning.h"
#include "platform/terminal/exit_halt.h"
#include "platform/terminal/text_message_box.h"

namespace tarvelo::cli {

// The exit code of a command whose write failed (its message is out): kBusyExitCode when the file stayed
// busy and the wait for it was given up, else 1.
inline int failureExitCode(const store::Status& failure) {
    return store::isBusy(failure) ? platform::kBusyExitCode : 1;
}

// The folder of the data files, set once from --data-folder or --xdg-data before a command runs; "" is
// the current folder.
const std::string& dataFolder();
void setDataFolder(std::string folder);

struct DataFolder {
    explicit DataFolder(std::optional<int> answer = std::nullopt) : messages(stderr, answer) {}

    platform::TextMessageBox messages;
    platform::ExitHalt halt;
    DataWarning warn{messages, halt};
    DataFiles files{warn, dataFolder()};
};

}  // namespace tarvelo::cli
