#include "reports/report_target.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "data/data_files.h"

namespace tarvelo::reports {
namespace {

namespace fs = std::filesystem;

// A file as the system knows it: its device and inode when it exists, and its folder's real path with
// its own name either way, so that a file not yet made is still known by where it would be.
struct Identity {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    std::string place;
};

Identity identify(const std::string& path) {
    Identity id;
    const fs::path followed = followLinks(path);
    std::error_code ec;
    const fs::path folder = fs::weakly_canonical(fs::absolute(followed, ec).parent_path(), ec);
    id.place = (folder / followed.filename()).lexically_normal().string();
    struct stat info {};
    if (::stat(followed.c_str(), &info) == 0) {
        id.exists = true;
        id.device = info.st_dev;
        id.inode = info.st_ino;
    }
    return id;
}

bool sameFile(const Identity& a, const Identity& b) {
    if (a.exists && b.exists) return a.device == b.device && a.inode == b.inode;
    return a.place == b.place;
}

}  // namespace

std::string followLinks(const std::string& path) {
    fs::path at = path;
    // As many hops as the system itself follows before it gives up (ELOOP).
    for (int hop = 0; hop < 40; ++hop) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(at, ec))) break;
        const fs::path target = fs::read_symlink(at, ec);
        if (ec) break;
        at = target.is_absolute() ? target : at.parent_path() / target;
    }
    return at.string();
}

std::optional<std::string> reportTargetProblem(const std::string& path, const std::string& dataFolder) {
    const Identity target = identify(path);
    for (const std::string& own : programFiles(dataFolder)) {
        if (sameFile(target, identify(own))) {
            return "it is one of the program's own files (" + fs::path(own).filename().string() + ")";
        }
    }
    struct stat info {};
    const std::string followed = followLinks(path);
    if (::stat(followed.c_str(), &info) != 0) return std::nullopt;  // a new file: the writer says what fails
    if (!S_ISREG(info.st_mode)) return std::string("it is not a regular file");
    if (::access(followed.c_str(), W_OK) != 0) return std::string("it is read-only");
    return std::nullopt;
}

}  // namespace tarvelo::reports
