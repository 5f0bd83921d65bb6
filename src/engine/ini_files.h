#pragma once
// The program's INI files at start-up. A missing file is no error (every key takes its default); a file
// that is there but cannot be read — a folder, a FIFO or a device in its place, no permission — is
// reported with the data layer's "File Access Error" box, and the program goes on with the defaults.
#include <string>
#include <string_view>

#include "platform/ports.h"

namespace tarvelo {

// Shows one "File Access Error" box for each of the main and the secondary INI file that cannot be read,
// in that order. folder: where they live (the config folder when empty).
void reportUnreadableIniFiles(platform::MessageBoxPort& messages, const std::string& folder = "");

}  // namespace tarvelo
