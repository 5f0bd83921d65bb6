#pragma once
// A report from the frame's "&Reports" menu, start to end, without holding the frame up: the progress
// window reads the table 25 records per timer event; a completed run opens the preview as a child window
// of the frame; "&Print!" there sends the pages to the printer. An empty table says it has nothing to
// report; Cancel shows nothing more. The frame's timer goes on ticking meanwhile.
#include <functional>

#include "platform/ports.h"
#include "reports/report_layout.h"

class QMdiArea;
class QPrinter;
class QWidget;

namespace tarvelo {
class DataFiles;
}
namespace tarvelo::reports {

class ReportPages;

struct ReportServices {
    DataFiles& files;
    platform::Platform platform;
    QMdiArea* area;  // where the preview opens
    // The printer chosen in "&Print Setup ...".
    std::function<QPrinter&()> printer;
    // Sends previewed pages to the printer; the system print dialog first, unless replaced (tests).
    std::function<void(const ReportPages&)> print;
};

// Starts one report; returns at once. services must outlive every report it starts.
void startReport(ReportKind kind, const ReportServices& services);

// The system print dialog for the printer, then the pages it asks for (all, or a range) on it. False
// when the user cancelled it or the printer failed.
bool printWithDialog(const ReportPages& pages, QPrinter& printer, const ReportServices& services);

// Pages from..to (0: all) on the printer. Printing to a PDF file writes it as the command line writes a
// report: never over one of the program's own files or what is not a regular file, and in place of an
// existing file only once the new one is whole. A file that cannot be written is told in a box.
bool printPages(const ReportPages& pages, QPrinter& printer, int from, int to, const ReportServices& services);

}  // namespace tarvelo::reports
