#pragma once
// The wall clock for the command line: the local date and time of the system's time zone, so that a
// daylight-saving change or a suspended machine shows in the moments it returns as it does on the desktop.
#include "ui/ports.h"

namespace tarvelo::headless {

class SystemClock : public ui::ClockPort {
public:
    ui::Moment now() override;
};

// A clock that stays at one moment (the CLI's tick --at).
class FixedClock : public ui::ClockPort {
public:
    explicit FixedClock(ui::Moment moment) : m_moment(moment) {}
    ui::Moment now() override { return m_moment; }

private:
    ui::Moment m_moment;
};

}  // namespace tarvelo::headless
