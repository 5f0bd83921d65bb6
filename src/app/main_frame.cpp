#include "app/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QSessionManager>
#include <QStatusBar>
#include <QTimer>

#include "core/settings.h"
#include "engine/scheduler.h"
#include "app/help_window.h"
#include "reports/windows/print_setup_dialog.h"
#include "widgets/mnemonic.h"
#include "platform/desktop/qt_message_box.h"
#include "widgets/window_placement.h"
#include "widgets/program_icon.h"

namespace tarvelo::app {

namespace {

constexpr std::string_view kSection = "Main";

struct CommandEntry {
    const char* text;
    const char* helpLine;
    FrameCommand command;
};

QAction* addEntry(QMenu* menu, const char* text, const char* helpLine) {
    QAction* action = menu->addAction(QString::fromUtf8(text));
    action->setStatusTip(QString::fromUtf8(helpLine));
    return action;
}

QMenu* addMenu(QMenuBar* bar, const char* title, const char* helpLine) {
    QMenu* menu = bar->addMenu(QString::fromUtf8(title));
    if (helpLine != nullptr) menu->menuAction()->setStatusTip(QString::fromUtf8(helpLine));
    return menu;
}

QMenu* addSubmenu(QMenu* parent, const char* title, const char* helpLine) {
    QMenu* menu = parent->addMenu(QString::fromUtf8(title));
    if (helpLine != nullptr) menu->menuAction()->setStatusTip(QString::fromUtf8(helpLine));
    return menu;
}

}  // namespace

MainFrame::MainFrame(Settings& settings, QWidget* parent) : QMainWindow(parent), m_settings(settings) {
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(QStringLiteral("Tarvelo '96"));
    setWindowIcon(widgets::programIcon());
    setFont(widgets::windowFont());

    m_mdi = new QMdiArea(this);
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdi);

    buildMenu();
    buildStatusBar();

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("tickTimer"));
    m_timer->setInterval(tickInterval());
    connect(m_timer, &QTimer::timeout, this, [this] { tick(); });

    // The end of the desktop session closes the frame like "E&xit" does, and the program never objects.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) {
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    });
    connect(qApp, &QCoreApplication::aboutToQuit, this, &MainFrame::closeDown);

    resize(widgets::dialogSize(*this, 500, 300));
    widgets::restoreWindowPosition(*this, kSection, m_settings.iniFileName.text());
}

MainFrame::~MainFrame() = default;

bool MainFrame::event(QEvent* event) {
    // A key the focused control of a child window did not take climbs up to here before any shortcut
    // fires: a letter underlined in both the menu bar and the active child window goes to the window.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        QMdiSubWindow* active = m_mdi->activeSubWindow();
        if (active && active->widget() && key->modifiers() == Qt::AltModifier) {
            const QKeySequence pressed(key->modifiers() | key->key());
            bool inMenu = false;
            for (const QAction* menu : menuBar()->actions())
                inMenu = inMenu || (menu->isVisible() && QKeySequence::mnemonic(menu->text()) == pressed);
            if (inMenu && widgets::pressMnemonic(*active->widget(), pressed)) {
                event->accept();
                return true;
            }
        }
    }
    return QMainWindow::event(event);
}

void MainFrame::buildMenu() {
    QMenuBar* bar = menuBar();
    auto command = [this](QMenu* menu, const CommandEntry& e) {
        QAction* a = addEntry(menu, e.text, e.helpLine);
        a->setEnabled(false);
        const int index = static_cast<int>(e.command);
        m_commandActions[index] = a;
        connect(a, &QAction::triggered, this, [this, index] {
            if (!m_commands[index]) return;
            // Setup is run, not started: the frame (and its timer) waits for it.
            if (index == static_cast<int>(FrameCommand::setup)) {
                runHoldingTicks(m_commands[index]);
            } else {
                m_commands[index]();
            }
        });
    };

    QMenu* file = addMenu(bar, "&File", nullptr);
    command(file, {"&Setup", "Set preferences", FrameCommand::setup});
    connect(addEntry(file, "&Print Setup ...", "Setup printer"), &QAction::triggered, this, &MainFrame::showPrintSetup);
    file->addSeparator();
    command(file, {"Export as &Calendar...", "Write the schedule as an iCalendar file for other calendars",
                   FrameCommand::exportCalendar});
    command(file, {"&Import Calendar...", "Add tasks from the events of an iCalendar file", FrameCommand::importCalendar});
    file->addSeparator();
    connect(addEntry(file, "E&xit", "Exit this application"), &QAction::triggered, this, &QWidget::close);

    QMenu* schedule = addMenu(bar, "&Schedule", nullptr);
    command(schedule, {"&Browse Schedule", "Browse Schedule", FrameCommand::browseSchedule});
    QMenu* wizards = addSubmenu(schedule, "&Wizards", "Quickly make schedule additions and changes");
    command(wizards, {"Add &Message", "Add a message to be displayed", FrameCommand::addMessage});
    command(wizards, {"Add &Program", "Add a program to the schedule", FrameCommand::addProgram});
    command(wizards, {"Generic &Add", "Add a message, program, both or neither", FrameCommand::genericAdd});
    schedule->addSeparator();
    command(schedule, {"&To Do List", "To Do List", FrameCommand::toDoList});
    command(schedule, {"&Categories", "Browse Categories", FrameCommand::categories});
    command(schedule, {"&Run Log", "What became of each program a task started", FrameCommand::runLog});

    QMenu* reports = addMenu(bar, "&Reports", "Report data");
    QMenu* reportSchedule = addSubmenu(reports, "Report Schedule", nullptr);
    command(reportSchedule, {"Print by Date", "Print ordered by Date", FrameCommand::printByDate});
    command(reportSchedule, {"Print by Category", "Print ordered by Category", FrameCommand::printByCategory});
    command(reports, {"List Categories", "Print ordered by Category", FrameCommand::listCategories});
    command(reports, {"&Print To Do List", "Print To Do List", FrameCommand::printToDoList});

    QMenu* window = addMenu(bar, "&Window", "Create and Arrange windows");
    connect(addEntry(window, "T&ile", "Make all open windows visible"), &QAction::triggered, m_mdi,
            &QMdiArea::tileSubWindows);
    connect(addEntry(window, "&Cascade", "Stack all open windows"), &QAction::triggered, m_mdi,
            &QMdiArea::cascadeSubWindows);
    connect(addEntry(window, "&Arrange Icons", "Align all window icons"), &QAction::triggered, this,
            &MainFrame::arrangeIcons);

    QMenu* help = addMenu(bar, "&Help", "Windows Help");
    connect(addEntry(help, "&Contents", "View the contents of the help file"), &QAction::triggered, this,
            &MainFrame::showHelpContents);
    connect(addEntry(help, "&Search for Help On...", "Search for help on a subject"), &QAction::triggered, this,
            &MainFrame::showHelpSearch);
    connect(addEntry(help, "&How to Use Help", "How to use Windows Help"), &QAction::triggered, this,
            &MainFrame::showHelpOnHelp);
    help->addSeparator();
    connect(addEntry(help, "&About", "About this program"), &QAction::triggered, this, &MainFrame::showAbout);
}

void MainFrame::buildStatusBar() {
    QStatusBar* bar = statusBar();
    // The first, variable zone is the bar's own message area, where the help lines appear.
    for (int units : {80, 120, 45}) {
        auto* zone = new QLabel(bar);
        zone->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        zone->setFixedWidth(widgets::dialogWidth(*this, units));
        bar->addPermanentWidget(zone);
    }
}

bool MainFrame::tick() {
    if (m_tickDepth > 0 || m_closedDown || !m_tickHandler) return false;
    runHoldingTicks(m_tickHandler);
    return true;
}

void MainFrame::runHoldingTicks(const std::function<void()>& run) {
    struct Hold {
        int& depth;
        explicit Hold(int& d) : depth(d) { ++depth; }
        ~Hold() { --depth; }
    } hold(m_tickDepth);
    run();
}

void MainFrame::setCommand(FrameCommand command, std::function<void()> run) {
    const int index = static_cast<int>(command);
    m_commandActions[index]->setEnabled(static_cast<bool>(run));
    m_commands[index] = std::move(run);
}

QAction* MainFrame::action(FrameCommand command) const { return m_commandActions[static_cast<int>(command)]; }

QPrinter& MainFrame::printer() {
    if (!m_printer) m_printer = std::make_unique<QPrinter>();
    return *m_printer;
}

void MainFrame::showPrintSetup() {
    runHoldingTicks([this] {
        reports::PrintSetupDialog dialog(printer(), this);
        dialog.exec();
    });
}

void MainFrame::showAbout() {
    runHoldingTicks([this] {
        platform::QtMessageBox box(this);
        platform::MessageBoxRequest request;
        request.caption = "About";
        request.text = "Tarvelo '96\r\rA desktop task scheduler.\rVersion " + QCoreApplication::applicationVersion().toStdString();
        request.icon = platform::Icon::None;
        request.buttons = platform::kOk;
        request.defaultButton = platform::kOk;
        box.show(request);
    });
}

HelpWindow& MainFrame::helpWindow() {
    if (m_help == nullptr) m_help = new HelpWindow(this);
    return *m_help;
}

void MainFrame::showHelpContents() { helpWindow().showContents(); }
void MainFrame::showHelpSearch() { helpWindow().showSearch(); }
void MainFrame::showHelpOnHelp() { helpWindow().showHelpOnHelp(); }

void MainFrame::arrangeIcons() {
    // Minimized sub-windows go into rows along the bottom of the area, left to right.
    const QRect area = m_mdi->viewport()->rect();
    int x = 0;
    int y = area.bottom() + 1;
    int rowHeight = 0;
    for (QMdiSubWindow* sub : m_mdi->subWindowList(QMdiArea::CreationOrder)) {
        if (!sub->isMinimized()) continue;
        const QSize size = sub->size();
        if (rowHeight == 0) {
            rowHeight = size.height();
            y -= rowHeight;
        } else if (x + size.width() > area.width() && x > 0) {
            x = 0;
            y -= rowHeight;
        }
        sub->move(x, y);
        x += size.width();
    }
}

void MainFrame::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!m_opened) {
        m_opened = true;
        if (!m_closedDown) m_timer->start();
    }
}

void MainFrame::closeEvent(QCloseEvent* event) {
    if (m_tickDepth > 0) {
        // A tick or a window the frame waits for is still running, inside a nested event loop: end its
        // modal boxes (each answers with its default) and close once it has returned, never half-way.
        event->ignore();
        QTimer* closer = findChild<QTimer*>(QStringLiteral("closeWhenIdle"));
        if (closer == nullptr) {
            closer = new QTimer(this);
            closer->setObjectName(QStringLiteral("closeWhenIdle"));
            closer->setInterval(50);
            connect(closer, &QTimer::timeout, this, [this, closer] {
                if (m_tickDepth == 0) {
                    closer->stop();
                    close();
                } else if (QWidget* modal = QApplication::activeModalWidget()) {
                    modal->close();
                }
            });
        }
        closer->start();
        return;
    }
    closeDown();
    event->accept();
}

void MainFrame::closeDown() {
    if (m_closedDown) return;
    m_closedDown = true;
    m_timer->stop();
    if (m_closeDownHandler) m_closeDownHandler();
    if (m_opened) widgets::saveWindowPosition(*this, kSection, m_settings.iniFileName.text());
    emit closedDown();
}

}  // namespace tarvelo::app
