#pragma once
// The search's ports on the desktop: its three dialogs, and its sliced jobs run in the progress window
// (one slice per timer event, as fast as the event loop allows, Cancel between slices).
#include <functional>

#include "search/schedule_search.h"
#include "search/sliced_job.h"

class QWidget;

namespace tarvelo::search {

// Runs a job in a ProgressWindow modal to parent; a job that may not be cancelled has no Cancel button.
class QtJobRunner : public JobRunner {
public:
    explicit QtJobRunner(QWidget* parent = nullptr) : m_parent(parent) {}
    bool run(const std::string& title, ui::SlicedJob& job, bool cancellable = true) override;

private:
    QWidget* m_parent;
};

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
