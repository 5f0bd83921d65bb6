#include "app/desktop.h"

#include <QMdiArea>

#include "data/data_files.h"
#include "engine/ini_files.h"
#include "engine/scheduler.h"
#include "core/profile.h"
#include "app/frame_lists.h"
#include "app/frame_schedule.h"
#include "app/frame_wizards.h"
#include "app/main_frame.h"
#include "engine/message_to_do.h"
#include "app/scheduler_driver.h"
#include "engine/windows/splash.h"
#include "search/tags.h"
#include "search/windows/qt_search_ports.h"
#include "search/windows/report_session.h"
#include "search/windows/setup_window.h"
#include "ui/qt/mnemonic.h"
#include "ui/qt/qt_clock.h"
#include "ui/qt/qt_file_dialog.h"
#include "ui/qt/qt_frame_port.h"
#include "ui/qt/qt_halt.h"
#include "ui/qt/qt_message_box.h"
#include "ui/qt/qt_message_windows.h"
#include "ui/qt/qt_program_start.h"
#include "ui/qt/qt_sound.h"
#include "ui/qt/termination_signal.h"
#include "ui/qt/wait_notice.h"
#include "ui/qt/window_placement.h"
#include "ui/qt/program_icon.h"

namespace tarvelo::app {

namespace {

constexpr const char* kProgramTitle = "Tarvelo '96";

// The ports the timer steps and the windows reach the user and the system through.
struct DesktopPorts {
    ui::QtMessageBox messages;
    ui::QtClock clock;
    ui::QtSound sound;
    ui::QtProgramStart programs;
    ui::QtFramePort frame;
    ui::QtMessageWindows messageWindows;
    ui::QtFileDialog files;

    DesktopPorts(app::MainFrame& mainFrame, DataFiles& data, const Settings& settings)
        : messages(&mainFrame),
          frame(&mainFrame),
          messageWindows(
              mainFrame.mdiArea(),
              [&data, &mainFrame](const std::string& message) {
                  engine::addMessageToDo(data, message);
                  app::refreshToDoLists(mainFrame);
              },
              settings.iniFileName.text()),
          files(&mainFrame) {}
};

}  // namespace

int runDesktop(QApplication& app, Settings& settings) {
    QApplication::setFont(ui::windowFont());
    QApplication::setWindowIcon(ui::programIcon());
    ui::completeEntriesBeforeButtons(app);

    ui::QtMessageBox startMessages;
    ui::QtHalt halt;
    reportUnreadableIniFiles(startMessages);
    // A file another program of ours keeps locked is waited for, and the wait is told while it lasts.
    ui::WaitNotice waitNotice;
    store::setLockWaitObserver([&waitNotice](const store::LockWaitNotice& wait) {
        waitNotice.show(QString::fromStdString(lockWaitText(wait)),
                        QString::fromStdString(lockWaitText(wait, Wording::brief)));
    });
    struct ObserverEnd {
        ~ObserverEnd() { store::setLockWaitObserver({}); }
    } observerEnd;
    const DataWarning warn(startMessages, halt);
    DataFiles data(warn);
    data.use(TableId::history);
    data.use(TableId::schedule);

    app::MainFrame frame(settings);
    waitNotice.setStatusBar(frame.statusBar());
    startMessages.setParent(&frame);
    DesktopPorts ports(frame, data, settings);
    frame.setCloseDownHandler([&data] {
        data.release(TableId::history);
        data.release(TableId::schedule);
    });
    if (settings.startMinimized) {
        frame.showMinimized();
    } else {
        frame.show();
    }
    engine::Splash::start(&frame);
    settings.programTitle = kProgramTitle;

    Scheduler scheduler(data.schedule(), settings,
                        {ports.clock, ports.frame, ports.messages, ports.sound, ports.programs, ports.messageWindows});
    app::driveScheduler(frame, scheduler);

    const ProfileFile pellschd(kWarningIniName);
    const TaskFormServices taskForms{data, ports.messages, ports.files, ports.sound, ports.clock, pellschd};
    app::setWizardCommands(frame, taskForms);
    const ListServices lists{data, settings.iniFileName.text(), [&frame] { frame.showHelpContents(); },
                             app::taskFormRunner(taskForms)};
    app::setListCommands(frame, lists);
    search::QtJobRunner tagProgress(&frame);
    search::Tags tags(data, tagProgress);
    const ScheduleBrowseServices schedule = app::scheduleBrowseServices(
        lists, taskForms, settings, {ports.clock, ports.sound, ports.messages, ports.programs, ports.messageWindows}, tags,
        frame.mdiArea());
    app::setScheduleCommands(frame, schedule);
    scheduler.setChangeListener([&frame] { app::refreshScheduleLists(frame); });
    app::startScheduleAtStart(frame, settings, schedule);
    app::startListsAtStart(frame, settings, lists);

    ProfileFile mainIni(settings.iniFileName.text());
    frame.setCommand(app::FrameCommand::setup, [&] {
        search::SetupWindow::run(settings, mainIni, ports.messages, &frame);
        frame.update();
    });
    const search::ReportServices reports{data, ports.messages, frame.mdiArea(), [&frame]() -> QPrinter& { return frame.printer(); }, {}};
    for (const auto& [command, kind] : {std::pair{app::FrameCommand::printByDate, search::ReportKind::scheduleByDate},
                                        std::pair{app::FrameCommand::printByCategory, search::ReportKind::scheduleByCategory},
                                        std::pair{app::FrameCommand::listCategories, search::ReportKind::categoryList},
                                        std::pair{app::FrameCommand::printToDoList, search::ReportKind::toDoList}}) {
        frame.setCommand(command, [&reports, kind = kind] { search::startReport(kind, reports); });
    }

    ui::TerminationSignal termination;
    QObject::connect(&termination, &ui::TerminationSignal::received, &frame, &QWidget::close);
    QObject::connect(&frame, &app::MainFrame::closedDown, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    return app.exec();
}

}  // namespace tarvelo::app
