#include "data/windows/schedule_window.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTableView>
#include <QTimer>

#include "data/windows/category_windows.h"
#include "widgets/child_window.h"
#include "widgets/page_list_view.h"

namespace tarvelo {
namespace {

// How often a refresh the engine asked for looks again whether a modal window still holds it back.
constexpr int kRefreshRetryMs = 500;
constexpr int kDescriptionColumn = 4;
constexpr int kTaskTypeColumn = 5;
constexpr int kScheduleTypeColumn = 6;

std::vector<QIcon> scheduleIcons() {
    // In the order of ScheduleIcon.
    return {resourceIcon("task_disabled"), resourceIcon("task_done"), resourceIcon("task_pending"),
            resourceIcon("task_skip")};
}

QPushButton* windowButton(const char* text, QWidget* parent) {
    auto* button = new QPushButton(QString::fromUtf8(text), parent);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

BrowseScheduleWindow* BrowseScheduleWindow::start(const ScheduleBrowseServices& services, QWidget* host) {
    auto* window = new BrowseScheduleWindow(services, host);
    widgets::showStartedWindow(window, host);
    return window;
}

BrowseScheduleWindow::BrowseScheduleWindow(const ScheduleBrowseServices& services, QWidget* parent)
    : BrowseWindow("BrowseSchedule", QStringLiteral("Browse the Schedule"), services.lists, parent),
      m_services(services) {
    useTables({TableId::categories, TableId::schedule, TableId::tagFile});
    if (services.lastRuns) useTables({TableId::runLog});
    DataFiles& files = services.lists.files;
    auto browse = std::make_unique<ScheduleBrowse>(files.table(TableId::schedule), files.warn(),
                                                   services.platform.clock.now().date, services.settings.showFullSchedule != 0,
                                                   services.isTagged, &files.table(TableId::tagFile), services.lastRuns);
    m_browse = browse.get();

    Layout layout;
    layout.list = std::move(browse);
    layout.format = kScheduleListFormat;
    layout.icons = scheduleIcons();
    for (int tab = 0; tab < kScheduleTabCount; ++tab) {
        layout.tabs << QString::fromUtf8(scheduleTabName(static_cast<ScheduleTab>(tab)));
    }
    layout.helpButton = false;
    layout.size = {440, 200};
    build(std::move(layout));
    closeButton()->setText(QStringLiteral("Cl&ose"));
    QTableView* table = panel()->view()->table();
    table->setToolTip(QStringLiteral("Browsing Schedule"));
    table->setStatusTip(QStringLiteral("Browsing Schedule"));
    // The description is what tells tasks apart: it takes the room the window has beyond the columns'
    // own widths.
    table->horizontalHeader()->setStretchLastSection(false);
    table->horizontalHeader()->setSectionResizeMode(kDescriptionColumn, QHeaderView::Stretch);
    showTaskTypesWhole(*table, kTaskTypeColumn, kScheduleTypeColumn);

    // After Insert, Change and Delete: Reschedule and Run Now, then the button of the tab shown.
    QHBoxLayout* row = panel()->buttonRow();
    m_reschedule = windowButton("Reschedule", this);
    m_runNow = windowButton("&Run Now", this);
    row->insertWidget(3, m_reschedule);
    row->insertWidget(4, m_runNow);
    m_selectDay = windowButton("Select Day", this);
    m_selectCategory = windowButton("Select Category", this);
    m_search = windowButton("Search", this);
    for (QPushButton* b : {m_selectDay, m_selectCategory, m_search}) row->addWidget(b);
    m_search->setEnabled(static_cast<bool>(services.search));
    setTabOrder(panel()->deleteButton(), m_reschedule);
    setTabOrder(m_reschedule, m_runNow);

    connect(m_reschedule, &QPushButton::clicked, this, &BrowseScheduleWindow::pressReschedule);
    connect(m_runNow, &QPushButton::clicked, this, &BrowseScheduleWindow::pressRunNow);
    connect(m_selectDay, &QPushButton::clicked, this, &BrowseScheduleWindow::pressSelectDay);
    connect(m_selectCategory, &QPushButton::clicked, this, &BrowseScheduleWindow::pressSelectCategory);
    connect(m_search, &QPushButton::clicked, this, &BrowseScheduleWindow::pressSearch);
    connect(panel()->view(), &widgets::PageListView::listChanged, this, &BrowseScheduleWindow::followList);
    {
        // The tab it opens on; the list is filled in its order when the window first shows.
        const QSignalBlocker quiet(tabs());
        tabs()->setCurrentIndex(static_cast<int>(m_browse->tab()));
    }
    connect(tabs(), &QTabBar::currentChanged, this, &BrowseScheduleWindow::showTab);
    showTab();
    followList();
}

void BrowseScheduleWindow::showTab() {
    const auto tab = static_cast<ScheduleTab>(tabs()->currentIndex());
    for (const auto& [named, caption] : {std::pair{ScheduleTab::daySchedule, m_browse->dayTabCaption()},
                                         {ScheduleTab::allByCategory, m_browse->categoryTabCaption()}}) {
        tabs()->setTabText(static_cast<int>(named), QString::fromStdString(caption));
        tabs()->setTabToolTip(static_cast<int>(named), QString::fromUtf8(scheduleTabName(named)));
    }
    m_selectDay->setVisible(tab == ScheduleTab::daySchedule);
    m_selectCategory->setVisible(tab == ScheduleTab::allByCategory);
    m_search->setVisible(tab == ScheduleTab::selected);
}

void BrowseScheduleWindow::followList() {
    const bool entries = m_browse->entryCount() > 0;
    m_reschedule->setEnabled(entries && static_cast<bool>(m_services.specialEvent));
    m_runNow->setEnabled(entries && static_cast<bool>(m_services.runNow));
}

void BrowseScheduleWindow::runButton(platform::ListButton button) {
    if (!m_services.taskForm) return;
    const Request request = requestFor(button);
    // Change and Delete come with the highlighted task re-read into the list's buffer.
    Task task = request == Request::insert ? m_browse->newTask() : RecordTable<Task>::fromRow(m_browse->current());
    const Response response = m_services.taskForm(request, task, m_browse->selectedDayText(), this);
    m_browse->afterForm(request, response, task);
    actionEnded();
}

void BrowseScheduleWindow::pressReschedule() {
    Task source;
    if (!m_services.specialEvent || !m_browse->highlightedTask(source).ok()) return;
    runModal([&] {
        Task event;
        const Response response = m_services.specialEvent(source, event, this);
        m_browse->afterForm(Request::insert, response, event);
    });
    actionEnded();
}

void BrowseScheduleWindow::pressRunNow() {
    Task task;
    if (!m_services.runNow || !m_browse->highlightedTask(task).ok()) return;
    // The list is left as it is: a run changes only the task's last-run stamps, which it does not show.
    runModal([&] { m_services.runNow(task, this); });
    m_browse->setCurrent(RecordTable<Task>::toRow(task));
    panel()->view()->setFocus();
}

void BrowseScheduleWindow::pressSelectDay() {
    if (!m_services.calendar) return;
    StdDate day = m_browse->selectedDay();
    runModal([&] { day = m_services.calendar(day, this); });
    m_browse->setSelectedDay(day);
    showTab();
    actionEnded();
}

void BrowseScheduleWindow::pressSelectCategory() {
    std::optional<Category> chosen;
    runModal([&] { chosen = selectCategories(Request::select, m_services.lists, this); });
    if (chosen) m_browse->setCategory(chosen->category.text());
    showTab();
    actionEnded();
}

void BrowseScheduleWindow::pressSearch() {
    if (!m_services.search) return;
    // The search outlives nothing of ours: should this window close first, its end is not heard.
    m_services.search([self = QPointer<BrowseScheduleWindow>(this)](Response response, const Task& task) {
        if (self) self->searchEnded(response, task);
    });
}

void BrowseScheduleWindow::searchEnded(Response response, const Task& task) {
    m_browse->afterSearch(response, task);
    actionEnded();
}

void BrowseScheduleWindow::tableChanged() {
    if (m_refreshPending) return;
    m_refreshPending = true;
    QTimer::singleShot(0, this, &BrowseScheduleWindow::refreshWhenIdle);
}

void BrowseScheduleWindow::refreshWhenIdle() {
    // A form or a box run from here (or from the engine) is open: the list is read when it has gone.
    if (QApplication::activeModalWidget()) {
        QTimer::singleShot(kRefreshRetryMs, this, &BrowseScheduleWindow::refreshWhenIdle);
        return;
    }
    m_refreshPending = false;
    refreshList();
}

}  // namespace tarvelo
