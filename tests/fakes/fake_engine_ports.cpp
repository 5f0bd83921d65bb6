#include "fakes/fake_engine_ports.h"

#include "core/date.h"

namespace tarvelo::test {

void FakeClock::advance(std::int64_t hundredths) {
    // Hundredths since the start of day 0; a Standard time is that within the day, plus one.
    std::int64_t total = std::int64_t{m_now.date} * kOneDay + (m_now.time - 1) + hundredths;
    std::int64_t date = total / kOneDay;
    std::int64_t within = total % kOneDay;
    if (within < 0) {
        within += kOneDay;
        --date;
    }
    m_now = {static_cast<StdDate>(date), static_cast<StdTime>(within + 1)};
}

void FakeFrame::restore() {
    m_minimized = false;
    if (m_log) m_log->add("restore");
}

void FakeSound::playAsync(const std::string& file) {
    m_played.push_back(file);
    if (m_log) m_log->add("sound " + file);
}

bool FakeProgramStart::start(const std::string& commandLine, const std::string& folder,
                             const platform::ProgramLabel& label) {
    m_starts.push_back({commandLine, folder});
    m_labels.push_back(label);
    if (m_log) m_log->add("start " + commandLine + " @ " + folder);
    return m_failing.count(commandLine) == 0;
}

void FakeMessageWindows::open(const std::string& text) {
    m_texts.push_back(text);
    ++m_open;
    if (m_log) m_log->add("window " + text);
}

bool FakeNotifications::notify(const platform::Notification& notification) {
    if (!available) return false;
    m_sent.push_back(notification);
    if (m_log) m_log->add("notify " + notification.summary);
    return true;
}

bool FakeNotifications::invoke(std::size_t index, const std::string& label) {
    if (index >= m_sent.size()) return false;
    for (const platform::NotificationAction& action : m_sent[index].actions) {
        if (action.label == label && action.invoked) {
            action.invoked();
            return true;
        }
    }
    return false;
}

}  // namespace tarvelo::test
