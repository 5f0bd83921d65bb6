#include "search/windows/qt_search_ports.h"

#include "search/windows/match_type_dialog.h"
#include "search/windows/qbe_task_dialog.h"
#include "search/windows/upper_limit_dialog.h"

namespace tarvelo::search {

std::optional<MatchType> QtSearchDialogs::askMatchType(FieldKind kind, MatchType current) {
    return MatchTypeDialog::ask(kind, current, m_parent);
}

SearchTask QtSearchDialogs::askTask(bool selectionExists) { return QbeTaskDialog::ask(selectionExists, m_parent); }

bool QtSearchDialogs::getUpperLimit(const SearchField& field, const std::string& lower, std::string& upper) {
    return UpperLimitDialog::ask(std::string(field.picture), lower, upper, m_parent);
}

}  // namespace tarvelo::search
