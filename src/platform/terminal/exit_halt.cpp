#include "platform/terminal/exit_halt.h"

#include <cstdio>
#include <cstdlib>

namespace tarvelo::platform {

namespace {

[[noreturn]] void endWith(const std::string& text, int code) {
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stdout);
    std::fflush(stderr);
    std::exit(code);
}

}  // namespace

void ExitHalt::halt(const std::string& stopText) { endWith(stopText, kHaltExitCode); }

void ExitHalt::giveUp(const std::string& text) { endWith(text, kBusyExitCode); }

}  // namespace tarvelo::platform
