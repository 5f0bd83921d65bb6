#pragma once
// Where a report's PDF file may go. A report is written beside the user's other files, so the name typed
// may be anything: Tab completes "S" to the data file, a link may lead to a settings file, a FIFO would
// hold the writer for ever, a device would swallow the pages. Each is refused before a byte is written.
#include <map>
#include <optional>
#include <string>

#include "core/output_file.h"
#include "reports/report_layout.h"

namespace tarvelo::reports {

// Why no report may be written to path, as the end of a sentence ("it is not a regular file"), or nothing
// when it may: the target is one of the program's own files (programFiles of dataFolder, "" for the current
// folder; the rule of ownFileProblem, which the calendar export follows too), or it exists and is not a
// regular file, or it is a regular file this user may not write.
std::optional<std::string> reportTargetProblem(const std::string& path, const std::string& dataFolder);

// The words a command line names the reports by: date, category, categories, todo.
const std::map<std::string, ReportKind>& reportKindWords();

}  // namespace tarvelo::reports
