#pragma once
// What the schedule browse shows of each program task's last run. The run log is kept by a layer above
// this one, which implements this; the program hands it to the browse, so a page of tasks gets its last
// results without the browse knowing how the log is kept or how a result is drawn.
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "platform/page_list.h"
#include "store/store.h"

namespace tarvelo {

class LastRuns {
public:
    virtual ~LastRuns() = default;
    // The cell of the last run of each of tasks (task numbers) that has one, by task number: one read for
    // them all, a page's worth at a time. A task never run is absent.
    [[nodiscard]] virtual store::Status cells(const std::vector<std::int32_t>& tasks,
                                              std::unordered_map<std::int32_t, platform::ListCell>& out) = 0;
};

}  // namespace tarvelo
