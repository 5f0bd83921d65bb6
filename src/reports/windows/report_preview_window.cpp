#include "reports/windows/report_preview_window.h"

#include <algorithm>

#include <QAction>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStatusBar>

#include "reports/report_pages.h"
#include "reports/paint/page_painter.h"
#include "reports/windows/page_view.h"
#include "widgets/child_window.h"
#include "widgets/default_button.h"
#include "widgets/window_placement.h"

namespace tarvelo::reports {

namespace {

constexpr int kZoomDotsPerInch = 100;

struct ItemText {
    const char* text;
    const char* status;
};

constexpr ItemText kItems[] = {
    {"&Cancel!", "Cancel the printing of this report"},
    {"&Print!", "Print this report"},
    {"&Zoom In!", "Zoom in on a page of this report"},
    {"&Previous Page!", "View the previous page(s) of this report"},
    {"&Next Page!", "View the next page(s) of this report"},
    {"&Jump!", "Jump to a selected page of the report"},
    {"&Facing Pages!", "View the report two pages at a time"},
};

QString q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

ReportPreviewWindow::ReportPreviewWindow(std::shared_ptr<const ReportPages> pages, QWidget* parent)
    : QMainWindow(parent), m_pages(std::move(pages)), m_model(m_pages->pageCount()) {
    setObjectName(QStringLiteral("ReportPreview"));
    setWindowTitle(QStringLiteral("Print Preview"));
    setFont(widgets::windowFont());

    for (int i = 0; i < 7; ++i) {
        QAction* a = menuBar()->addAction(QString::fromUtf8(kItems[i].text));
        a->setStatusTip(QString::fromUtf8(kItems[i].status));
        m_items[i] = a;
    }
    // The Alt keys of a child window's menu bar belong to the frame's menu bar, so the items take keys
    // of their own while the preview has the focus (it holds no entry that letters could be meant for).
    const std::pair<Item, QList<QKeySequence>> keys[] = {
        {Item::cancel, {QKeySequence(Qt::Key_Escape)}},
        {Item::print, {QKeySequence::Print}},
        {Item::zoom, {QKeySequence(Qt::Key_Z)}},
        {Item::previous, {QKeySequence(Qt::Key_PageUp)}},
        {Item::next, {QKeySequence(Qt::Key_PageDown)}},
        {Item::jump, {QKeySequence(Qt::Key_J)}},
        {Item::facing, {QKeySequence(Qt::Key_F)}},
    };
    for (const auto& [which, sequences] : keys) {
        item(which)->setShortcuts(sequences);
        item(which)->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(item(which));
    }
    setFocusPolicy(Qt::StrongFocus);
    connect(item(Item::cancel), &QAction::triggered, this, [this] { finish(false); });
    connect(item(Item::print), &QAction::triggered, this, [this] { finish(true); });
    connect(item(Item::zoom), &QAction::triggered, this, [this] { act([](auto& m) { m.zoom(); }); });
    connect(item(Item::previous), &QAction::triggered, this, [this] { act([](auto& m) { m.previousPage(); }); });
    connect(item(Item::next), &QAction::triggered, this, [this] { act([](auto& m) { m.nextPage(); }); });
    connect(item(Item::facing), &QAction::triggered, this, [this] { act([](auto& m) { m.toggleFacing(); }); });
    connect(item(Item::jump), &QAction::triggered, this, [this] {
        const std::optional<int> page = (askPage ? askPage : [this](int s, int n) { return askJump(s, n); })(
            m_model.jumpStart(), m_model.pageCount());
        if (page) act([p = *page](auto& m) { m.jumpTo(p); });
    });

    m_stack = new QStackedWidget(this);
    auto* panes = new QWidget(m_stack);
    auto* row = new QHBoxLayout(panes);
    row->setContentsMargins(widgets::dialogWidth(*this, 9), 4, widgets::dialogWidth(*this, 9), 4);
    m_left = new PageView(panes);
    m_centre = new PageView(panes);
    m_right = new PageView(panes);
    for (PageView* pane : {m_left, m_centre, m_right}) row->addWidget(pane);
    connect(m_left, &PageView::clicked, this, [this] { act([](auto& m) { m.clickLeft(); }); });
    connect(m_centre, &PageView::clicked, this, [this] { act([](auto& m) { m.clickCentre(); }); });
    connect(m_right, &PageView::clicked, this, [this] { act([](auto& m) { m.clickRight(); }); });
    m_stack->addWidget(panes);

    m_zoomArea = new QScrollArea(m_stack);
    m_zoomArea->setAlignment(Qt::AlignHCenter);
    m_zoomed = new PageView;
    m_zoomed->setCursor(Qt::ArrowCursor);
    m_zoomed->setFixedSize(kPageWidth * kZoomDotsPerInch / 1000 + 12, kPageHeight * kZoomDotsPerInch / 1000 + 12);
    m_zoomArea->setWidget(m_zoomed);
    m_stack->addWidget(m_zoomArea);
    setCentralWidget(m_stack);

    for (int i = 0; i < 3; ++i) {
        m_zones[i] = new QLabel(statusBar());
        m_zones[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        m_zones[i]->setMinimumWidth(widgets::dialogWidth(*this, i == 2 ? 90 : 50));
        statusBar()->addPermanentWidget(m_zones[i]);
    }
    resize(widgets::dialogSize(*this, 300, 200));
    display(m_model.display());
}

ReportPreviewWindow* ReportPreviewWindow::open(std::shared_ptr<const ReportPages> pages, QMdiArea* area) {
    auto* window = new ReportPreviewWindow(std::move(pages));
    // Pages want room: most of the document area, and never less than the whole menu bar.
    const QSize room = area->viewport()->size();
    window->resize(std::max(window->menuBar()->sizeHint().width() + 16, room.width() * 9 / 10),
                   std::max(window->height(), room.height() * 9 / 10));
    widgets::showStartedWindow(window, area);
    window->setFocus();
    return window;
}

QAction* ReportPreviewWindow::item(Item which) const { return m_items[static_cast<int>(which)]; }

QLabel* ReportPreviewWindow::zone(int number) const { return m_zones[number - 2]; }

void ReportPreviewWindow::act(const std::function<void(ReportPreviewModel&)>& action) {
    if (m_finished) return;
    action(m_model);
    display(m_model.display());
}

void ReportPreviewWindow::showPage(PageView* pane, int page) {
    pane->setVisible(page != 0);
    pane->setEnabled(page != 0);
    if (page != 0 && pane->page().number != page) pane->setPage(m_pages->page(page));
}

void ReportPreviewWindow::display(const PreviewDisplay& d) {
    const bool zoomed = d.zoomedPage != 0;
    m_stack->setCurrentIndex(zoomed ? 1 : 0);
    showPage(m_left, d.leftPage);
    showPage(m_centre, d.centrePage);
    showPage(m_right, d.rightPage);
    if (zoomed) showPage(m_zoomed, d.zoomedPage);
    // In facing mode a missing page still takes its half, so the pages stay where a book has them.
    for (PageView* pane : {m_left, m_right}) {
        QSizePolicy policy = pane->sizePolicy();
        policy.setRetainSizeWhenHidden(!zoomed && d.centrePage == 0);
        pane->setSizePolicy(policy);
    }
    zone(2)->setText(q(d.zone2));
    zone(3)->setText(q(d.zone3));
    zone(4)->setText(q(d.zone4));
    item(Item::previous)->setEnabled(d.previousEnabled);
    item(Item::next)->setEnabled(d.nextEnabled);
    item(Item::facing)->setEnabled(d.facingEnabled);
    item(Item::zoom)->setText(q(d.zoomText));
    item(Item::zoom)->setStatusTip(q(d.zoomStatus));
    item(Item::facing)->setText(q(d.facingText));
    item(Item::facing)->setStatusTip(q(d.facingStatus));
}

std::optional<int> ReportPreviewWindow::askJump(int start, int pages) {
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("JumpWindow"));
    dialog.setWindowTitle(QStringLiteral("Jump to a Report Page"));
    dialog.setFont(widgets::windowFont());
    dialog.setMinimumWidth(std::max(widgets::dialogWidth(dialog, 120), widgets::titleBarWidth(dialog)));  // room for the title
    auto* layout = new QVBoxLayout(&dialog);
    auto* row = new QHBoxLayout;
    auto* prompt = new QLabel(QStringLiteral("&Page:"), &dialog);
    auto* spin = new QSpinBox(&dialog);
    spin->setRange(1, pages);
    spin->setValue(start);
    spin->setStatusTip(QStringLiteral("Select a page of the report"));
    spin->setMinimumWidth(widgets::dialogWidth(dialog, 32));
    prompt->setBuddy(spin);
    row->addWidget(prompt);
    row->addWidget(spin);
    layout->addLayout(row);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setStatusTip(QStringLiteral("Jump to the selected page"));
    buttons->button(QDialogButtonBox::Cancel)->setStatusTip(QStringLiteral("Cancel this selection"));
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    widgets::setDefaultButton(*buttons->button(QDialogButtonBox::Ok));
    layout->addWidget(buttons);
    spin->selectAll();
    spin->setFocus();
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return spin->value();
}

void ReportPreviewWindow::finish(bool print) {
    if (m_finished) return;
    m_finished = true;
    emit closed(print);
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) {
        sub->close();
    } else {
        close();
    }
}

void ReportPreviewWindow::closeEvent(QCloseEvent* event) {
    // The close box: nothing is printed.
    if (!m_finished) {
        m_finished = true;
        emit closed(false);
    }
    QMainWindow::closeEvent(event);
}

}  // namespace tarvelo::reports
