#include "app/desktop.h"

#include <QCoreApplication>
#include <QMdiArea>
#include <QSystemTrayIcon>

#include <cstdio>

#include "data/data_files.h"
#include "engine/ini_files.h"
#include "engine/scheduler.h"
#include "runlog/run_log.h"
#include "runlog/run_log_list.h"
#include "core/profile.h"
#include "app/frame_calendar.h"
#include "app/frame_lists.h"
#include "app/frame_schedule.h"
#include "app/frame_wizards.h"
#include "app/main_frame.h"
#include "engine/message_to_do.h"
#include "app/scheduler_driver.h"
#include "app/splash.h"
#include "app/tray_icon.h"
#include "data/tags.h"
#include "platform/desktop/qt_job_runner.h"
#include "reports/windows/report_session.h"
#include "app/setup_window.h"
#include "app/single_instance.h"
#include "widgets/mnemonic.h"
#include "platform/dbus/dbus_notifications.h"
#include "platform/desktop/qt_clock.h"
#include "platform/desktop/qt_file_dialog.h"
#include "platform/desktop/qt_frame_port.h"
#include "platform/desktop/qt_halt.h"
#include "platform/desktop/qt_message_box.h"
#include "engine/windows/qt_message_windows.h"
#include "platform/desktop/qt_program_start.h"
#include "platform/desktop/qt_sound.h"
#include "platform/desktop/termination_signal.h"
#include "widgets/wait_notice.h"
#include "widgets/window_placement.h"
#include "widgets/program_icon.h"

namespace tarvelo::app {

namespace {

constexpr const char* kProgramTitle = "Tarvelo '96";

// The desktop's adapters of the ports, over the frame, and the program's one Platform built on them.
struct DesktopPlatform {
    DesktopPlatform(app::MainFrame& mainFrame, platform::MessageBoxPort& messages, platform::HaltPort& halt,
                    DataFiles& data, const Settings& settings)
        : addToDo([&data, &mainFrame](const std::string& message) {
              engine::addMessageToDo(data, message);
              app::refreshToDoLists(mainFrame);
          }),
          frame(&mainFrame),
          messageWindows(mainFrame.mdiArea(), addToDo, settings.iniFileName.text()),
          fileDialog(&mainFrame),
          notifications(QStringLiteral("Tarvelo '96")),
          ports{messages, clock, sound, programs, frame, messageWindows, fileDialog, halt, notifications} {}
    DesktopPlatform(const DesktopPlatform&) = delete;
    DesktopPlatform& operator=(const DesktopPlatform&) = delete;

    // What a message window's "Add to To Do List" button and a notice's action of that name do.
    const std::function<void(const std::string&)> addToDo;
    platform::QtClock clock;
    platform::QtSound sound;
    platform::QtProgramStart programs;
    platform::QtFramePort frame;
    engine::QtMessageWindows messageWindows;
    platform::QtFileDialog fileDialog;
    platform::DBusNotifications notifications;
    const platform::Platform ports;
};

}  // namespace

void watchPrograms(platform::QtProgramStart& programs, DataFiles& data, const platform::Platform& ports) {
    // Runs whose watcher is gone (the machine stopped under them) end as "no result"; should that fail,
    // the next scheduler marks them.
    if (const store::Status s = runlog::markNoResult(data.runLog(), runlog::currentBootId(), runlog::watcherAlive); !s.ok())
        std::fprintf(stderr, "tarvelo96: the run log could not be updated: %s\n", errorText(s).c_str());
    programs.watchWith(runlog::watchingFor(data, ports.clock, "tarvelo96"));
}

int runDesktop(QApplication& app, Settings& settings, const DesktopStart& start) {
    // A second start on the folder only brings the first one's frame to the front.
    SingleInstance instance(start.folder);
    if (instance.handedToAnother()) return 0;
    QApplication::setFont(widgets::windowFont());
    QApplication::setWindowIcon(widgets::programIcon());
    widgets::completeEntriesBeforeButtons(app);

    platform::QtMessageBox messages;
    platform::QtHalt halt;
    reportUnreadableIniFiles(messages);
    // A file another program of ours keeps locked is waited for, and the wait is told while it lasts.
    widgets::WaitNotice waitNotice;
    store::setLockWaitObserver([&waitNotice](const store::LockWaitNotice& wait) {
        waitNotice.show(QString::fromStdString(lockWaitText(wait)),
                        QString::fromStdString(lockWaitText(wait, Wording::brief)));
    });
    struct ObserverEnd {
        ~ObserverEnd() { store::setLockWaitObserver({}); }
    } observerEnd;
    const DataWarning warn(messages, halt);
    DataFiles data(warn, start.folder);
    data.use(TableId::history);
    data.use(TableId::schedule);
    data.use(TableId::runLog);

    app::MainFrame frame(settings);
    waitNotice.setStatusBar(frame.statusBar());
    messages.setParent(&frame);
    DesktopPlatform desktop(frame, messages, halt, data, settings);
    const platform::Platform& ports = desktop.ports;
    frame.setCloseDownHandler([&data] {
        data.release(TableId::history);
        data.release(TableId::schedule);
        data.release(TableId::runLog);
    });
    if (settings.startMinimized || start.minimized) {
        // Where the desktop has a tray the frame waits there, hidden, instead of in the task bar.
        if (QSystemTrayIcon::isSystemTrayAvailable()) {
            frame.hide();  // said outright, so that the frame counts as out of sight
        } else {
            frame.showMinimized();
        }
    } else {
        frame.show();
    }
    instance.setRaiseHandler([&frame] {
        frame.setWindowState((frame.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
        frame.show();
        frame.raise();
        frame.activateWindow();
    });
    app::Splash::start(&frame);
    settings.programTitle = kProgramTitle;

    app::watchPrograms(desktop.programs, data, ports);
    Scheduler scheduler(data.schedule(), settings, ports);
    scheduler.setRunLog(data.runLog());
    scheduler.setMessageNotices({desktop.addToDo, false});
    app::driveScheduler(frame, scheduler, start.folder);

    const ProfileFile pellschd(kWarningIniName);
    const TaskFormServices taskForms{data, ports, {pellschd}};
    app::setWizardCommands(frame, taskForms);
    const ListServices lists{data, settings.iniFileName.text(), [&frame] { frame.showHelpContents(); },
                             app::taskFormRunner(taskForms)};
    app::setListCommands(frame, lists);
    platform::QtJobRunner tagProgress(&frame);
    Tags tags(data, tagProgress);
    runlog::RunLogLastRuns lastRuns(data.table(TableId::runLog));
    const ScheduleBrowseServices schedule =
        app::scheduleBrowseServices(lists, taskForms, settings, tags, frame.mdiArea(), &lastRuns);
    app::setScheduleCommands(frame, schedule);
    scheduler.setChangeListener([&frame] { app::refreshScheduleLists(frame); });
    app::startScheduleAtStart(frame, settings, schedule);
    app::startListsAtStart(frame, settings, lists);

    app::setCalendarCommands(frame, data, ports);

    ProfileFile mainIni(settings.iniFileName.text());
    const TrayIcon tray(frame, data, settings, mainIni, ports);
    frame.setCommand(app::FrameCommand::setup, [&] {
        app::SetupWindow::run(settings, mainIni, ports.messages, &frame);
        frame.update();
    });
    const reports::ReportServices reports{data, ports, frame.mdiArea(), [&frame]() -> QPrinter& { return frame.printer(); }, {}};
    for (const auto& [command, kind] : {std::pair{app::FrameCommand::printByDate, reports::ReportKind::scheduleByDate},
                                        std::pair{app::FrameCommand::printByCategory, reports::ReportKind::scheduleByCategory},
                                        std::pair{app::FrameCommand::listCategories, reports::ReportKind::categoryList},
                                        std::pair{app::FrameCommand::printToDoList, reports::ReportKind::toDoList}}) {
        frame.setCommand(command, [&reports, kind = kind] { reports::startReport(kind, reports); });
    }

    platform::TerminationSignal termination;
    QObject::connect(&termination, &platform::TerminationSignal::received, &frame, &QWidget::close);
    QObject::connect(&frame, &app::MainFrame::closedDown, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    return app.exec();
}

}  // namespace tarvelo::app
