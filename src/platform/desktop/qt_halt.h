#pragma once
// The end of the desktop program after a fatal error: the stop text on stderr, exit code 1. The caller
// has shown its message box already. No destructor runs: the storage survives an abrupt end.
#include "platform/ports.h"

namespace tarvelo::platform {

class QtHalt : public HaltPort {
public:
    [[noreturn]] void halt(const std::string& stopText) override;
    // The user's choice: the text on stderr, exit code 1, as after a halt.
    [[noreturn]] void giveUp(const std::string& text) override;
};

}  // namespace tarvelo::platform
