#pragma once
// A file the user names for the program to write (an exported calendar, a report): written whole or not
// at all, never over one of the program's own files and never onto anything but a regular file.
//
// The bytes go to a temporary file in the target's folder, which commit() renames over the target once
// every write, the flush to disk and the close have succeeded; until then the target is untouched, and a
// failure, a crash or a kill leaves it as it was (an output given up removes its temporary file). A
// target that is a link is followed: the file it points to is replaced and the link kept. The new file
// keeps the mode of the file it replaces; a new one gets the process's default.
//
// Writers that open files by name (a PDF writer) write to temporaryPath() and close it before commit().
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvelo {

// The path once every symbolic link at its end is followed: the file a writer's bytes land in (a link to
// a link to a file, a link that leads nowhere yet). Links inside the folders are left to the system.
std::string followLinks(const std::string& path);

// When path is one of `keepOff` (the program's own files) under any name — a link, another hard link, the
// same folder reached another way, a link to a file not made yet —: "it is one of the program's own
// files (SM.KTB)", naming the file; else nothing. The one rule of every file the program writes for the user.
std::optional<std::string> ownFileProblem(const std::string& path, const std::vector<std::string>& keepOff);

// What a file operation came to: ok, or the problem as a sentence that names the file.
struct [[nodiscard]] FileStatus {
    std::string problem;
    bool ok() const { return problem.empty(); }
};

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Checks the target and creates the temporary file. Refused: a target that is one of `keepOff` (the
    // program's own files; compared after following links, and as the same file under another name), and
    // a target that exists and is not a regular file (a folder, a FIFO, a device), which is never opened.
    FileStatus open(const std::string& target, const std::vector<std::string>& keepOff);
    // Appends bytes to the temporary file; a short write or any error is reported (a full disk too).
    FileStatus write(std::string_view bytes);
    // Flushes the temporary file to disk, closes it and renames it over the target.
    FileStatus commit();

    const std::string& temporaryPath() const { return m_temp; }
    const std::string& target() const { return m_target; }

private:
    FileStatus fail(const std::string& why);

    std::string m_target;  // as given, for messages
    std::string m_final;   // the file replaced: the target with its links followed
    std::string m_temp;
    int m_fd = -1;
};

// The whole of a regular file into content, when it holds at most maxBytes; otherwise the problem. A
// folder, a FIFO or a device is refused from its status, before any read could wait on it.
FileStatus readRegularFile(const std::string& path, std::string& content, std::size_t maxBytes);

}  // namespace tarvelo
