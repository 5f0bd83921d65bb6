#pragma once
// Print Preview: the pages of a report, one page, two facing pages or one page enlarged, as a child window
// of the frame. The rules live in ReportPreviewModel; this window shows what its display says and turns
// the menu and clicks into its actions. "&Print!" and "&Cancel!" close it; closed() says which (closing it
// any other way is Cancel).
#include <functional>
#include <memory>
#include <optional>

#include <QMainWindow>

#include "reports/report_preview.h"

class QAction;
class QLabel;
class QMdiArea;
class QScrollArea;
class QStackedWidget;

namespace tarvelo::reports {

class PageView;
class ReportPages;

class ReportPreviewWindow : public QMainWindow {
    Q_OBJECT
public:
    enum class Item { cancel, print, zoom, previous, next, jump, facing };

    explicit ReportPreviewWindow(std::shared_ptr<const ReportPages> pages, QWidget* parent = nullptr);

    // Opens the preview as a child window of area and returns it.
    static ReportPreviewWindow* open(std::shared_ptr<const ReportPages> pages, QMdiArea* area);

    const ReportPreviewModel& model() const { return m_model; }
    QAction* item(Item which) const;
    PageView* leftPane() const { return m_left; }
    PageView* centrePane() const { return m_centre; }
    PageView* rightPane() const { return m_right; }
    PageView* zoomedPage() const { return m_zoomed; }
    // Status zones 2, 3 and 4.
    QLabel* zone(int number) const;

    // How "&Jump!" asks for the page (from the start page, 1..pages): the jump window unless replaced.
    std::function<std::optional<int>(int start, int pages)> askPage;

signals:
    void closed(bool print);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void act(const std::function<void(ReportPreviewModel&)>& action);
    void display(const PreviewDisplay& display);
    void showPage(PageView* pane, int page);
    void finish(bool print);
    std::optional<int> askJump(int start, int pages);

    std::shared_ptr<const ReportPages> m_pages;
    ReportPreviewModel m_model;
    bool m_finished = false;
    QAction* m_items[7] = {};
    QStackedWidget* m_stack = nullptr;
    QScrollArea* m_zoomArea = nullptr;
    PageView* m_left = nullptr;
    PageView* m_centre = nullptr;
    PageView* m_right = nullptr;
    PageView* m_zoomed = nullptr;
    QLabel* m_zones[3] = {};
};

}  // namespace tarvelo::reports
