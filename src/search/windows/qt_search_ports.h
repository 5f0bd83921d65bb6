#pragma once
// The search's dialogs on the desktop.
#include <functional>

#include "search/schedule_search.h"

class QWidget;

namespace tarvelo::search {

// The match-type, Begin Search and upper-limit dialogs over parent; the found-record prompt is the
// search window's own and comes in as showFound.
class QtSearchDialogs : public SearchDialogs {
public:
    QtSearchDialogs(QWidget* parent, std::function<FoundChoice(const store::Row&)> showFound)
        : m_parent(parent), m_showFound(std::move(showFound)) {}

    std::optional<MatchType> askMatchType(FieldKind kind, MatchType current) override;
    SearchTask askTask(bool selectionExists) override;
    bool getUpperLimit(const SearchField& field, const std::string& lower, std::string& upper) override;
    FoundChoice showFound(const store::Row& task) override { return m_showFound(task); }

private:
    QWidget* m_parent;
    std::function<FoundChoice(const store::Row&)> m_showFound;
};

}  // namespace tarvelo::search
