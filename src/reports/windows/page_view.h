#pragma once
// One report page on screen: drawn by the report painter at whatever size the widget has, the page kept
// whole and centred on a grey ground. A click on the page emits clicked(). Pages are drawn when painted,
// never stored as pictures.
#include <functional>

#include <QFrame>

#include "reports/report_page.h"

namespace tarvelo::reports {

class PageView : public QFrame {
    Q_OBJECT
public:
    explicit PageView(QWidget* parent = nullptr);

    void setPage(ReportPage page);
    const ReportPage& page() const { return m_page; }
    // The rectangle the paper takes inside the widget.
    QRect paperRect() const;

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    QSize sizeHint() const override;

private:
    ReportPage m_page;
};

}  // namespace tarvelo::reports
