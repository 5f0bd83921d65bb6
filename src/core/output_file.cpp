#include "core/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace tarvelo {
namespace {

namespace fs = std::filesystem;

std::string errnoText(int error) { return std::strerror(error); }

// Why a file that exists cannot be written or read as one: nothing for a regular file.
std::string notRegular(const struct stat& st) {
    if (S_ISREG(st.st_mode)) return {};
    if (S_ISDIR(st.st_mode)) return "it is a folder, not a file";
    if (S_ISFIFO(st.st_mode)) return "it is a FIFO, not a regular file";
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) return "it is a device, not a regular file";
    return "it is not a regular file";
}

// The path with every link followed, as far as the path exists.
std::string resolved(const std::string& path) {
    std::error_code ec;
    const fs::path p = fs::weakly_canonical(fs::absolute(path, ec), ec);
    return ec ? path : p.string();
}

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

// The mode a file created now would get: 0666 less the process's umask (read without changing it).
mode_t defaultMode() {
    mode_t mask = 022;
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("Umask:", 0) == 0) mask = static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
    }
    return 0666 & ~mask;
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

std::optional<std::string> ownFileProblem(const std::string& path, const std::vector<std::string>& keepOff) {
    const Identity target = identify(path);
    for (const std::string& own : keepOff) {
        if (sameFile(target, identify(own)))
            return "it is one of the program's own files (" + fs::path(own).filename().string() + ")";
    }
    return std::nullopt;
}

OutputFile::~OutputFile() {
    if (m_fd >= 0) ::close(m_fd);
    if (!m_temp.empty()) ::unlink(m_temp.c_str());
}

FileStatus OutputFile::fail(const std::string& why) {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
    if (!m_temp.empty()) ::unlink(m_temp.c_str());
    m_temp.clear();
    return {"cannot write " + m_target + ": " + why};
}

FileStatus OutputFile::open(const std::string& target, const std::vector<std::string>& keepOff) {
    m_target = target;
    if (const auto own = ownFileProblem(target, keepOff)) return fail(*own);
    struct stat st {};
    mode_t mode = defaultMode();
    if (::stat(target.c_str(), &st) == 0) {
        if (const std::string why = notRegular(st); !why.empty()) return fail(why);
        mode = st.st_mode & 07777;
    } else if (errno != ENOENT) {
        return fail(errnoText(errno));
    }
    m_final = resolved(target);
    const fs::path final(m_final);
    std::string temp = (final.parent_path() / ("." + final.filename().string() + ".XXXXXX")).string();
    m_fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (m_fd < 0) return fail(errnoText(errno));
    m_temp = temp;
    if (::fchmod(m_fd, mode) != 0) return fail(errnoText(errno));
    return {};
}

FileStatus OutputFile::write(std::string_view bytes) {
    if (m_fd < 0) return {"cannot write " + m_target + ": it is not open"};
    while (!bytes.empty()) {
        const ssize_t n = ::write(m_fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail(errnoText(errno));
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return {};
}

FileStatus OutputFile::commit() {
    if (m_temp.empty()) return {"cannot write " + m_target + ": it is not open"};
    if (m_fd >= 0) {
        if (::fsync(m_fd) != 0) return fail(errnoText(errno));
        const int closed = ::close(m_fd);
        m_fd = -1;
        if (closed != 0) return fail(errnoText(errno));
    }
    // A writer that wrote by name may have left a folder or a FIFO in its place; only a file is moved in.
    struct stat st {};
    if (::lstat(m_temp.c_str(), &st) != 0) return fail(errnoText(errno));
    if (const std::string why = notRegular(st); !why.empty()) return fail("its temporary file: " + why);
    if (::rename(m_temp.c_str(), m_final.c_str()) != 0) return fail(errnoText(errno));
    m_temp.clear();
    // The rename itself made durable; the file is complete whatever this comes to.
    const int dir = ::open(fs::path(m_final).parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return {};
}

FileStatus readRegularFile(const std::string& path, std::string& content, std::size_t maxBytes) {
    content.clear();
    const auto problem = [&path](const std::string& why) { return FileStatus{"cannot read " + path + ": " + why}; };
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return problem(errnoText(errno));
    if (const std::string why = notRegular(st); !why.empty()) return problem(why);
    // O_NONBLOCK: should the file be swapped for a FIFO after stat(), open() still returns.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return problem(errnoText(errno));
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return problem("it is not a regular file");
    }
    if (static_cast<std::size_t>(st.st_size) > maxBytes) {
        ::close(fd);
        return problem("it holds " + std::to_string(st.st_size) + " bytes, more than the " + std::to_string(maxBytes) +
                       " read");
    }
    content.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            const int error = errno;
            ::close(fd);
            return problem(errnoText(error));
        }
        if (content.size() + static_cast<std::size_t>(n) > maxBytes) {
            ::close(fd);
            return problem("it holds more than the " + std::to_string(maxBytes) + " bytes read");
        }
        content.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return {};
}

}  // namespace tarvelo
