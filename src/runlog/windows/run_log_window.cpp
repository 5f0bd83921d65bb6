#include "runlog/windows/run_log_window.h"

#include <QFontDatabase>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>
#include <QVBoxLayout>

#include "data/record_table.h"
#include "runlog/run_log_list.h"
#include "widgets/child_window.h"
#include "widgets/page_list_view.h"

namespace tarvelo::runlog {

RunLogWindow* RunLogWindow::start(const ListServices& services, QWidget* host) {
    if (host) {
        if (auto* open = host->findChild<RunLogWindow*>()) {
            QWidget& shown = widgets::positionedWidget(*open);
            if (auto* sub = qobject_cast<QMdiSubWindow*>(&shown); sub && sub->mdiArea()) {
                if (sub->isMinimized()) sub->showNormal();
                sub->mdiArea()->setActiveSubWindow(sub);
            }
            shown.raise();
            open->panel()->view()->setFocus();
            return open;
        }
    }
    auto* window = new RunLogWindow(services, host);
    widgets::showStartedWindow(window, host);
    return window;
}

RunLogWindow::RunLogWindow(const ListServices& services, QWidget* parent)
    : BrowseWindow("RunLog", QStringLiteral("Run Log"), services, parent) {
    useTables({TableId::runLog});
    Layout layout;
    layout.list = std::make_unique<BrowseList>(services.files.table(TableId::runLog), services.files.warn(), runLogBrowseConfig());
    layout.format = kRunLogListFormat;
    layout.updateButtons = false;
    layout.helpButton = false;
    layout.size = {330, 230};
    build(std::move(layout));
    tabs()->hide();  // one order only
    QTableView* table = panel()->view()->table();
    table->setToolTip(QStringLiteral("Browsing the Run Log"));
    table->setStatusTip(QStringLiteral("Browsing the Run Log"));

    m_details = new QLabel(this);
    m_details->setObjectName(QStringLiteral("runDetails"));
    m_details->setTextFormat(Qt::PlainText);
    m_details->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_output = new QPlainTextEdit(this);
    m_output->setObjectName(QStringLiteral("runOutput"));
    m_output->setReadOnly(true);
    m_output->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_output->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_output->setPlaceholderText(QStringLiteral("No output"));
    auto* main = static_cast<QVBoxLayout*>(QWidget::layout());
    const int below = main->indexOf(panel()) + 1;
    main->insertWidget(below, m_details);
    main->insertWidget(below + 1, m_output, 1);
    // The output is read, not typed into: Tab goes past it from the list to Close.
    setTabOrder(table, closeButton());
    m_output->setFocusPolicy(Qt::ClickFocus);

    connect(panel()->view(), &widgets::PageListView::listChanged, this, &RunLogWindow::followList);
    followList();
}

void RunLogWindow::followList() {
    if (list().entryCount() == 0) {
        m_details->clear();
        m_output->clear();
        return;
    }
    const RunEntry entry = RecordTable<RunEntry>::fromRow(list().current());
    const QString details = QString::fromStdString(runDetails(entry));
    if (m_details->text() != details) m_details->setText(details);
    const QString output = QString::fromStdString(entry.output.text());
    if (m_output->toPlainText() != output) {
        m_output->setPlainText(output);
        // The end of the output is what tells most: a failure's last words.
        m_output->moveCursor(QTextCursor::End);
        m_output->ensureCursorVisible();
    }
}

}  // namespace tarvelo::runlog
