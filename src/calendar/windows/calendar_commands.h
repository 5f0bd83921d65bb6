#pragma once
// The frame's "Export as Calendar..." and "Import Calendar...": the file asked for with the system's
// dialogs, the work done as tarvelo96-cli's export and import do it, and what came of it told in a
// message box, or in a small window with a scrolling list when the import names many events.
#include <QDialog>
#include <functional>
#include <string>

#include "calendar/calendar_files.h"

class QPlainTextEdit;

namespace tarvelo::calendar {

struct CalendarCommandServices {
    DataFiles& files;
    const platform::Platform& platform;
    std::function<void()> tasksAdded;  // after an import stored tasks: the open lists show them
};

void exportCalendar(const CalendarCommandServices& services);
void importCalendar(const CalendarCommandServices& services, QWidget* parent);

// The events an import skipped or warned of, beyond what a message box shows well.
inline constexpr std::size_t kEventsInABox = 8;

class ImportReportWindow : public QDialog {
    Q_OBJECT
public:
    ImportReportWindow(const ImportOutcome& outcome, QWidget* parent);
    QPlainTextEdit* list() const { return m_list; }

private:
    QPlainTextEdit* m_list = nullptr;
};

}  // namespace tarvelo::calendar
