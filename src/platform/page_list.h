#pragma once
// A page-loaded list as the list widget sees it: the page of rows it shows, the 0..100 thumb, and the
// scroll, thumb and click actions that move the page over the records. The data layer implements it
// (BrowseList); src/widgets draws it. Everything runs on the GUI thread.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarvelo::platform {

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// One shown value; a colour that is not set is the list's default.
struct ListCell {
    std::string text;
    int icon = 0;  // 1-based in the list's icon list; 0 for none
    std::optional<Rgb> foreground;
    std::optional<Rgb> background;
    std::optional<Rgb> selectedForeground;
    std::optional<Rgb> selectedBackground;
    std::string tip;  // the cell's own tooltip; empty: the list's
    friend bool operator==(const ListCell&, const ListCell&) = default;
};

enum class ListScroll { rowUp, rowDown, pageUp, pageDown, top, bottom };

// What a list tells the window around it.
class PageListObserver {
public:
    virtual ~PageListObserver() = default;
    // The rows, the highlight, the thumb or the scroll bar's visibility may have changed.
    virtual void pageChanged() = 0;
    // A lengthy read starts (true) or ends (false): the wait cursor.
    virtual void busy(bool) {}
    // A read failed and its message has been shown: the window closes.
    virtual void closeRequested() {}
};

class PageList {
public:
    virtual ~PageList() = default;

    // The number of rows the list can show; setting it (after a resize) takes effect at the next reset.
    virtual int rowCount() const = 0;
    virtual void setRowCount(int rows) = 0;

    virtual int entryCount() const = 0;
    // The highlighted row, 0-based; -1 while the page is empty.
    virtual int highlighted() const = 0;
    virtual ListCell cell(int row, int column) const = 0;

    virtual int thumb() const = 0;
    // Shown while the page is full, hidden when every record fits.
    virtual bool scrollBarVisible() const = 0;

    // Each does nothing while the page is empty.
    virtual void scroll(ListScroll action) = 0;
    virtual void dragThumb(int position) = 0;
    virtual void click(int row) = 0;

    virtual void setObserver(PageListObserver* observer) = 0;
};

// The buttons a list's keys and popup menu press.
enum class ListButton { insert, change, remove };
enum class ListKey { doubleClick, ctrlEnter, insertKey, deleteKey };

// Double-click and Ctrl+Enter press Change, the Insert key Insert, the Delete key Delete; with an empty
// page only the Insert key acts.
std::optional<ListButton> buttonForKey(ListKey key, bool pageHasEntries);

struct PopupItem {
    std::string text;
    ListButton button;
    bool enabled = true;
    friend bool operator==(const PopupItem&, const PopupItem&) = default;
};
// "&Insert|&Change|&Delete", Change and Delete disabled on an empty page.
std::vector<PopupItem> listPopupMenu(bool pageHasEntries);

}  // namespace tarvelo::platform
