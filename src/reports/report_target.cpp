#include "reports/report_target.h"

#include <sys/stat.h>
#include <unistd.h>

#include "core/output_file.h"
#include "data/data_files.h"

namespace tarvelo::reports {

std::optional<std::string> reportTargetProblem(const std::string& path, const std::string& dataFolder) {
    if (auto own = ownFileProblem(path, programFiles(dataFolder))) return own;
    struct stat info {};
    const std::string followed = followLinks(path);
    if (::stat(followed.c_str(), &info) != 0) return std::nullopt;  // a new file: the writer says what fails
    if (!S_ISREG(info.st_mode)) return std::string("it is not a regular file");
    if (::access(followed.c_str(), W_OK) != 0) return std::string("it is read-only");
    return std::nullopt;
}

const std::map<std::string, ReportKind>& reportKindWords() {
    static const std::map<std::string, ReportKind> words = {
        {"date", ReportKind::scheduleByDate},
        {"category", ReportKind::scheduleByCategory},
        {"categories", ReportKind::categoryList},
        {"todo", ReportKind::toDoList},
    };
    return words;
}

}  // namespace tarvelo::reports
