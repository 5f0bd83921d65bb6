#include "core/data_folder.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "core/profile.h"

namespace tarvelo {

std::string xdgDataFolder() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    // A relative XDG_DATA_HOME is to be ignored.
    if (xdg && xdg[0] == '/') return std::string(xdg) + "/tarvelo96";
    return homeFolder() + "/.local/share/tarvelo96";
}

std::optional<std::string> prepareDataFolder(const std::string& folder) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::is_directory(folder, ec)) return std::nullopt;
    if (fs::exists(folder, ec)) return folder + ": not a folder";
    // Each missing folder on the way is made owner-only too: mkdir under the umask, then chmod, since a
    // umask of 0 would otherwise leave it open for a moment and a umask of 077 is no business of ours.
    fs::path made;
    for (const fs::path& part : fs::path(folder)) {
        made /= part;
        if (fs::is_directory(made, ec)) continue;
        if (::mkdir(made.c_str(), 0700) != 0) {
            if (errno == EEXIST) continue;  // made by another program meanwhile: its mode is its own
            return made.string() + ": " + std::strerror(errno);
        }
        if (::chmod(made.c_str(), 0700) != 0) return made.string() + ": " + std::strerror(errno);
    }
    return std::nullopt;
}

std::string canonicalFolder(const std::string& folder) {
    std::error_code ec;
    const std::filesystem::path path = std::filesystem::canonical(folder.empty() ? "." : folder, ec);
    return ec ? folder : path.string();
}

}  // namespace tarvelo
