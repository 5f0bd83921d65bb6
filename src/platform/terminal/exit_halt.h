#pragma once
// The command line's program stop: the stop text on stderr, then exit status kHaltExitCode; or, when the
// user gave up waiting for a busy file, kBusyExitCode.
#include "platform/ports.h"

namespace tarvelo::platform {

inline constexpr int kHaltExitCode = 3;
inline constexpr int kBusyExitCode = 5;

class ExitHalt : public HaltPort {
public:
    [[noreturn]] void halt(const std::string& stopText) override;
    [[noreturn]] void giveUp(const std::string& text) override;
};

}  // namespace tarvelo::platform
