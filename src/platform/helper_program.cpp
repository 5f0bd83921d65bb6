#include "platform/helper_program.h"

#include <unistd.h>

#include <filesystem>

namespace tarvelo::platform {

std::string runningProgram() {
    char path[4096];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    return n > 0 ? std::string(path, static_cast<std::size_t>(n)) : std::string();
}

std::string helperProgram(const std::string& name) {
    const std::filesystem::path folder = std::filesystem::path(runningProgram()).parent_path();
    const std::filesystem::path beside = folder / name;
    if (::access(beside.c_str(), X_OK) == 0) return beside.string();
    return (folder / TARVELO_HELPERS_FROM_PROGRAMS / name).lexically_normal().string();
}

}  // namespace tarvelo::platform
