#include "data/own_files.h"

#include "core/profile.h"
#include "core/settings.h"
#include "data/tables.h"

namespace tarvelo {

std::vector<std::string> ownFiles(const std::string& dataFolder) {
    const std::string folder = dataFolder.empty() ? "." : dataFolder;
    std::vector<std::string> files;
    for (const std::string& name : {std::string(kDataFileName), tagFileName().text()}) {
        const std::string file = folder + "/" + name + ".KTB";
        for (const char* suffix : {"", "-wal", "-shm", "-journal"}) files.push_back(file + suffix);
    }
    for (const char* ini : {kMainIniName, kWarningIniName}) files.push_back(configFolder() + "/" + ini);
    return files;
}

}  // namespace tarvelo
