#include "fakes/fake_ports.h"

namespace tarvelo::test {

int FakeMessageBox::show(const platform::MessageBoxRequest& request) {
    if (m_log) m_log->add("box " + request.caption + ": " + request.text);
    if (whileOpen) whileOpen();
    m_requests.push_back(request);
    if (onShow) onShow(request);
    if (m_answers.empty()) return request.defaultButton;
    const int button = m_answers.front();
    m_answers.pop_front();
    return button;
}

std::vector<std::string> FakeMessageBox::captions() const {
    std::vector<std::string> all;
    for (const auto& r : m_requests) all.push_back(r.caption);
    return all;
}

void FakeMessageBox::clear() {
    m_requests.clear();
    m_answers.clear();
}

void FakeHalt::halt(const std::string& stopText) {
    m_stopTexts.push_back(stopText);
    throw HaltCalled(stopText);
}

void FakeHalt::giveUp(const std::string& text) {
    m_givenUp.push_back(text);
    throw HaltCalled(text);
}

bool ScriptedRunner::run(const std::string& title, platform::SlicedJob& job, bool cancellable) {
    titles.push_back(title);
    lastCancellable = cancellable;
    for (;;) {
        shown.push_back(job.progress());
        if (cancelAfter >= 0 && slices >= cancelAfter) {
            job.cancel();
            return false;
        }
        ++slices;
        if (job.runSlice() == platform::SlicedJob::Step::done) break;
    }
    shown.push_back(job.progress());
    return true;
}

}  // namespace tarvelo::test
