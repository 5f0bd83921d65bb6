#include "app/tray_icon.h"

#include <QApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>

#include "app/frame_schedule.h"
#include "app/main_frame.h"
#include "core/picture.h"
#include "core/profile.h"
#include "data/data_files.h"
#include "engine/run_now.h"
#include "widgets/program_icon.h"

namespace tarvelo::app {
namespace {

constexpr int kRefreshMs = 5000;

// The earliest task switched on: the one the scheduler performs next.
std::optional<Task> nextEnabledTask(DataFiles& data) {
    const TableUse use(data, TableId::schedule);
    RecordTable<Task> schedule = data.schedule();
    Task task;
    if (!schedule.setToStart(ScheduleKey::keyDateEnabled).ok() || !schedule.next(task).ok() || task.disabled != 0)
        return std::nullopt;
    return task;
}

}  // namespace

TrayIcon::TrayIcon(MainFrame& frame, DataFiles& data, Settings& settings, ProfileFile& mainIni,
                   const platform::Platform& ports)
    : QObject(&frame), m_frame(frame), m_data(data), m_settings(settings), m_mainIni(mainIni), m_ports(ports) {
    m_menu = new QMenu(&frame);
    connect(m_menu->addAction(QStringLiteral("&Open")), &QAction::triggered, this, &TrayIcon::open);
    m_active = m_menu->addAction(QStringLiteral("&Scheduler active"));
    m_active->setCheckable(true);
    connect(m_active, &QAction::triggered, this, [this](bool on) {
        m_settings.schedulerActive = on ? 1 : 0;
        (void)writeSettings(m_mainIni, m_settings);  // as Setup keeps it; a failed write leaves it for this run
    });
    connect(m_menu->addAction(QStringLiteral("&Run the next task now")), &QAction::triggered, this,
            &TrayIcon::runNextTaskNow);
    m_menu->addSeparator();
    connect(m_menu->addAction(QStringLiteral("E&xit")), &QAction::triggered, &frame, &QWidget::close);
    connect(m_menu, &QMenu::aboutToShow, this, &TrayIcon::refresh);

    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        m_icon = new QSystemTrayIcon(QApplication::windowIcon(), this);
        m_icon->setContextMenu(m_menu);
        connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason why) {
            if (why == QSystemTrayIcon::Trigger || why == QSystemTrayIcon::DoubleClick) open();
        });
        auto* timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, &TrayIcon::refresh);
        timer->start(kRefreshMs);
        m_icon->show();
    }
    refresh();
}

TrayIcon::~TrayIcon() = default;

void TrayIcon::refresh() {
    m_active->setChecked(m_settings.schedulerActive != 0);
    const std::optional<Task> next = nextEnabledTask(m_data);
    m_tip = QStringLiteral("Tarvelo '96");
    if (next) {
        m_tip += QStringLiteral(" - next: ") + QString::fromStdString(next->description.text() + " " +
                                                                       formatDate3(next->date) + " " + formatTime3(next->time));
    }
    if (m_icon) m_icon->setToolTip(m_tip);
}

void TrayIcon::open() {
    m_frame.setWindowState(m_frame.windowState() & ~Qt::WindowMinimized);
    m_frame.show();
    m_frame.raise();
    m_frame.activateWindow();
}

void TrayIcon::runNextTaskNow() {
    std::optional<Task> next = nextEnabledTask(m_data);
    if (!next) return;
    (void)runNow(m_data, *next, m_ports);  // a failure has been told by the data layer's messages
    refreshScheduleLists(m_frame);
    refresh();
}

}  // namespace tarvelo::app
