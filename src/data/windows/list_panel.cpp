#include "data/windows/list_panel.h"

#include <algorithm>

#include <QHBoxLayout>
#include <QPushButton>
#include <QShortcut>
#include <QTabBar>
#include <QTableView>
#include <QVBoxLayout>

#include "data/list_cells.h"
#include "widgets/page_list_view.h"

namespace tarvelo {

Request requestFor(platform::ListButton button) {
    switch (button) {
    case platform::ListButton::insert: return Request::insert;
    case platform::ListButton::change: return Request::change;
    case platform::ListButton::remove: return Request::remove;
    }
    return Request::none;
}

void enableTabKeys(QWidget* window, QTabBar* tabs) {
    const auto step = [tabs](int by) {
        if (tabs->count() > 1) tabs->setCurrentIndex((tabs->currentIndex() + by + tabs->count()) % tabs->count());
    };
    auto* next = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), window);
    next->setContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(next, &QShortcut::activated, tabs, [step] { step(1); });
    auto* previous = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), window);
    previous->setContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(previous, &QShortcut::activated, tabs, [step] { step(-1); });
}

void showTaskTypesWhole(QTableView& table, int taskTypeColumn, int scheduleTypeColumn) {
    constexpr int kCellPadding = 16;  // pixels around a cell's text
    for (const auto& [column, longest] : {std::pair{taskTypeColumn, "Display Message"}, {scheduleTypeColumn, "Day of Month"}}) {
        const int needed = table.fontMetrics().horizontalAdvance(QString::fromLatin1(longest)) + kCellPadding;
        table.setColumnWidth(column, std::max(table.columnWidth(column), needed));
    }
}

ListPanel::ListPanel(BrowseList& list, const char* format, std::vector<QIcon> icons, bool updateButtons, QWidget* parent)
    : QWidget(parent), m_list(list) {
    m_view = new widgets::PageListView(list, programListColumns(format), std::move(icons), this);
    m_view->table()->setToolTip(QStringLiteral("Browsing Records"));
    m_view->table()->setStatusTip(QStringLiteral("Browsing Records"));
    m_view->setUpdateButtons(updateButtons);
    m_buttons = new QHBoxLayout;
    if (updateButtons) {
        m_insert = new QPushButton(QStringLiteral("&Insert"), this);
        m_change = new QPushButton(QStringLiteral("&Change"), this);
        m_delete = new QPushButton(QStringLiteral("&Delete"), this);
        for (auto [button, which] : {std::pair{m_insert, platform::ListButton::insert}, {m_change, platform::ListButton::change},
                                     {m_delete, platform::ListButton::remove}}) {
            button->setAutoDefault(false);
            m_buttons->addWidget(button);
            connect(button, &QPushButton::clicked, this, [this, which = which] { press(which); });
        }
    }
    m_buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view, 1);
    layout->addLayout(m_buttons);

    // The keys and the popup menu press the buttons (a disabled one does nothing).
    connect(m_view, &widgets::PageListView::buttonRequested, this, [this](platform::ListButton button) {
        QPushButton* b = button == platform::ListButton::insert ? m_insert
                         : button == platform::ListButton::change ? m_change
                                                           : m_delete;
        if (b) b->click();
    });
    connect(m_view, &widgets::PageListView::listChanged, this, &ListPanel::followList);
    connect(m_view, &widgets::PageListView::closeRequested, this, &ListPanel::closeRequested);
    followList();
}

void ListPanel::press(platform::ListButton button) {
    if (button != platform::ListButton::insert && !m_list.rereadHighlighted().ok()) return;
    if (onButton) onButton(button);
}

void ListPanel::followList() {
    const bool entries = m_list.entryCount() > 0;
    if (m_change) m_change->setEnabled(entries);
    if (m_delete) m_delete->setEnabled(entries);
}

}  // namespace tarvelo
