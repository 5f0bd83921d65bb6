#include "data/windows/browse_window.h"

#include <QApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>

#include "widgets/child_window.h"
#include "widgets/page_list_view.h"
#include "widgets/program_icon.h"
#include "widgets/window_placement.h"

namespace tarvelo {

QIcon resourceIcon(const char* name) {
    const QString path = QStringLiteral(":/icons/%1.svg").arg(QString::fromLatin1(name));
    return QFile::exists(path) ? QIcon(path) : QIcon();
}

BrowseWindow::BrowseWindow(std::string section, const QString& title, const ListServices& services, QWidget* parent)
    : QDialog(parent), m_section(std::move(section)), m_services(services) {
    setObjectName(QString::fromStdString(m_section));
    setWindowTitle(title);
    setWindowIcon(widgets::programIcon());
    setFont(widgets::windowFont());
    setSizeGripEnabled(true);
}

BrowseWindow::~BrowseWindow() {
    // The base class moves the focus while it tears the children down; this window must not hear of it.
    disconnect(m_focusWatch);
    delete m_panel;  // its view observes the list, which goes first among the members
}

void BrowseWindow::useTables(std::initializer_list<TableId> tables) {
    for (TableId id : tables) m_uses.emplace_back(m_services.files, id);
}

void BrowseWindow::build(Layout layout) {
    m_list = std::move(layout.list);
    m_tabs = new QTabBar(this);
    m_tabs->setExpanding(false);
    m_tabs->setDrawBase(true);
    for (const QString& tab : layout.tabs) m_tabs->addTab(tab);
    m_panel = new ListPanel(*m_list, layout.format, std::move(layout.icons), layout.updateButtons, this);
    m_panel->onButton = [this](platform::ListButton button) { runModal([&] { runButton(button); }); };

    m_windowButtons = new QHBoxLayout;
    m_windowButtons->addStretch(1);
    auto* bottom = new QHBoxLayout;
    bottom->addLayout(m_windowButtons, 1);
    m_close = new QPushButton(QStringLiteral("Close"), this);
    m_close->setAutoDefault(false);
    bottom->addWidget(m_close);
    if (layout.helpButton) {
        m_help = new QPushButton(QStringLiteral("Help"), this);
        m_help->setAutoDefault(false);
        m_help->setEnabled(static_cast<bool>(m_services.help));
        bottom->addWidget(m_help);
        connect(m_help, &QPushButton::clicked, this, [this] { m_services.help(); });
    }
    auto* main = new QVBoxLayout(this);
    main->addWidget(m_tabs);
    main->addWidget(m_panel, 1);
    main->addLayout(bottom);

    connect(m_tabs, &QTabBar::currentChanged, this, [this] { actionEnded(); });
    enableTabKeys(this, m_tabs);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
    // A failed read closes the window once the list has returned.
    connect(m_panel, &ListPanel::closeRequested, this, [this] { QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection); });
    // Gaining the focus from outside the window refreshes the list (another window may have changed it).
    m_focusWatch = connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
        if (m_opened && now && isAncestorOf(now) && !(old && isAncestorOf(old))) refreshList();
    });
    resize(widgets::dialogSize(*this, layout.size.width(), layout.size.height()));
}

void BrowseWindow::resetList() {
    if (m_list && !m_list->closed()) m_list->resetSort(sortForTab(m_tabs->currentIndex()));
}

void BrowseWindow::refreshList() {
    if (!m_list) return;
    m_list->forceRefresh();
    resetList();
}

void BrowseWindow::actionEnded() {
    resetList();
    m_panel->view()->setFocus();
}

void BrowseWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_opened) return;
    m_opened = true;
    widgets::restoreWindowPosition(widgets::positionedWidget(*this), m_section, m_services.iniFile);
    actionEnded();
}

void BrowseWindow::runModal(const std::function<void()>& run) {
    ++m_modalDepth;
    run();
    --m_modalDepth;
    if (m_modalDepth == 0 && m_closePending) QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void BrowseWindow::done(int result) {
    if (m_modalDepth > 0) {
        // A form runs from here: it closes first (from the innermost box out), the window after it.
        m_closePending = true;
        auto* closer = new QTimer(this);
        closer->setInterval(20);
        connect(closer, &QTimer::timeout, this, [this, closer] {
            if (m_modalDepth == 0) {
                closer->deleteLater();
            } else if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != this) {
                modal->close();
            }
        });
        closer->start();
        return;
    }
    if (m_opened && isVisible()) widgets::saveWindowPosition(widgets::positionedWidget(*this), m_section, m_services.iniFile);
    QDialog::done(result);
}

}  // namespace tarvelo
