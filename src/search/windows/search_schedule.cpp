#include "search/windows/search_schedule.h"

#include <algorithm>
#include <memory>
#include <vector>

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QEventLoop>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "data/tables.h"
#include "search/criterion_text.h"
#include "widgets/child_window.h"
#include "widgets/date_edit.h"
#include "widgets/default_button.h"
#include "widgets/read_only.h"
#include "widgets/time_edit.h"
#include "widgets/window_placement.h"

namespace tarvelo::search {

namespace {

constexpr const char* kSection = "SearchSchedule";
constexpr int kTaskTab = 0;
constexpr int kCommandTab = 1;
constexpr int kMessageTab = 2;
constexpr int kWhenTab = 3;
constexpr int kAdvancedTab = 4;
constexpr int kIndicatorWidth = 9;  // dialog units

const SearchField& field(const char* name) { return *searchFieldNamed(name); }

// The layout, root or nested in it, that holds widget itself.
QLayout* layoutHolding(QLayout* root, const QWidget* widget) {
    if (!root) return nullptr;
    for (int i = 0; i < root->count(); ++i) {
        QLayoutItem* item = root->itemAt(i);
        if (item->widget() == widget) return root;
        if (QLayout* found = layoutHolding(item->layout(), widget)) return found;
    }
    return nullptr;
}

QPushButton* button(const char* text, const char* statusText, QWidget* parent) {
    auto* b = new QPushButton(QString::fromUtf8(text), parent);
    if (statusText) b->setStatusTip(QString::fromUtf8(statusText));
    b->setAutoDefault(false);
    return b;
}

}  // namespace

SearchScheduleWindow::SearchScheduleWindow(const TaskFormServices& services, Tags& tags, QWidget* parent)
    : QWidget(parent),
      m_services(services),
      m_runner(this),
      m_dialogs(this, [this](const store::Row& task) { return showFound(task); }),
      m_searchEditor(services.files, Request::search, Task{}, services.platform, services.fields) {
    setObjectName(QString::fromLatin1(kSection));
    setFont(widgets::windowFont());
    setWindowTitle(QStringLiteral("Search the Schedule"));
    m_searchEditor.fields().setRules(TaskRules::search);
    m_started = m_searchEditor.start();
    m_search = std::make_unique<ScheduleSearch>(services.files, tags, m_dialogs, services.platform.messages, m_runner);

    m_controls.command = new CommandControls(false);
    m_controls.message = new MessageControls("Message to display:");
    m_controls.when = new WhenControls(WhenOptions{true, true, "&Skip Next Time", false});  // no next dates in a search
    m_controls.advanced = new AdvancedControls(true);
    m_tabs = new QTabWidget(this);
    m_tabs->addTab(buildTaskTab(), QStringLiteral("&Task"));
    m_tabs->addTab(m_controls.command, QStringLiteral("&Command"));
    m_tabs->addTab(m_controls.message, QStringLiteral("&Message"));
    m_tabs->addTab(m_controls.when, QStringLiteral("&When"));
    m_tabs->addTab(m_controls.advanced, QStringLiteral("&Advanced"));
    for (int i = kCommandTab; i < m_tabs->count(); ++i) m_tabs->widget(i)->setContentsMargins(9, 9, 9, 9);

    m_searchType = button("&Search Type", "Comparison Operator", this);
    m_beginSearch = button("&Begin Search", "Begin Search", this);
    m_ok = button("&OK", nullptr, this);
    m_cancel = button("Cancel", nullptr, this);
    m_ok->hide();  // no record is stored from search mode
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addLayout(taskButtonRow({m_searchType, m_beginSearch, m_ok, m_cancel}));

    m_binder = new TaskControlsBinder(m_searchEditor, m_controls, services, this);
    m_binder->setSearchMode(true);
    m_binder->refresh();
    mapFields();
    makeRoomForIndicators();
    for (const SearchField& f : searchFields()) showIndicator(f);

    connect(m_searchType, &QPushButton::clicked, this, [this] {
        if (m_foundLoop) {
            m_foundChoice = FoundChoice::editThis;
            m_foundLoop->quit();
        } else {
            chooseSearchType();
        }
    });
    connect(m_beginSearch, &QPushButton::clicked, this, [this] {
        if (m_foundLoop) {
            m_foundChoice = FoundChoice::findNext;
            m_foundLoop->quit();
        } else {
            beginSearch();
        }
    });
    connect(m_ok, &QPushButton::clicked, this, &SearchScheduleWindow::pressOk);
    connect(m_cancel, &QPushButton::clicked, this, [this] { close(); });
    // Escape cancels, as it does in the form and the wizards, which are dialogs.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this, [this] { m_cancel->click(); });
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    m_focusWatch = connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { focusChanged(now); });
    widgets::setDefaultButton(*m_beginSearch);
    setWindowTitle(QStringLiteral("Enter Search Criteria"));
}

SearchScheduleWindow::~SearchScheduleWindow() {
    // The base class moves the focus while it tears the children down; this window must not hear of it.
    disconnect(m_focusWatch);
    if (!m_ended) finishSessions();
}

QWidget* SearchScheduleWindow::buildTaskTab() {
    auto* tab = new QWidget;
    auto* layout = new QVBoxLayout(tab);
    m_controls.task = new TaskPageControls(4, nullptr, tab);
    layout->addWidget(m_controls.task);
    // The form's two lines about selecting hold no data: search mode hides them like the other such controls.
    m_intro[0] = new QLabel(QStringLiteral("This process allows you to select/unselect"), tab);
    m_intro[1] = new QLabel(QStringLiteral("schedule items based on certain criteria."), tab);
    for (QLabel* l : m_intro) {
        layout->addWidget(l);
        l->hide();
    }
    layout->addStretch();
    return tab;
}

void SearchScheduleWindow::mapFields() {
    TaskPageControls& t = *m_controls.task;
    for (QRadioButton* r : t.taskTypes) watchField(field("tasktype"), r);
    watchField(field("category"), t.category);
    watchField(field("description"), t.description);
    watchField(field("command"), m_controls.command->command);
    watchField(field("path"), m_controls.command->path);
    watchField(field("message"), m_controls.message->message);
    WhenControls& w = *m_controls.when;
    for (QRadioButton* r : w.scheduleTypes) watchField(field("scheduletype"), r);
    const char* ordinals[] = {"every1st", "every2nd", "every3rd", "every4th", "everylast"};
    for (std::size_t i = 0; i < w.ordinals.size(); ++i) watchField(field(ordinals[i]), w.ordinals[i]);
    const char* weekdays[] = {"sunday", "monday", "tuesday", "wednesday", "thursday", "friday", "saturday"};
    for (std::size_t i = 0; i < w.weekdays.size(); ++i) watchField(field(weekdays[i]), w.weekdays[i]);
    watchField(field("every"), w.every);
    for (QRadioButton* r : w.everyTypes) watchField(field("everytype"), r);
    watchField(field("date"), w.date);
    watchField(field("time"), w.time);
    watchField(field("skipnexttime"), w.skip);
    watchField(field("advancewarndate"), w.warnDate);
    watchField(field("advancewarntime"), w.warnTime);
    AdvancedControls& a = *m_controls.advanced;
    watchField(field("alarm"), a.alarm);
    watchField(field("alarmfile"), a.wavFile);
    watchField(field("warn"), a.warn);
    watchField(field("userskip"), a.userSkip);
    watchField(field("disabled"), a.disabled);
}

void SearchScheduleWindow::watchField(const SearchField& f, QWidget* control) {
    if (!control) return;
    m_fieldOf[control] = &f;
    if (!m_controlOf.count(f.index)) {
        m_controlOf[f.index] = control;
        auto* label = new QLabel(control->parentWidget());
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_indicators[f.index] = label;
    }
    control->installEventFilter(this);
    // A value is accepted when the user completes it; what the binder shows is not an entry.
    if (auto* date = qobject_cast<widgets::DateEdit*>(control)) {
        connect(date, &widgets::DateEdit::accepted, this, [this, &f] { fieldAccepted(f); });
    } else if (auto* time = qobject_cast<widgets::TimeEdit*>(control)) {
        connect(time, &widgets::TimeEdit::accepted, this, [this, &f] { fieldAccepted(f); });
    } else if (auto* entry = qobject_cast<QLineEdit*>(control)) {
        // Typed into, then completed (Enter or leaving it); the binder may show the text again in between.
        connect(entry, &QLineEdit::textEdited, this, [this, entry] { m_edited.insert(entry); });
        connect(entry, &QLineEdit::editingFinished, this, [this, entry, &f] {
            if (m_edited.erase(entry) > 0) fieldAccepted(f);
        });
    } else if (auto* box = qobject_cast<QAbstractButton*>(control)) {
        connect(box, &QAbstractButton::clicked, this, [this, &f] { fieldAccepted(f); });
    } else if (auto* list = qobject_cast<QComboBox*>(control)) {
        connect(list, &QComboBox::activated, this, [this, &f] { fieldAccepted(f); });
    }
}

bool SearchScheduleWindow::eventFilter(QObject* watched, QEvent* event) {
    auto* control = qobject_cast<QWidget*>(watched);
    const auto it = control ? m_fieldOf.find(control) : m_fieldOf.end();
    if (it == m_fieldOf.end()) return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::ContextMenu:
        if (!inSearchMode() || m_foundLoop) break;
        control->setFocus();
        m_search->selectField(it->second);
        chooseSearchType();
        return true;
    case QEvent::FocusOut:
        // The message box has no completion of its own: leaving it after a change accepts it.
        if (auto* text = qobject_cast<QPlainTextEdit*>(control); text && text->document()->isModified()) {
            text->document()->setModified(false);
            fieldAccepted(*it->second);
        }
        break;
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
        placeIndicators();
        break;
    default: break;
    }
    return QWidget::eventFilter(watched, event);
}

void SearchScheduleWindow::fieldAccepted(const SearchField& f) {
    if (!inSearchMode() || m_foundLoop) return;
    if (m_search->valueAccepted(f)) showIndicator(f);
}

void SearchScheduleWindow::focusChanged(QWidget* now) {
    if (!now || !isAncestorOf(now) || !inSearchMode() || m_foundLoop) return;
    if (now == m_searchType) return;  // "&Search Type" acts on the field the user was on
    for (QWidget* w = now; w && w != this; w = w->parentWidget()) {
        if (const auto it = m_fieldOf.find(w); it != m_fieldOf.end()) {
            m_search->selectField(it->second);
            return;
        }
    }
    m_search->selectField(nullptr);
}

void SearchScheduleWindow::chooseSearchType() {
    const SearchField* current = m_search->currentField();
    store::Row row = buffer();
    if (m_search->chooseSearchType(row)) setBuffer(row);
    if (!current) return;
    showIndicator(*current);
    if (QWidget* control = fieldControl(*current)) {
        for (int i = 0; i < m_tabs->count(); ++i) {
            if (m_tabs->widget(i)->isAncestorOf(control)) m_tabs->setCurrentIndex(i);
        }
        control->setFocus();
    }
}

void SearchScheduleWindow::beginSearch() {
    store::Row row = buffer();
    const SearchOutcome outcome = m_search->beginSearch(row);
    if (m_ended) return;
    switch (outcome) {
    case SearchOutcome::marked: end(m_search->response(outcome)); return;
    case SearchOutcome::edit: editFound(row); return;
    case SearchOutcome::nothing: break;
    }
    if (m_closeAfterPrompt) {
        end(static_cast<int>(Response::cancelled));
        return;
    }
    setBuffer(row);
    focusFirstField();
}

FoundChoice SearchScheduleWindow::showFound(const store::Row& task) {
    const Task criteria = m_searchEditor.task();
    m_searchEditor.task() = scheduleBinding().fromRow(task);
    m_binder->refresh();
    const QString searchTypeText = m_searchType->text();
    const QString beginSearchText = m_beginSearch->text();
    m_searchType->setText(QStringLiteral("&Edit This"));
    m_beginSearch->setText(QStringLiteral("&Find Next"));
    {
        // The task asked about is read in its own colours, on every tab.
        std::vector<std::unique_ptr<widgets::ReadOnlyFields>> shown;
        for (int i = 0; i < m_tabs->count(); ++i) shown.push_back(std::make_unique<widgets::ReadOnlyFields>(*m_tabs->widget(i)));
        QEventLoop loop;
        m_foundLoop = &loop;
        m_foundChoice.reset();
        loop.exec();
        m_foundLoop = nullptr;
    }
    m_searchType->setText(searchTypeText);
    m_beginSearch->setText(beginSearchText);
    m_searchEditor.task() = criteria;
    m_binder->refresh();
    return m_foundChoice.value_or(FoundChoice::cancel);
}

void SearchScheduleWindow::editFound(const store::Row& row) {
    m_changeEditor =
        std::make_unique<TaskEditor>(m_services.files, Request::change, scheduleBinding().fromRow(row), m_services.platform, m_services.fields);
    if (!m_changeEditor->start()) {
        end(static_cast<int>(m_changeEditor->finish()));
        return;
    }
    delete m_binder;
    m_binder = new TaskControlsBinder(*m_changeEditor, m_controls, m_services, this);
    m_binder->showTabsFor(m_tabs, kCommandTab, kMessageTab);
    m_binder->onFocus = [this](TaskFocus where) {
        if (where == TaskFocus::FirstField) focusFirstField();
    };
    m_binder->setSearchMode(false);
    m_binder->refresh();
    for (auto& [index, label] : m_indicators) label->hide();
    m_searchType->hide();
    m_beginSearch->hide();
    m_ok->show();
    widgets::setDefaultButton(*m_ok);
    setWindowTitle(QString::fromStdString(m_changeEditor->caption()));
    focusFirstField();
}

void SearchScheduleWindow::pressOk() {
    if (!m_changeEditor) return;
    const std::optional<TaskFocus> stay = m_changeEditor->ok();
    m_binder->refresh();
    if (!stay) {
        end(static_cast<int>(m_changeEditor->response()));
        return;
    }
    if (*stay == TaskFocus::EveryEntry) {
        QApplication::beep();
        m_tabs->setCurrentIndex(kWhenTab);
        m_controls.when->every->setFocus();
        return;
    }
    if (*stay == TaskFocus::WavBrowse) {
        m_tabs->setCurrentIndex(kAdvancedTab);
        m_controls.advanced->wavBrowse->setFocus();
        return;
    }
    focusFirstField();
}

QLabel* SearchScheduleWindow::indicator(const SearchField& f) const {
    const auto it = m_indicators.find(f.index);
    return it == m_indicators.end() ? nullptr : it->second;
}

QWidget* SearchScheduleWindow::fieldControl(const SearchField& f) const {
    const auto it = m_controlOf.find(f.index);
    return it == m_controlOf.end() ? nullptr : it->second;
}

void SearchScheduleWindow::showIndicator(const SearchField& f) {
    QLabel* label = indicator(f);
    if (!label) return;
    const MatchTypeInfo& info = matchTypeInfo(m_search->matchType(f));
    label->setText(QString::fromUtf8(info.symbol.data(), static_cast<int>(info.symbol.size())));
    QFont font = widgets::windowFont();
    font.setBold(info.style == SymbolStyle::letter);  // the date parts are letters, set apart from the signs
    label->setFont(font);
    label->setToolTip(QString::fromStdString(choiceText(info.type)));
}

// The task controls are laid out for the task form; an indicator needs room left of its field, so the
// layouts holding the fields get at least that much between their columns and at their left edge.
void SearchScheduleWindow::makeRoomForIndicators() {
    const int room = widgets::dialogWidth(*this, kIndicatorWidth) + 2;
    for (const auto& [index, control] : m_controlOf) {
        QLayout* layout = control->parentWidget() ? layoutHolding(control->parentWidget()->layout(), control) : nullptr;
        if (!layout) continue;
        QMargins margins = layout->contentsMargins();
        margins.setLeft(std::max(margins.left(), room));
        layout->setContentsMargins(margins);
        if (auto* grid = qobject_cast<QGridLayout*>(layout)) {
            grid->setHorizontalSpacing(std::max(grid->horizontalSpacing(), room));
        } else if (auto* form = qobject_cast<QFormLayout*>(layout)) {
            form->setHorizontalSpacing(std::max(form->horizontalSpacing(), room));
        } else if (auto* box = qobject_cast<QBoxLayout*>(layout); box && (box->direction() == QBoxLayout::LeftToRight ||
                                                                         box->direction() == QBoxLayout::RightToLeft)) {
            box->setSpacing(std::max(box->spacing(), room));
        }
    }
}

// Each indicator stands just left of its field, at the field's height.
void SearchScheduleWindow::placeIndicators() {
    for (const auto& [index, label] : m_indicators) {
        QWidget* control = m_controlOf.at(index);
        const int width = widgets::dialogWidth(*this, kIndicatorWidth);
        label->setGeometry(control->x() - width - 1, control->y(), width, control->height());
        label->setVisible(inSearchMode() && control->isVisible());
        label->raise();
    }
}

void SearchScheduleWindow::focusFirstField() {
    m_tabs->setCurrentIndex(kTaskTab);
    QRadioButton* first = m_controls.task->taskTypes[0];
    for (QRadioButton* r : m_controls.task->taskTypes) {
        if (r && r->isChecked()) first = r;
    }
    if (first) first->setFocus();
}

store::Row SearchScheduleWindow::buffer() const { return scheduleBinding().toRow(m_searchEditor.task()); }

void SearchScheduleWindow::setBuffer(const store::Row& row) {
    m_searchEditor.task() = scheduleBinding().fromRow(row);
    m_binder->refresh();
}

void SearchScheduleWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    placeIndicators();
    if (m_positioned) return;
    m_positioned = true;
    widgets::restoreWindowPosition(widgets::positionedWidget(*this), kSection);
    // The sheet has the focus, not a field: no field is the current one until the user picks one.
    m_tabs->tabBar()->setFocus();
}

void SearchScheduleWindow::closeEvent(QCloseEvent* event) {
    if (m_foundLoop) {
        // Closing while a found task is shown ends the prompt first; the window closes after it.
        event->ignore();
        m_closeAfterPrompt = true;
        m_foundChoice = FoundChoice::cancel;
        m_foundLoop->quit();
        return;
    }
    if (!m_ended) end(static_cast<int>(Response::cancelled));
    QWidget::closeEvent(event);
}

void SearchScheduleWindow::end(int response) {
    if (m_ended) return;
    m_ended = true;
    m_response = response;
    if (m_changeEditor) m_response = finishSessions();
    else finishSessions();
    if (isVisible()) widgets::saveWindowPosition(widgets::positionedWidget(*this), kSection);
    emit finished(m_response);
    QTimer::singleShot(0, this, &QWidget::close);
}

int SearchScheduleWindow::finishSessions() {
    m_searchEditor.cancel();
    m_searchEditor.finish();
    if (!m_changeEditor) return static_cast<int>(Response::cancelled);
    // Anything but a completed OK ends the change session cancelled, as the task form's does.
    if (m_changeEditor->response() != Response::completed) m_changeEditor->cancel();
    else m_saved = m_changeEditor->task();
    return static_cast<int>(m_changeEditor->finish());
}

QMdiSubWindow* startSearchSchedule(QWidget* host, Request request, const TaskFormServices& services, Tags& tags,
                                   SearchEnd onEnd) {
    const auto cancelled = static_cast<int>(Response::cancelled);
    if (!ScheduleSearch::acceptsRequest(request, services.files.warn())) {
        if (onEnd) onEnd(cancelled, Task{});
        return nullptr;
    }
    auto* window = new SearchScheduleWindow(services, tags);
    if (!window->started()) {  // the category list could not be read (its warning was shown)
        delete window;
        if (onEnd) onEnd(cancelled, Task{});
        return nullptr;
    }
    if (onEnd) {
        QObject::connect(window, &SearchScheduleWindow::finished, window,
                         [window, onEnd = std::move(onEnd)](int response) { onEnd(response, window->savedTask()); });
    }
    window->resize(widgets::dialogSize(*window, 358, 179).expandedTo(window->sizeHint()));
    return widgets::showStartedWindow(window, host);
}

}  // namespace tarvelo::search
