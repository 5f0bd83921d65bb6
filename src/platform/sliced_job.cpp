#include "platform/sliced_job.h"

#include <string>

namespace tarvelo::platform {

std::string percentCompleted(int percent, bool padded) {
    std::string number = std::to_string(percent);
    if (padded && number.size() < 3) number.insert(0, 3 - number.size(), ' ');
    return number + "% Completed";
}

}  // namespace tarvelo::platform
