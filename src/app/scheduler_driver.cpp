#include "app/scheduler_driver.h"

#include <QStatusBar>
#include <string>

#include "data/data_warning.h"
#include "engine/scheduler.h"
#include "app/main_frame.h"

namespace tarvelo::app {

void driveScheduler(MainFrame& frame, Scheduler& scheduler) {
    frame.setTickHandler([&frame, &scheduler] {
        const store::Status s = scheduler.tick();
        QStatusBar* bar = frame.statusBar();
        const QString note = QString::fromUtf8(kScheduleNotSaved);
        if (!s.ok()) {
            bar->showMessage(note + QStringLiteral(": ") + QString::fromStdString(errorText(s)));
        } else if (bar->currentMessage().startsWith(note)) {
            bar->clearMessage();
        }
    });
}

}  // namespace tarvelo::app
