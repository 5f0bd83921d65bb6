#include "platform/desktop/qt_halt.h"

#include <cstdio>
#include <cstdlib>

namespace tarvelo::platform {

void QtHalt::halt(const std::string& stopText) {
    std::fprintf(stderr, "%s\n", stopText.c_str());
    std::fflush(nullptr);
    std::_Exit(EXIT_FAILURE);
}

void QtHalt::giveUp(const std::string& text) {
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(nullptr);
    std::_Exit(EXIT_FAILURE);
}

}  // namespace tarvelo::platform
