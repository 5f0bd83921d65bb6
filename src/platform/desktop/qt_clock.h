#pragma once
// The wall clock: local date and time as Standard date and time, to the hundredth of a second.
#include "platform/ports.h"

namespace tarvelo::platform {

class QtClock : public ClockPort {
public:
    Moment now() override;
};

}  // namespace tarvelo::platform
