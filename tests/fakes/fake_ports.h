#pragma once
// Fakes of the user-facing ports, shared by every test binary.
#include <deque>
#include <functional>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/ports.h"
#include "platform/sliced_job.h"

namespace tarvelo::test {

// Effects in the order they happened, one line each: "sound /a.wav", "box Missed Task: ...",
// "window Hello", "start cmd @ /folder", "restore".
class EffectLog {
public:
    void add(std::string line) { m_lines.push_back(std::move(line)); }
    const std::vector<std::string>& lines() const { return m_lines; }
    void clear() { m_lines.clear(); }

private:
    std::vector<std::string> m_lines;
};

// A message box that records every request and answers from a queue of scripted buttons; when the queue
// is empty it answers with the request's default button, as a user pressing Enter would. With a log, each
// box is also logged ("box <caption>: <text>").
class FakeMessageBox : public platform::MessageBoxPort {
public:
    explicit FakeMessageBox(EffectLog* log = nullptr) : m_log(log) {}
    int show(const platform::MessageBoxRequest& request) override;

    // Runs first in every show(), before the box is recorded: as the nested event loop of a real modal
    // box runs timers, so the world moves on while the box is open.
    std::function<void()> whileOpen;

    // Queues the next answers, in order.
    void answer(int button) { m_answers.push_back(button); }
    void answer(std::initializer_list<int> buttons) { m_answers.insert(m_answers.end(), buttons); }

    // Runs while each box is shown, before it is answered: what happens in the world meanwhile.
    std::function<void(const platform::MessageBoxRequest&)> onShow;

    const std::vector<platform::MessageBoxRequest>& requests() const { return m_requests; }
    std::size_t count() const { return m_requests.size(); }
    // The most recent request. REQUIRES: count() > 0.
    const platform::MessageBoxRequest& last() const { return m_requests.back(); }
    // The captions of every request so far, in order; reads well in assertions.
    std::vector<std::string> captions() const;
    void clear();

private:
    EffectLog* m_log;
    std::vector<platform::MessageBoxRequest> m_requests;
    std::deque<int> m_answers;
};

// What FakeHalt throws instead of ending the test process.
struct HaltCalled : std::runtime_error {
    explicit HaltCalled(const std::string& stopText) : std::runtime_error(stopText), stopText(stopText) {}
    std::string stopText;
};

// A halt that records the stop text and throws HaltCalled, so a test can see the program would stop.
// Giving up on a busy file is recorded apart (and throws HaltCalled too).
class FakeHalt : public platform::HaltPort {
public:
    [[noreturn]] void halt(const std::string& stopText) override;
    [[noreturn]] void giveUp(const std::string& text) override;
    const std::vector<std::string>& stopTexts() const { return m_stopTexts; }
    bool halted() const { return !m_stopTexts.empty(); }
    const std::vector<std::string>& givenUp() const { return m_givenUp; }

private:
    std::vector<std::string> m_stopTexts;
    std::vector<std::string> m_givenUp;
};

// Runs a job's slices; cancels (as the Cancel button) once cancelAfter slices have run.
class ScriptedRunner : public platform::JobRunner {
public:
    bool run(const std::string& title, platform::SlicedJob& job, bool cancellable = true) override;

    int cancelAfter = -1;
    std::vector<std::string> titles;
    std::vector<platform::Progress> shown;
    int slices = 0;
    bool lastCancellable = true;
};

}  // namespace tarvelo::test
