#include "engine/ini_files.h"

#include "core/profile.h"
#include "core/settings.h"
#include "data/data_warning.h"

namespace tarvelo {

void reportUnreadableIniFiles(platform::MessageBoxPort& messages, const std::string& folder) {
    for (const char* name : {kMainIniName, kWarningIniName}) {
        const std::optional<std::string> problem = ProfileFile(name, folder).accessProblem();
        if (!problem) continue;
        if (const auto box = warningRequest(kWarnFileAccessError, 0, *problem, name)) messages.show(*box);
    }
}

}  // namespace tarvelo
