#pragma once
// The end of the desktop program after a fatal error: the stop text on stderr, exit code 1. The caller
// has shown its message box already. No destructor runs: the storage survives an abrupt end.
#include "ui/ports.h"

namespace tarvelo::ui {

class QtHalt : public HaltPort {
public:
    [[noreturn]] void halt(const std::string& stopText) override;
};

}  // namespace tarvelo::ui
