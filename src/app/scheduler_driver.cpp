#include "app/scheduler_driver.h"

#include <QLabel>
#include <QStatusBar>
#include <string>

#include "data/data_warning.h"
#include "engine/scheduler.h"
#include "engine/scheduler_presence.h"
#include "app/main_frame.h"

namespace tarvelo::app {

void driveScheduler(MainFrame& frame, Scheduler& scheduler, const std::string& folder) {
    auto* elsewhere = new QLabel(QString::fromUtf8(kRunsElsewhereText), &frame);
    elsewhere->setObjectName(QStringLiteral("runsElsewhere"));
    frame.statusBar()->addPermanentWidget(elsewhere);
    elsewhere->setVisible(schedulerRunsElsewhere(folder));
    frame.setTickHandler([&frame, &scheduler, elsewhere, folder] {
        elsewhere->setVisible(schedulerRunsElsewhere(folder));
        const TickOutcome outcome = scheduler.tick();
        QStatusBar* bar = frame.statusBar();
        // The first step that failed is the one that matters most: a task not performed before a warning
        // not shown, before copies not removed.
        QString note;
        for (int i = 0; i < TickOutcome::kSteps && note.isEmpty(); ++i) {
            const auto step = static_cast<TickOutcome::Step>(i);
            if (outcome[step].ok()) continue;
            note = QString::fromUtf8(TickOutcome::notSavedText(step)) + QStringLiteral(": ") +
                   QString::fromStdString(errorText(outcome[step]));
        }
        if (!note.isEmpty()) {
            bar->showMessage(note);
            return;
        }
        for (int i = 0; i < TickOutcome::kSteps; ++i) {
            const auto step = static_cast<TickOutcome::Step>(i);
            if (bar->currentMessage().startsWith(QString::fromUtf8(TickOutcome::notSavedText(step)))) bar->clearMessage();
        }
    });
}

}  // namespace tarvelo::app
