#include "reports/report_preview.h"

#include <algorithm>

namespace tarvelo::reports {

namespace {

std::string pageOf(int page, int pages) { return "Page " + std::to_string(page) + " of " + std::to_string(pages); }

}  // namespace

ReportPreviewModel::ReportPreviewModel(int pageCount) : m_pages(std::max(1, pageCount)) {
    m_facingEnabled = m_pages > 1;
    refresh();
}

void ReportPreviewModel::refresh() {
    PreviewDisplay d;
    switch (m_mode) {
    case Mode::single:
        d.centrePage = m_current;
        d.zone3 = "Single Page";
        d.zone4 = pageOf(m_current, m_pages);
        break;
    case Mode::facing: {
        if (m_current % 2 == 0) ++m_current;
        const int left = m_current - 1;
        d.leftPage = left;
        d.rightPage = m_current <= m_pages ? m_current : 0;
        d.zone3 = "Facing Pages";
        if (d.leftPage != 0 && d.rightPage != 0) {
            d.zone4 = "Pages " + std::to_string(left) + " and " + std::to_string(m_current) + " of " + std::to_string(m_pages);
        } else {
            d.zone4 = pageOf(d.rightPage != 0 ? d.rightPage : d.leftPage, m_pages);
        }
        break;
    }
    case Mode::zoomed:
        d.zoomedPage = m_current;
        d.zone2 = "ZOOM";
        d.zone3 = "Single Page";
        d.zone4 = pageOf(m_current, m_pages);
        break;
    }
    d.previousEnabled = m_current != 1;
    d.nextEnabled = m_current < m_pages;
    d.facingEnabled = m_facingEnabled;
    d.zoomText = m_zoomText;
    d.zoomStatus = m_zoomStatus;
    d.facingText = m_facingText;
    d.facingStatus = m_facingStatus;
    m_display = std::move(d);
}

void ReportPreviewModel::previousPage() {
    if (!m_display.previousEnabled) return;
    m_current = std::max(1, m_current - (m_mode == Mode::facing ? 2 : 1));
    refresh();
}

void ReportPreviewModel::nextPage() {
    if (!m_display.nextEnabled) return;
    m_current += m_mode == Mode::facing ? 2 : 1;
    refresh();
}

void ReportPreviewModel::zoomIn() {
    m_facingBeforeZoom = m_mode == Mode::facing;
    m_facingEnabled = false;
    m_mode = Mode::zoomed;
    m_zoomText = "&Zoom Out!";
    m_zoomStatus = m_facingBeforeZoom ? "Zoom out to facing page mode" : "Zoom out to full page mode";
    refresh();
}

void ReportPreviewModel::zoom() {
    if (m_mode != Mode::zoomed) {
        zoomIn();
        return;
    }
    m_facingEnabled = m_pages > 1;
    m_zoomText = "&Zoom In!";
    m_zoomStatus = "Zoom in on a page of this report";
    m_mode = m_facingBeforeZoom ? Mode::facing : Mode::single;
    refresh();
}

void ReportPreviewModel::toggleFacing() {
    if (!m_facingEnabled) return;
    if (m_mode == Mode::single) {
        m_mode = Mode::facing;
        m_facingText = "&Single Pages!";
        m_facingStatus = "View the report one page at a time";
    } else if (m_mode == Mode::facing) {
        if (m_current > m_pages) m_current = m_current - 1;
        m_mode = Mode::single;
        m_facingText = "&Facing Pages!";
        m_facingStatus = "View the report two pages at a time";
    }
    refresh();
}

void ReportPreviewModel::clickLeft() {
    if (m_display.leftPage == 0) return;
    m_current = m_display.leftPage;
    zoomIn();
}

void ReportPreviewModel::clickCentre() {
    if (m_display.centrePage != 0) zoomIn();
}

void ReportPreviewModel::clickRight() {
    if (m_display.rightPage != 0) zoomIn();
}

int ReportPreviewModel::jumpStart() const { return m_current > m_pages ? m_current - 1 : m_current; }

void ReportPreviewModel::jumpTo(int page) {
    m_current = std::clamp(page, 1, m_pages);
    refresh();
}

}  // namespace tarvelo::reports
