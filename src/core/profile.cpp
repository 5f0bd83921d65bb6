#include "core/profile.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <span>
#include <utility>
#include <string>
#include <vector>

#include "core/fixed_text.h"

namespace tarvelo {
namespace {

// A value is returned through a 1024-byte buffer in the original runtime: 1023 characters and the NUL.
constexpr std::size_t kMaxValue = 1023;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\0'; }

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// One line of an INI file as the reader sees it.
struct LineView {
    enum class Kind { Other, Section, Key } kind = Kind::Other;
    std::string_view name;   // the section or key name, trimmed
    std::string_view value;  // for a key: the text after the first '=', trimmed
};

LineView classify(std::string_view line) {
    line = trimmed(line);
    LineView v;
    if (line.empty() || line.front() == ';') return v;
    if (line.front() == '[') {
        const std::size_t close = line.find(']');
        v.kind = LineView::Kind::Section;
        v.name = trimmed(line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
        return v;
    }
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return v;
    v.kind = LineView::Kind::Key;
    v.name = trimmed(line.substr(0, eq));
    v.value = trimmed(line.substr(eq + 1));
    return v;
}

// The file's lines, each with its own line end ("\n", "\r\n", or none for a last line without one).
std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        const std::size_t len = nl == std::string_view::npos ? text.size() : nl + 1;
        lines.push_back(text.substr(0, len));
        text.remove_prefix(len);
    }
    return lines;
}

bool endsWithNewline(std::string_view line) { return !line.empty() && line.back() == '\n'; }

// content with key set to value in section: the key's line replaced, or a line added at the end of the
// section's content, or the section added at the end of the file. Every other byte stays as it was.
std::string withKey(std::string_view content, std::string_view section, std::string_view key,
                    std::string_view value) {
    const std::vector<std::string_view> lines = splitLines(content);
    const std::string_view eol = !lines.empty() && lines.front().size() >= 2 &&
                                         lines.front().substr(lines.front().size() - 2) == "\r\n"
                                     ? "\r\n"
                                     : "\n";
    const std::string keyLine = std::string(key) + "=" + std::string(value);

    // Where the key is (replace), or the line after which it goes (insert).
    std::optional<std::size_t> found, insertAfter;
    bool inSection = false;
    for (std::size_t i = 0; i < lines.size() && !found; ++i) {
        const LineView v = classify(lines[i]);
        const std::string_view text = trimmed(lines[i]);
        if (v.kind == LineView::Kind::Section) {
            if (inSection) break;  // the first matching section ends here
            inSection = sameName(v.name, section);
            if (inSection) insertAfter = i;
        } else if (inSection && v.kind == LineView::Kind::Key && sameName(v.name, key)) {
            found = i;
        } else if (inSection && !text.empty() && text.front() != ';') {
            // After the section's last line of content: blank lines and comments before the next section
            // stay where they are.
            insertAfter = i;
        }
    }

    std::string out;
    out.reserve(content.size() + keyLine.size() + section.size() + 8);
    if (found || insertAfter) {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (found && i == *found) {
                out += keyLine;
                if (endsWithNewline(lines[i])) out += lines[i].size() >= 2 && lines[i][lines[i].size() - 2] == '\r' ? "\r\n" : "\n";
                continue;
            }
            out += lines[i];
            if (!found && i == *insertAfter) {
                if (!endsWithNewline(lines[i])) out += eol;
                out += keyLine;
                out += eol;
            }
        }
        return out;
    }
    out = content;
    if (!out.empty() && out.back() != '\n') out += eol;
    if (!lines.empty() && !trimmed(lines.back()).empty()) out += eol;
    out += "[";
    out += section;
    out += "]";
    out += eol;
    out += keyLine;
    out += eol;
    return out;
}

enum class ReadResult { Ok, Missing, Failed };

// Why path is there but cannot serve as an INI file: a folder, a FIFO or a device is refused from its
// status alone, before any open() (opening a FIFO waits for a writer that never comes).
std::optional<std::string> notAFileProblem(const struct stat& st) {
    if (S_ISREG(st.st_mode)) return std::nullopt;
    if (S_ISDIR(st.st_mode)) return "Is a folder, not a file";
    if (S_ISFIFO(st.st_mode)) return "Is a FIFO, not a file";
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) return "Is a device, not a file";
    return "Is not a regular file";
}

std::string errnoProblem(int error) { return std::string(std::strerror(error)) + " (" + std::to_string(error) + ")"; }

// The whole content of path. A file that is not there is Missing; one that is there but cannot be read
// (a folder, a FIFO, a device, no permission, an I/O error) is Failed, with the reason in problem, so that
// a write never replaces what it could not read.
ReadResult readWhole(const std::string& path, std::string& content, std::string* problem = nullptr) {
    content.clear();
    const auto fail = [problem](std::string why) {
        if (problem) *problem = std::move(why);
        return ReadResult::Failed;
    };
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return errno == ENOENT ? ReadResult::Missing : fail(errnoProblem(errno));
    if (auto why = notAFileProblem(st)) return fail(*why);
    // O_NONBLOCK: should the file be swapped for a FIFO between stat() and open(), open() still returns.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return errno == ENOENT ? ReadResult::Missing : fail(errnoProblem(errno));
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const std::string why = notAFileProblem(st).value_or(errnoProblem(errno));
        ::close(fd);
        return fail(why);
    }
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            const int error = errno;
            ::close(fd);
            return fail(errnoProblem(error));
        }
        content.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return ReadResult::Ok;
}

// A UTF-8 byte-order mark, which some editors put at the start of a file: it is not part of the first line.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string_view withoutByteOrderMark(std::string_view content) {
    if (content.substr(0, kByteOrderMark.size()) == kByteOrderMark) content.remove_prefix(kByteOrderMark.size());
    return content;
}

bool makeFolders(const std::string& folder) {
    if (folder.empty()) return true;
    struct stat st {};
    if (::stat(folder.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    const std::size_t slash = folder.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !makeFolders(folder.substr(0, slash))) return false;
    return ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Replaces path by content through a temporary file in the same folder: the file is either the old one
// or the new one, whole, whatever happens in between.
bool replaceFile(const std::string& path, std::string_view content, std::optional<mode_t> mode) {
    const std::size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string temp = folder + "/." + base + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return false;
    bool ok = writeAll(fd, content);
    if (ok && mode) ok = ::fchmod(fd, *mode & 07777) == 0;
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    // Make the rename itself durable; a failure here leaves a complete file, so it is not reported.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

bool hasLineBreak(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// Writes within this process are read-modify-write cycles of a whole file; two threads interleaving them
// would lose one of the changes.
std::mutex& writeMutex() {
    static std::mutex m;
    return m;
}

}  // namespace

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    std::string homeDir = home && home[0] ? home : "";
    if (homeDir.empty()) {
        if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) homeDir = pw->pw_dir;
    }
    return homeDir.empty() ? "." : homeDir;
}

std::string configFolder() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    // A relative XDG_CONFIG_HOME is to be ignored.
    if (xdg && xdg[0] == '/') return std::string(xdg) + "/tarvelo96";
    return homeFolder() + "/.config/tarvelo96";
}

ProfileFile::ProfileFile(std::string name, std::string folder) {
    if (folder.empty()) folder = configFolder();
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    m_path = folder + "/" + name;
}

std::string ProfileFile::read(std::string_view section, std::string_view key, std::string_view fallback) const {
    std::string content;
    std::string_view result = fallback;
    if (readWhole(m_path, content) == ReadResult::Ok) {
        bool inSection = false;
        for (std::string_view line : splitLines(withoutByteOrderMark(content))) {
            const LineView v = classify(line);
            if (v.kind == LineView::Kind::Section) {
                inSection = sameName(v.name, section);
            } else if (inSection && v.kind == LineView::Kind::Key && sameName(v.name, key)) {
                result = v.value;
                break;
            }
        }
    }
    return std::string(utf8Prefix(result, kMaxValue));
}

std::optional<std::string> ProfileFile::accessProblem() const {
    std::string content, problem;
    if (readWhole(m_path, content, &problem) != ReadResult::Failed) return std::nullopt;
    return problem;
}

bool ProfileFile::write(std::string_view section, std::string_view key, std::string_view value) {
    const std::pair<std::string_view, std::string_view> one[] = {{key, value}};
    return writeKeys(section, one);
}

bool ProfileFile::write(std::string_view section, std::string_view key, std::int64_t value) {
    const std::string text = std::to_string(value);
    return write(section, key, std::string_view(text));
}

bool ProfileFile::writeKeys(std::string_view section,
                            std::span<const std::pair<std::string_view, std::string_view>> values) {
    // Names and values that would break the line structure (or make a key unreadable) are refused rather
    // than written as something else.
    if (hasLineBreak(section) || section.find(']') != std::string_view::npos) return false;
    for (const auto& [key, value] : values) {
        if (hasLineBreak(key) || hasLineBreak(value)) return false;
        const std::string_view k = trimmed(key);
        if (k.empty() || k.find('=') != std::string_view::npos || k.front() == '[' || k.front() == ';') return false;
    }
    section = trimmed(section);

    std::lock_guard lock(writeMutex());
    std::string content;
    const ReadResult got = readWhole(m_path, content);
    if (got == ReadResult::Failed) return false;
    std::optional<mode_t> mode;
    if (got == ReadResult::Ok) {
        struct stat st {};
        if (::stat(m_path.c_str(), &st) == 0) mode = st.st_mode;
    } else {
        const std::size_t slash = m_path.find_last_of('/');
        if (slash != std::string::npos && !makeFolders(m_path.substr(0, slash))) return false;
    }
    // The mark stays where it was, in front of whatever the keys make of the rest.
    const std::string_view body = withoutByteOrderMark(content);
    std::string updated(body);
    for (const auto& [key, value] : values) updated = withKey(updated, section, trimmed(key), trimmed(value));
    if (body.size() != content.size()) updated.insert(0, kByteOrderMark);
    return replaceFile(m_path, updated, mode);
}

std::int32_t profileNumber(std::string_view text) {
    text = trimmed(text);
    if (text.empty()) return 0;
    bool negative = false;
    if (text.front() == '+' || text.front() == '-') {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    std::int64_t whole = 0;
    bool anyDigit = false;
    bool tooBig = false;
    std::size_t i = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        anyDigit = true;
        if (!tooBig) {
            whole = whole * 10 + (text[i] - '0');
            tooBig = whole > 2147483648LL;
        }
    }
    if (i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) anyDigit = true;
    }
    // The number must be the whole text: "12abc" is not a number.
    if (!anyDigit || i != text.size() || tooBig) return 0;
    if (negative) whole = -whole;
    if (whole > 2147483647LL) return 0;
    return static_cast<std::int32_t>(whole);
}

std::uint8_t profileFlag(std::string_view text) {
    return static_cast<std::uint8_t>(static_cast<std::uint32_t>(profileNumber(text)) & 0xFFu);
}

}  // namespace tarvelo
