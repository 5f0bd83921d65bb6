#pragma once
// The helper programs the programs start (the watcher of each task's program, the PDF writer of
// tarvelo96-cli report): beside the programs in the build folder, and installed off the search path,
// where the programs find them by their relative path from their own folder.
#include <string>

namespace tarvelo::platform {

inline constexpr const char* kWatcherName = "tarvelo96-watch";
inline constexpr const char* kPdfWriterName = "tarvelo96-pdf";

// The running program's own path; "" when it cannot be read.
std::string runningProgram();

// Where the helper name is: beside the running program (the build folder), else where the installation
// keeps helpers, found from the running program's folder by their relative path (installed programs may
// be moved together under another prefix). Its path either way, whether it exists or not.
std::string helperProgram(const std::string& name);

}  // namespace tarvelo::platform
