#pragma once
// Where a report's PDF file may go. A report is written beside the user's other files, so the name typed
// may be anything: Tab completes "S" to the data file, a link may lead to a settings file, a FIFO would
// hold the writer for ever, a device would swallow the pages. Each is refused before a byte is written.
#include <optional>
#include <string>

namespace tarvelo::reports {

// The path once every symbolic link at its end is followed: the file a writer's bytes land in (a link to
// a link to a file, a link that leads nowhere yet). Links inside the folders are left to the system.
std::string followLinks(const std::string& path);

// Why no report may be written to path, as the end of a sentence ("it is not a regular file"), or nothing
// when it may: the target is one of the program's own files (see programFiles; of dataFolder, "" for the
// current folder) under any name — a link, another hard link, the same folder reached another way —, or
// it exists and is not a regular file, or it is a regular file this user may not write.
std::optional<std::string> reportTargetProblem(const std::string& path, const std::string& dataFolder);

}  // namespace tarvelo::reports
