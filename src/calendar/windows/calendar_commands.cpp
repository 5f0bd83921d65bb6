#include "calendar/windows/calendar_commands.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace tarvelo::calendar {
namespace {

constexpr const char* kExportCaption = "Export as Calendar";
constexpr const char* kImportCaption = "Import Calendar";

const std::vector<platform::FileFilter>& calendarFilters() {
    static const std::vector<platform::FileFilter> filters{{"iCalendar files", "*.ics"}, {"All files", "*"}};
    return filters;
}

void tell(const CalendarCommandServices& services, const char* caption, std::string text, platform::Icon icon) {
    services.platform.messages.show({std::move(text), caption, icon, platform::kOk, platform::kOk});
}

// The events skipped, then those taken with a warning, one line each.
std::string eventLines(const CalendarImport& events) {
    std::string text;
    for (const SkippedEvent& e : events.skipped) text += "Skipped: " + eventLine(e) + "\n";
    for (const SkippedEvent& e : events.warnings) text += "Warning: " + eventLine(e) + "\n";
    if (!text.empty()) text.pop_back();
    return text;
}

}  // namespace

void exportCalendar(const CalendarCommandServices& services) {
    const std::optional<std::string> path =
        services.platform.fileDialog.saveFile(kExportCaption, calendarFilters(), "schedule.ics");
    if (!path) return;
    const ExportOutcome outcome =
        exportCalendarFile(services.files, *path, services.platform.clock.now(), systemTimeZone());
    if (!outcome.ok()) return tell(services, kExportCaption, outcome.problem, platform::Icon::Exclamation);
    tell(services, kExportCaption, countOf(static_cast<std::size_t>(outcome.tasks), "task", "tasks") + " written to " + *path,
         platform::Icon::None);
}

void importCalendar(const CalendarCommandServices& services, QWidget* parent) {
    const std::optional<std::string> path = services.platform.fileDialog.openFile(kImportCaption, calendarFilters(), "");
    if (!path) return;
    const ImportOutcome outcome = importCalendarFile(services.files, *path, systemTimeZone());
    if (!outcome.ok()) return tell(services, kImportCaption, outcome.problem, platform::Icon::Exclamation);
    if (!outcome.events.tasks.empty() && services.tasksAdded) services.tasksAdded();
    const CalendarImport& events = outcome.events;
    if (events.skipped.size() + events.warnings.size() > kEventsInABox) {
        ImportReportWindow report(outcome, parent);
        report.exec();
        return;
    }
    std::string text = importSummary(outcome) + ".";
    if (const std::string lines = eventLines(events); !lines.empty()) text += "\n\n" + lines;
    tell(services, kImportCaption, text, events.skipped.empty() ? platform::Icon::None : platform::Icon::Exclamation);
}

ImportReportWindow::ImportReportWindow(const ImportOutcome& outcome, QWidget* parent) : QDialog(parent) {
    setObjectName("ImportReport");
    setWindowTitle(kImportCaption);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QString::fromStdString(importSummary(outcome) + "."), this));
    m_list = new QPlainTextEdit(QString::fromStdString(eventLines(outcome.events)), this);
    m_list->setReadOnly(true);
    m_list->setLineWrapMode(QPlainTextEdit::NoWrap);
    layout->addWidget(m_list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    resize(560, 320);
}

}  // namespace tarvelo::calendar
