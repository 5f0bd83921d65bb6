#include "widgets/page_list_view.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolTip>
#include <QWheelEvent>

#include "core/picture.h"
#include "widgets/page_list_model.h"
#include "widgets/window_placement.h"

namespace tarvelo::widgets {

namespace {

// Paints a selected cell in the colours its row asks for while selected, and shows a text the cell cuts
// in full as its tool tip.
class SelectedColoursDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override {
        if (event->type() != QEvent::ToolTip) return QStyledItemDelegate::helpEvent(event, view, option, index);
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QStyle* style = view->style();
        const int margins = 2 * (style->pixelMetric(QStyle::PM_FocusFrameHMargin, &opt, view) + 1);
        const int room = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, view).width() - margins;
        if (!opt.text.trimmed().isEmpty() && opt.fontMetrics.horizontalAdvance(opt.text) > room) {
            QToolTip::showText(event->globalPos(), opt.text, view->viewport(), opt.rect);
        } else {
            QToolTip::hideText();
        }
        return true;
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        // The whole row is highlighted: a focus box around one cell of it would look like a column of its own.
        option->state &= ~QStyle::State_HasFocus;
        if (!(option->state & QStyle::State_Selected)) return;
        const QVariant fg = index.data(PageListModel::kSelectedForegroundRole);
        const QVariant bg = index.data(PageListModel::kSelectedBackgroundRole);
        if (fg.isValid()) option->palette.setColor(QPalette::HighlightedText, fg.value<QColor>());
        if (bg.isValid()) option->palette.setColor(QPalette::Highlight, bg.value<QColor>());
    }
};

// The widest text a date, time or number picture shows; blank for text, which may be cut.
QString widestValue(const std::string& picture) {
    const auto p = parsePicture(picture);
    if (!p) return {};
    switch (p->kind) {
    case Picture::Kind::Date: return QStringLiteral("May 30, 2000");
    case Picture::Kind::Time: return QStringLiteral("12:00PM");
    case Picture::Kind::Number: return QString(p->width, QLatin1Char('0'));
    case Picture::Kind::Text: break;
    }
    return {};
}

// The column that takes the room the window gives beyond the format's widths: the one holding the longest
// text, so that a wider window shows a description in full; the last when no column holds text.
int roomyColumn(const std::vector<ListColumn>& columns) {
    int roomy = static_cast<int>(columns.size()) - 1;
    int longest = 0;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const auto p = parsePicture(columns[i].picture);
        if (p && p->kind == Picture::Kind::Text && p->width > longest) {
            longest = p->width;
            roomy = static_cast<int>(i);
        }
    }
    return roomy;
}

}  // namespace

class PageListView::Observer : public platform::PageListObserver {
public:
    explicit Observer(PageListView& view) : m_view(view) {}
    void pageChanged() override { m_view.pageChanged(); }
    void busy(bool on) override {
        if (on) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
        } else {
            QApplication::restoreOverrideCursor();
        }
    }
    void closeRequested() override { emit m_view.closeRequested(); }

private:
    PageListView& m_view;
};

// The table itself: every key, wheel turn and resize goes to the list, never to Qt's own scrolling.
class PageListView::Table : public QTableView {
public:
    Table(PageListView& owner) : QTableView(&owner), m_owner(owner) {}

protected:
    void keyPressEvent(QKeyEvent* event) override {
        const bool ctrl = event->modifiers() & Qt::ControlModifier;
        switch (event->key()) {
        case Qt::Key_Up: return m_owner.scroll(platform::ListScroll::rowUp);
        case Qt::Key_Down: return m_owner.scroll(platform::ListScroll::rowDown);
        case Qt::Key_PageUp: return m_owner.scroll(ctrl ? platform::ListScroll::top : platform::ListScroll::pageUp);
        case Qt::Key_PageDown: return m_owner.scroll(ctrl ? platform::ListScroll::bottom : platform::ListScroll::pageDown);
        case Qt::Key_Home: return m_owner.scroll(platform::ListScroll::top);
        case Qt::Key_End: return m_owner.scroll(platform::ListScroll::bottom);
        case Qt::Key_Insert: return m_owner.key(platform::ListKey::insertKey);
        case Qt::Key_Delete: return m_owner.key(platform::ListKey::deleteKey);
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (ctrl) return m_owner.key(platform::ListKey::ctrlEnter);
            break;
        case Qt::Key_Left:
        case Qt::Key_Right:
            break;  // columns scroll sideways as usual
        default:
            // Everything else (Tab, Enter for the default button, Escape) belongs to the window.
            event->ignore();
            return;
        }
        QTableView::keyPressEvent(event);
    }
    void wheelEvent(QWheelEvent* event) override {
        m_wheel += event->angleDelta().y();
        while (m_wheel >= 120 || m_wheel <= -120) {
            const bool up = m_wheel > 0;
            m_wheel += up ? -120 : 120;
            for (int i = 0; i < QApplication::wheelScrollLines(); ++i) m_owner.scroll(up ? platform::ListScroll::rowUp : platform::ListScroll::rowDown);
        }
        event->accept();
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton || rowAt(event->position().toPoint().y()) < 0) return;
        if (m_owner.m_doubleClick) {
            m_owner.m_doubleClick();
        } else {
            m_owner.key(platform::ListKey::doubleClick);
        }
    }
    void contextMenuEvent(QContextMenuEvent* event) override { m_owner.popupMenu(event->globalPos()); }
    void resizeEvent(QResizeEvent* event) override {
        QTableView::resizeEvent(event);
        m_owner.fitRows();
    }

private:
    PageListView& m_owner;
    int m_wheel = 0;
};

PageListView::PageListView(platform::PageList& list, std::vector<ListColumn> columns, std::vector<QIcon> icons, QWidget* parent)
    : QWidget(parent), m_list(list), m_observer(std::make_unique<Observer>(*this)) {
    m_model = new PageListModel(list, std::move(columns), std::move(icons), this);
    m_table = new Table(*this);
    m_table->setModel(m_model);
    m_table->setItemDelegate(new SelectedColoursDelegate(m_table));
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_table->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_table->setShowGrid(false);
    m_table->setWordWrap(false);
    m_table->setTabKeyNavigation(false);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 4);
    m_table->horizontalHeader()->setHighlightSections(false);
    m_table->horizontalHeader()->setStretchLastSection(false);
    m_table->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_table->setIconSize(QSize(16, 16));
    const auto& cols = m_model->columns();
    bool anyHeading = false;
    for (std::size_t i = 0; i < cols.size(); ++i) {
        // At least as wide as its heading, so no heading is cut.
        const int heading = m_table->horizontalHeader()->fontMetrics().horizontalAdvance(QString::fromStdString(cols[i].heading)) +
                            2 * m_table->style()->pixelMetric(QStyle::PM_HeaderMargin) + 4;
        // An icon column has room for its icon beside its text.
        const int icon = cols[i].icon ? m_table->iconSize().width() + m_table->fontMetrics().horizontalAdvance(QStringLiteral("xx")) + 12
                                      : 0;
        // A date, time or number is never cut: room for the widest value of its picture.
        const int value = m_table->fontMetrics().horizontalAdvance(widestValue(cols[i].picture)) + 12;
        m_table->setColumnWidth(static_cast<int>(i),
                                std::max({dialogWidth(*this, cols[i].width), cols[i].heading.empty() ? 0 : heading, icon, value}));
        anyHeading = anyHeading || !cols[i].heading.empty();
    }
    if (!cols.empty()) m_table->horizontalHeader()->setSectionResizeMode(roomyColumn(cols), QHeaderView::Stretch);
    if (!anyHeading) m_table->horizontalHeader()->hide();
    m_table->setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(m_table);

    m_thumb = new QScrollBar(Qt::Vertical, this);
    m_thumb->setRange(0, 100);
    m_thumb->setPageStep(10);
    m_thumb->setFocusPolicy(Qt::NoFocus);
    m_thumb->hide();

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_thumb);

    connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!m_syncing && current.isValid() && current.row() != m_list.highlighted()) m_list.click(current.row());
            });
    connect(m_thumb, &QScrollBar::actionTriggered, this, &PageListView::thumbAction);
    connect(m_thumb, &QScrollBar::sliderReleased, this, [this] { m_list.dragThumb(m_thumb->sliderPosition()); });

    m_list.setObserver(m_observer.get());
}

PageListView::~PageListView() { m_list.setObserver(nullptr); }

QTableView* PageListView::table() const { return m_table; }

int PageListView::rowsThatFit() const {
    const int rowHeight = std::max(1, m_table->verticalHeader()->defaultSectionSize());
    return std::max(1, m_table->viewport()->height() / rowHeight);
}

void PageListView::fitRows() {
    const int rows = rowsThatFit();
    if (rows != m_list.rowCount()) m_list.setRowCount(rows);
}

void PageListView::pageChanged() {
    // The rows the model removes from a shorter page move the table's current row; that move is Qt's, not
    // the user's click, and the list keeps the row it highlighted itself.
    m_syncing = true;
    m_model->pageChanged();
    const int row = m_list.highlighted();
    if (row >= 0) {
        m_table->selectionModel()->setCurrentIndex(m_model->index(row, 0),
                                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    } else {
        m_table->selectionModel()->clear();
    }
    m_syncing = false;
    m_thumb->setVisible(m_list.scrollBarVisible());
    if (!m_thumb->isSliderDown()) {
        const QSignalBlocker block(m_thumb);
        m_thumb->setValue(m_list.thumb());
    }
    emit listChanged();
}

void PageListView::scroll(platform::ListScroll action) { m_list.scroll(action); }

void PageListView::key(platform::ListKey key) {
    if (const auto button = platform::buttonForKey(key, m_list.entryCount() > 0)) emit buttonRequested(*button);
}

QMenu* PageListView::makePopupMenu(QWidget* parent) {
    if (!m_updateButtons) return nullptr;
    auto* menu = new QMenu(parent);
    for (const platform::PopupItem& item : platform::listPopupMenu(m_list.entryCount() > 0)) {
        QAction* action = menu->addAction(QString::fromStdString(item.text));
        action->setEnabled(item.enabled);
        const platform::ListButton button = item.button;
        connect(action, &QAction::triggered, this, [this, button] { emit buttonRequested(button); });
    }
    return menu;
}

void PageListView::popupMenu(const QPoint& globalPos) {
    std::unique_ptr<QMenu> menu(makePopupMenu(this));
    if (menu) menu->exec(globalPos);
}

void PageListView::thumbAction(int action) {
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: m_list.scroll(platform::ListScroll::rowDown); break;
    case QAbstractSlider::SliderSingleStepSub: m_list.scroll(platform::ListScroll::rowUp); break;
    case QAbstractSlider::SliderPageStepAdd: m_list.scroll(platform::ListScroll::pageDown); break;
    case QAbstractSlider::SliderPageStepSub: m_list.scroll(platform::ListScroll::pageUp); break;
    case QAbstractSlider::SliderToMinimum: m_list.scroll(platform::ListScroll::top); break;
    case QAbstractSlider::SliderToMaximum: m_list.scroll(platform::ListScroll::bottom); break;
    default: return;  // a drag is taken when the thumb is let go
    }
    // The bar shows where the list is, not where the click would have moved it.
    m_thumb->setSliderPosition(m_list.thumb());
}

}  // namespace tarvelo::widgets
