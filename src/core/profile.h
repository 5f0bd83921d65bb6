#pragma once
// INI ("profile") files: sections of key=value lines, matched without regard to letter case.
//
// Files are named without a folder and live in the program's config folder, $XDG_CONFIG_HOME/tarvelo96/
// (else ~/.config/tarvelo96/), which is created when a file is first written. A UTF-8 byte-order mark at
// the start of a file is skipped when reading and kept when writing. Every write rewrites the
// whole file through a temporary file and a rename, so a crash never leaves a torn file; the lines the
// write does not concern are kept as they were.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace tarvelo {

// The folder the INI files live in (no trailing slash).
std::string configFolder();
// The user's home folder: $HOME, else the password database's, else ".".
std::string homeFolder();

// Writes from several threads of this process are serialised; writes from two processes at once may
// lose one of the two changes (never the file).
class ProfileFile {
public:
    // name: "Tarvelo96.INI"; folder: where it lives (configFolder() when empty).
    explicit ProfileFile(std::string name, std::string folder = "");

    // The value of key in section, or fallback when the file, section or key is absent (a file that cannot
    // be read counts as absent). The value is the text after the first '=' with the blanks around it
    // removed; lines starting with ';' are comments; of two equal keys the first counts. At most 1023
    // bytes are returned, cut at a character boundary.
    std::string read(std::string_view section, std::string_view key, std::string_view fallback = "") const;
    // Sets one key (adding the section or key when absent). Returns false, writing nothing, when the file
    // cannot be read or written, or when a name or value holds a line break, a key is empty, holds '=' or
    // starts with '[' or ';', or a section name holds ']': such text would change other lines' meaning.
    [[nodiscard]] bool write(std::string_view section, std::string_view key, std::string_view value);
    [[nodiscard]] bool write(std::string_view section, std::string_view key, std::int64_t value);
    // Several keys of one section in one replacement of the file, as if written one after the other in
    // this order; nothing is written when any of them is refused.
    [[nodiscard]] bool writeKeys(std::string_view section, std::span<const std::pair<std::string_view, std::string_view>> values);

    // Why the file cannot be read although it is there (a folder, a FIFO or a device in its place, no
    // permission), as a short sentence; nothing when it can be read or is simply absent. read() then
    // gives every key's fallback and write() refuses, and nothing ever waits on such a file.
    std::optional<std::string> accessProblem() const;

    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

// An INI value as a number: trailing blanks off, read as a decimal number with any fraction cut toward
// zero; absent, blank or non-numeric text (and anything out of the 32-bit range) gives 0. The number must
// be the whole text: "12abc" gives 0, not 12.
std::int32_t profileNumber(std::string_view text);
// A flag: the low 8 bits of the number.
std::uint8_t profileFlag(std::string_view text);

}  // namespace tarvelo
