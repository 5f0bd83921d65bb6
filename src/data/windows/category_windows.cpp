#include "data/windows/category_windows.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "data/category_lists.h"
#include "widgets/entry_limit.h"
#include "widgets/child_window.h"
#include "widgets/default_button.h"
#include "widgets/page_list_view.h"
#include "widgets/program_icon.h"
#include "widgets/window_placement.h"

namespace tarvelo {

namespace {

constexpr std::string_view kUpdateSection = "UpdateCategories";
// In the columns of BrowseSCH:KeyCategory.
constexpr int kTaskTypeColumn = 4;
constexpr int kScheduleTypeColumn = 5;

std::unique_ptr<BrowseList> categoryList(const ListServices& services) {
    return std::make_unique<BrowseList>(services.files.table(TableId::categories), services.files.warn(),
                                        categoryBrowseConfig());
}

// A task list's button: the task form on a new task of the category, or on the highlighted task.
void runTaskForm(BrowseList& list, platform::ListButton button, const std::string& category, const ListServices& services,
                 QWidget* parent) {
    if (!services.taskForm) return;
    const Request request = requestFor(button);
    Task task;
    if (request == Request::insert) {
        task.category = category;
    } else {
        task = RecordTable<Task>::fromRow(list.current());
    }
    const Response response = services.taskForm(request, task, parent);
    list.afterForm(request, response, RecordTable<Task>::toRow(task));
}

}  // namespace

// --- SelectCategories ------------------------------------------------------------------------------

SelectCategoriesWindow::SelectCategoriesWindow(Request request, const ListServices& services, QWidget* parent)
    : BrowseWindow("SelectCategories", QStringLiteral("Select a Category"), services, parent),
      m_selecting(request == Request::select) {
    useTables({TableId::categories});
    Layout layout;
    layout.list = categoryList(services);
    layout.format = kCategoryListFormat;
    layout.tabs = {QStringLiteral("Category")};
    layout.updateButtons = false;
    layout.size = {150, 150};
    build(std::move(layout));

    m_select = new QPushButton(QStringLiteral("&Select"), this);
    windowButtons()->addWidget(m_select);
    setTabOrder(panel()->view(), m_select);
    m_select->setVisible(m_selecting);
    m_select->setEnabled(m_selecting);
    if (m_selecting) widgets::setDefaultButton(*m_select);
    connect(m_select, &QPushButton::clicked, this, &SelectCategoriesWindow::pressSelect);
    panel()->view()->setDoubleClickAction([this] {
        if (m_selecting) m_select->click();
    });
    if (m_selecting) {
        connect(panel()->view(), &widgets::PageListView::listChanged, this,
                [this] { m_select->setEnabled(list().entryCount() > 0); });
    }
}

void SelectCategoriesWindow::pressSelect() {
    if (!list().rereadHighlighted().ok()) return;
    m_chosen = RecordTable<Category>::fromRow(list().current());
    accept();
}

std::optional<Category> selectCategories(Request request, const ListServices& services, QWidget* parent) {
    SelectCategoriesWindow window(request, services, parent);
    window.exec();
    return window.chosen();
}

// --- BrowseCategories ------------------------------------------------------------------------------

BrowseCategoriesWindow* BrowseCategoriesWindow::start(const ListServices& services, QWidget* host) {
    auto* window = new BrowseCategoriesWindow(services, host);
    widgets::showStartedWindow(window, host);
    return window;
}

BrowseCategoriesWindow::BrowseCategoriesWindow(const ListServices& services, QWidget* parent)
    : BrowseWindow("BrowseCategories", QStringLiteral("Browse Categories"), services, parent) {
    useTables({TableId::categories});
    Layout layout;
    layout.list = categoryList(services);
    layout.format = kCategoryListFormat;
    layout.tabs = {QStringLiteral("Category")};
    layout.size = {190, 160};
    build(std::move(layout));

    m_schedule = new QPushButton(QStringLiteral("Schedule"), this);
    m_schedule->setAutoDefault(false);
    panel()->buttonRow()->addWidget(m_schedule);
    setTabOrder(panel()->deleteButton(), m_schedule);
    connect(m_schedule, &QPushButton::clicked, this, &BrowseCategoriesWindow::pressSchedule);
    connect(panel()->view(), &widgets::PageListView::listChanged, this,
            [this] { m_schedule->setEnabled(list().entryCount() > 0); });
    m_schedule->setEnabled(false);
}

void BrowseCategoriesWindow::runButton(platform::ListButton button) {
    const Request request = requestFor(button);
    // A new category starts blank.
    const Category category = request == Request::insert ? Category{} : RecordTable<Category>::fromRow(list().current());
    const FormOutcome<Category> outcome = updateCategories(request, category, services(), this);
    list().afterForm(request, outcome.response, RecordTable<Category>::toRow(outcome.record));
    actionEnded();
}

void BrowseCategoriesWindow::pressSchedule() {
    if (!list().rereadHighlighted().ok()) return;
    const Category category = RecordTable<Category>::fromRow(list().current());
    runModal([&] {
        CategoryTasksWindow tasks(category.category.text(), services(), this);
        tasks.exec();
    });
    list().refresh();
    actionEnded();
}

// --- BrowseSCH:KeyCategory -------------------------------------------------------------------------

CategoryTasksWindow::CategoryTasksWindow(std::string category, const ListServices& services, QWidget* parent)
    : BrowseWindow("BrowseSCH:KeyCategory", QStringLiteral("Browse Schedule by Category"), services, parent),
      m_category(std::move(category)) {
    useTables({TableId::schedule});
    Layout layout;
    layout.list = std::make_unique<BrowseList>(services.files.table(TableId::schedule), services.files.warn(),
                                               categoryTasksConfig(kTasksByCategoryFormat, [this] { return m_category; }));
    layout.format = kTasksByCategoryFormat;
    layout.tabs = {QStringLiteral("Category")};
    layout.size = {400, 180};
    build(std::move(layout));
    showTaskTypesWhole(*panel()->view()->table(), kTaskTypeColumn, kScheduleTypeColumn);
}

void CategoryTasksWindow::runButton(platform::ListButton button) {
    runTaskForm(list(), button, m_category, services(), this);
    actionEnded();
}

// --- UpdateCategories ------------------------------------------------------------------------------

FormOutcome<Category> updateCategories(Request request, const Category& category, const ListServices& services,
                                       QWidget* parent) {
    CategoryForm form(services.files, request, category);
    if (form.start()) {
        UpdateCategoriesDialog dialog(form, services, parent);
        widgets::restoreWindowPosition(dialog, kUpdateSection, services.iniFile);
        dialog.exec();
        widgets::saveWindowPosition(dialog, kUpdateSection, services.iniFile);
    }
    FormOutcome<Category> outcome;
    outcome.response = form.finish();
    outcome.record = form.record();
    return outcome;
}

UpdateCategoriesDialog::UpdateCategoriesDialog(CategoryForm& form, const ListServices& services, QWidget* parent)
    : QDialog(parent), m_form(form), m_services(services) {
    setObjectName(QString::fromLatin1(kUpdateSection.data(), static_cast<int>(kUpdateSection.size())));
    setFont(widgets::windowFont());
    setWindowIcon(widgets::programIcon());
    setWindowTitle(QStringLiteral("Update Category"));
    if (const std::string title = form.actionTitle(); !title.empty()) setWindowTitle(QString::fromStdString(title));
    setSizeGripEnabled(true);

    m_tabs = new QTabWidget(this);
    auto* general = new QWidget(m_tabs);
    m_entry = new QLineEdit(general);
    widgets::limitEntry(m_entry, 20);
    auto* prompt = new QLabel(QStringLiteral("&Category:"), general);
    prompt->setBuddy(m_entry);
    auto* generalLayout = new QHBoxLayout(general);
    generalLayout->addWidget(prompt);
    generalLayout->addWidget(m_entry, 1);
    generalLayout->setAlignment(Qt::AlignTop);
    m_tabs->addTab(general, QStringLiteral("General"));

    // The tasks of the category as its name stands in the entry.
    m_tasks = std::make_unique<BrowseList>(services.files.table(TableId::schedule), services.files.warn(),
                                           categoryTasksConfig(kCategoryTaskListFormat,
                                                               [this] { return m_form.record().category.text(); }));
    m_panel = new ListPanel(*m_tasks, kCategoryTaskListFormat, {}, true, m_tabs);
    m_panel->onButton = [this](platform::ListButton button) {
        runTaskForm(*m_tasks, button, m_form.record().category.text(), m_services, this);
        resetTasks();
        m_panel->view()->setFocus();
    };
    m_tabs->addTab(m_panel, QStringLiteral("Schedule"));

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    widgets::setDefaultButton(*m_ok);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setAutoDefault(false);
    auto* help = new QPushButton(QStringLiteral("Help"), this);
    help->setAutoDefault(false);
    help->setEnabled(static_cast<bool>(services.help));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    buttons->addWidget(help);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs, 1);
    layout->addLayout(buttons);

    showRecord();
    connect(m_entry, &QLineEdit::textChanged, this, [this](const QString& text) { m_form.record().category = text.toStdString(); });
    // Moving on from the name shows that name's tasks.
    connect(m_entry, &QLineEdit::editingFinished, this, &UpdateCategoriesDialog::resetTasks);
    connect(m_tabs, &QTabWidget::currentChanged, this, &UpdateCategoriesDialog::resetTasks);
    enableTabKeys(this, m_tabs->tabBar());
    connect(m_panel, &ListPanel::closeRequested, this, [this] { QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection); });
    m_focusWatch = connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
        if (m_opened && now && isAncestorOf(now) && !(old && isAncestorOf(old))) {
            m_tasks->forceRefresh();
            resetTasks();
        }
    });
    connect(m_ok, &QPushButton::clicked, this, &UpdateCategoriesDialog::pressOk);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, [this] { m_services.help(); });
    resize(widgets::dialogSize(*this, 260, 160));
}

UpdateCategoriesDialog::~UpdateCategoriesDialog() {
    // The base class moves the focus while it tears the children down; this window must not hear of it.
    disconnect(m_focusWatch);
    delete m_panel;  // its view observes the task list, which goes first among the members
}

void UpdateCategoriesDialog::showRecord() {
    const QSignalBlocker block(m_entry);
    m_entry->setText(QString::fromStdString(m_form.record().category.text()));
}

void UpdateCategoriesDialog::resetTasks() {
    if (!m_tasks->closed()) m_tasks->resetSort(0);
}

void UpdateCategoriesDialog::pressOk() {
    if (m_form.complete() == FormStep::close) {
        accept();
        return;
    }
    // Refused: a rename puts the old name back; the name keeps the focus.
    showRecord();
    resetTasks();
    m_tabs->setCurrentIndex(0);
    m_entry->setFocus();
}

void UpdateCategoriesDialog::done(int result) {
    if (result != QDialog::Accepted) m_form.cancel();
    QDialog::done(result);
}

void UpdateCategoriesDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_opened) return;
    m_opened = true;
    resetTasks();
    m_entry->setFocus();
}

}  // namespace tarvelo
