#pragma once
// The application frame, section "Main": the one window that lives for the whole run, parent of every
// other window, owner of the menu, the status bar and the 5-second timer that drives the scheduler.
//
// The frame knows nothing of the scheduler's steps: on each tick it calls the tick handler, which decides
// what to do (and sets the caption). Ticks never nest: while a tick is running — a timer step's modal box
// runs a nested event loop in which the timer keeps firing — and while a modal window the frame "runs"
// (Setup, Print Setup, About) is open, further ticks are skipped, not queued, so prompts never pile up.
//
// Menu entries whose windows are built elsewhere start disabled and come alive with setCommand().
#include <array>
#include <functional>
#include <memory>

#include <QMainWindow>

class QAction;
class QLabel;
class QMdiArea;
class QPrinter;
class QTimer;

namespace tarvelo {
struct Settings;
}

namespace tarvelo::app {

class HelpWindow;

enum class FrameCommand {
    setup,             // runs: ticks are held back while it is open
    browseSchedule,
    addMessage,
    addProgram,
    genericAdd,
    toDoList,
    categories,
    printByDate,
    printByCategory,
    listCategories,
    printToDoList,
    exportCalendar,
    importCalendar,
    runLog,
};
inline constexpr int kFrameCommandCount = 14;

class MainFrame : public QMainWindow {
    Q_OBJECT
public:
    // settings: the program-wide settings (programTitle names the frame, iniFileName keeps its position);
    // it must outlive the frame.
    explicit MainFrame(Settings& settings, QWidget* parent = nullptr);
    ~MainFrame() override;

    QMdiArea* mdiArea() const { return m_mdi; }

    // Called on each timer tick, never re-entered; replaces any previous handler.
    void setTickHandler(std::function<void()> handler) { m_tickHandler = std::move(handler); }
    // Runs one tick now, under the same guard as the timer's (false when it was skipped).
    bool tick();
    bool isTickRunning() const { return m_tickDepth > 0; }

    // Gives a menu entry its action and enables it (an empty function disables it again).
    void setCommand(FrameCommand command, std::function<void()> run);
    QAction* action(FrameCommand command) const;

    // Called once when the frame closes, before its position is saved: the tables are let go there.
    void setCloseDownHandler(std::function<void()> handler) { m_closeDownHandler = std::move(handler); }
    // The frame's close: close-down handler, position saved under "Main" (if the frame was ever shown),
    // timer stopped, closedDown() emitted. Runs once, whichever way the program ends.
    void closeDown();
    bool isClosedDown() const { return m_closedDown; }

    // The printer chosen with "&Print Setup ...", for the reports; made on first use.
    QPrinter& printer();

    // Holds ticks back while run() runs (for windows the frame waits for).
    void runHoldingTicks(const std::function<void()>& run);

    void showHelpContents();
    void showHelpSearch();
    void showHelpOnHelp();
    void showAbout();
    void showPrintSetup();
    void arrangeIcons();

signals:
    // The frame has closed down; the program ends.
    void closedDown();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenu();
    void buildStatusBar();
    HelpWindow& helpWindow();

    Settings& m_settings;
    QMdiArea* m_mdi = nullptr;
    QTimer* m_timer = nullptr;
    std::array<QAction*, kFrameCommandCount> m_commandActions{};
    std::array<std::function<void()>, kFrameCommandCount> m_commands{};
    std::function<void()> m_tickHandler;
    std::function<void()> m_closeDownHandler;
    std::unique_ptr<QPrinter> m_printer;
    HelpWindow* m_help = nullptr;
    int m_tickDepth = 0;   // > 0 while a tick runs or ticks are held back
    bool m_opened = false;
    bool m_closedDown = false;
};

}  // namespace tarvelo::app
