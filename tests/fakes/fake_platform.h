#pragma once
// Every port faked, as one platform: what each program builds from its adapters, a test builds from
// these and hands on wherever the program hands its Platform. With a log, each effect the user would
// see is also written to it, in order.
#include "fakes/fake_engine_ports.h"
#include "fakes/fake_file_dialog.h"
#include "fakes/fake_ports.h"
#include "platform/ports.h"

namespace tarvelo::test {

class FakePlatform {
public:
    explicit FakePlatform(EffectLog* log = nullptr, platform::Moment now = {})
        : messages(log), clock(now), sound(log), programs(log), frame(log), messageWindows(log), notifications(log) {}
    FakePlatform(const FakePlatform&) = delete;
    FakePlatform& operator=(const FakePlatform&) = delete;

    FakeMessageBox messages;
    FakeClock clock;
    FakeSound sound;
    FakeProgramStart programs;
    FakeFrame frame;
    FakeMessageWindows messageWindows;
    FakeFileDialog fileDialog;
    FakeHalt halt;
    FakeNotifications notifications;

    const platform::Platform& ports() const { return m_ports; }
    operator const platform::Platform&() const { return m_ports; }
    // The same platform with some ports replaced: a real frame (and message box) for a test that drives the
    // main frame, the clock of another fake for a second scheduler in the same test.
    struct Replaced {
        platform::MessageBoxPort* messages = nullptr;
        platform::ClockPort* clock = nullptr;
        platform::FramePort* frame = nullptr;
    };
    platform::Platform with(Replaced r) const {
        const platform::Platform& p = m_ports;
        return {r.messages ? *r.messages : p.messages, r.clock ? *r.clock : p.clock, p.sound, p.programs,
                r.frame ? *r.frame : p.frame, p.messageWindows, p.fileDialog, p.halt, p.notifications};
    }

private:
    platform::Platform m_ports{messages, clock, sound, programs, frame, messageWindows, fileDialog, halt, notifications};
};

}  // namespace tarvelo::test
