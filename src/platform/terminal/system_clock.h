#pragma once
// The wall clock for the command line: the local date and time of the system's time zone, so that a
// daylight-saving change or a suspended machine shows in the moments it returns as it does on the desktop.
#include "platform/ports.h"

namespace tarvelo::platform {

class SystemClock : public platform::ClockPort {
public:
    platform::Moment now() override;
};

// A clock that stays at one moment (the CLI's tick --at).
class FixedClock : public platform::ClockPort {
public:
    explicit FixedClock(platform::Moment moment) : m_moment(moment) {}
    platform::Moment now() override { return m_moment; }

private:
    platform::Moment m_moment;
};

}  // namespace tarvelo::platform
