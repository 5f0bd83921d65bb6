#pragma once
// The command line's program stop: the stop text on stderr, then exit status kHaltExitCode.
#include "ui/ports.h"

namespace tarvelo::ui {

inline constexpr int kHaltExitCode = 3;

class ExitHalt : public HaltPort {
public:
    [[noreturn]] void halt(const std::string& stopText) override;
};

}  // namespace tarvelo::ui
