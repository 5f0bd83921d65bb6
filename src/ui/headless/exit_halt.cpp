#include "ui/headless/exit_halt.h"

#include <cstdio>
#include <cstdlib>

namespace tarvelo::ui {

void ExitHalt::halt(const std::string& stopText) {
    std::fprintf(stderr, "%s\n", stopText.c_str());
    std::fflush(stdout);
    std::fflush(stderr);
    std::exit(kHaltExitCode);
}

}  // namespace tarvelo::ui
