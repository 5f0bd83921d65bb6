#pragma once
// Fakes of the ports the scheduler engine drives: a clock the test moves, the frame, sound, program start
// and message windows. Each can write what happens to a shared EffectLog, so a test compares the order of
// everything the user would have seen as one readable list.
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "fakes/fake_ports.h"
#include "platform/ports.h"

namespace tarvelo::test {

// A clock that returns the moment it was set to, until moved. Moving it forward or back is how tests
// stand in for a suspended machine or a daylight-saving change.
class FakeClock : public platform::ClockPort {
public:
    explicit FakeClock(platform::Moment start = {}) : m_now(start) {}
    platform::Moment now() override { return m_now; }

    void set(platform::Moment moment) { m_now = moment; }
    void set(StdDate date, StdTime time) { m_now = {date, time}; }
    // Moves by a signed number of hundredths of a second, across midnight as needed.
    void advance(std::int64_t hundredths);

private:
    platform::Moment m_now;
};

class FakeFrame : public platform::FramePort {
public:
    explicit FakeFrame(EffectLog* log = nullptr) : m_log(log) {}
    void setTitle(const std::string& title) override { m_titles.push_back(title); }
    bool isMinimized() const override { return m_minimized; }
    void restore() override;

    void setMinimized(bool minimized) { m_minimized = minimized; }
    // REQUIRES: a title was set.
    const std::string& title() const { return m_titles.back(); }
    const std::vector<std::string>& titles() const { return m_titles; }

private:
    EffectLog* m_log;
    bool m_minimized = false;
    std::vector<std::string> m_titles;
};

class FakeSound : public platform::SoundPort {
public:
    explicit FakeSound(EffectLog* log = nullptr) : m_log(log) {}
    void playAsync(const std::string& file) override;
    const std::vector<std::string>& played() const { return m_played; }

private:
    EffectLog* m_log;
    std::vector<std::string> m_played;
};

// Records each start; a command named in failing() does not start.
class FakeProgramStart : public platform::ProgramStartPort {
public:
    struct Start {
        std::string commandLine;
        std::string folder;
        friend bool operator==(const Start&, const Start&) = default;
    };
    explicit FakeProgramStart(EffectLog* log = nullptr) : m_log(log) {}
    bool start(const std::string& commandLine, const std::string& folder, const platform::ProgramLabel& label) override;

    void fail(const std::string& commandLine) { m_failing.insert(commandLine); }
    const std::vector<Start>& starts() const { return m_starts; }
    // The task each start was for, as the run log names it.
    const std::vector<platform::ProgramLabel>& labels() const { return m_labels; }

private:
    EffectLog* m_log;
    std::set<std::string> m_failing;
    std::vector<Start> m_starts;
    std::vector<platform::ProgramLabel> m_labels;
};

// Message windows that stay open until the test closes them; setOpen() pretends others are open.
class FakeMessageWindows : public platform::MessageWindowPort {
public:
    explicit FakeMessageWindows(EffectLog* log = nullptr) : m_log(log) {}
    void open(const std::string& text) override;
    int openCount() const override { return m_open; }

    void setOpen(int count) { m_open = count; }
    const std::vector<std::string>& texts() const { return m_texts; }

private:
    EffectLog* m_log;
    int m_open = 0;
    std::vector<std::string> m_texts;
};

// Records every notice; the desktop takes them while `available` (a test turns it off to see the caller's
// own way of saying it). invoke() chooses an action as the user would.
class FakeNotifications : public platform::NotificationPort {
public:
    explicit FakeNotifications(EffectLog* log = nullptr) : m_log(log) {}
    bool notify(const platform::Notification& notification) override;

    bool available = true;
    const std::vector<platform::Notification>& sent() const { return m_sent; }
    // Chooses the action labelled `label` of the notice sent `index`-th; false when it has none such.
    bool invoke(std::size_t index, const std::string& label);

private:
    EffectLog* m_log;
    std::vector<platform::Notification> m_sent;
};

}  // namespace tarvelo::test
