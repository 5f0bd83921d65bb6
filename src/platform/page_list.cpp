#include "platform/page_list.h"

namespace tarvelo::platform {

std::optional<ListButton> buttonForKey(ListKey key, bool pageHasEntries) {
    if (key == ListKey::insertKey) return ListButton::insert;
    if (!pageHasEntries) return std::nullopt;
    return key == ListKey::deleteKey ? ListButton::remove : ListButton::change;
}

std::vector<PopupItem> listPopupMenu(bool pageHasEntries) {
    return {{"&Insert", ListButton::insert, true},
            {"&Change", ListButton::change, pageHasEntries},
            {"&Delete", ListButton::remove, pageHasEntries}};
}

}  // namespace tarvelo::platform
