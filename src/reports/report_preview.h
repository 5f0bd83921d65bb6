#pragma once
// The rules of the report preview, without a window: which page each pane shows, the status zones, the
// enabling and the texts of the menu items, after every action. The window draws what display() says.
//
// Pages count from 1. In facing mode the right pane shows the current page, always odd, and the left pane
// the even page before it, as in a bound book; a pane whose page does not exist is hidden.
//
// Zooming in from facing pages and out again returns to facing pages (the menu says so: "Zoom out to
// facing page mode"); from a single page it returns to a single page.
#include <string>

namespace tarvelo::reports {

struct PreviewDisplay {
    // The page each pane shows; 0 when the pane is hidden.
    int leftPage = 0;
    int centrePage = 0;
    int rightPage = 0;
    int zoomedPage = 0;
    std::string zone2;
    std::string zone3;
    std::string zone4;
    bool previousEnabled = false;
    bool nextEnabled = false;
    bool facingEnabled = false;
    std::string zoomText;
    std::string zoomStatus;
    std::string facingText;
    std::string facingStatus;
    friend bool operator==(const PreviewDisplay&, const PreviewDisplay&) = default;
};

class ReportPreviewModel {
public:
    enum class Mode { single = 0, zoomed = 1, facing = 2 };

    // REQUIRES: pageCount >= 1.
    explicit ReportPreviewModel(int pageCount);

    int pageCount() const { return m_pages; }
    int currentPage() const { return m_current; }
    Mode mode() const { return m_mode; }
    const PreviewDisplay& display() const { return m_display; }

    void previousPage();
    void nextPage();
    // "&Zoom In!" / "&Zoom Out!".
    void zoom();
    // "&Facing Pages!" / "&Single Pages!".
    void toggleFacing();
    void clickLeft();
    void clickCentre();
    void clickRight();
    // The page the jump window's spin box starts at.
    int jumpStart() const;
    // "OK" of the jump window; a page outside 1..pageCount() is brought into it.
    void jumpTo(int page);

private:
    void zoomIn();
    void refresh();

    int m_pages;
    int m_current = 1;
    Mode m_mode = Mode::single;
    bool m_facingBeforeZoom = false;
    bool m_facingEnabled = true;
    std::string m_zoomText = "&Zoom In!";
    std::string m_zoomStatus = "Zoom in on a page of this report";
    std::string m_facingText = "&Facing Pages!";
    std::string m_facingStatus = "View the report two pages at a time";
    PreviewDisplay m_display;
};

}  // namespace tarvelo::reports
