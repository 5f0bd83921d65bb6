#pragma once
// A file chooser that records what it was asked and answers from a queue (nothing chosen when empty).
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/ports.h"

namespace tarvelo::test {

class FakeFileDialog : public platform::FileDialogPort {
public:
    struct Request {
        std::string title;
        std::vector<platform::FileFilter> filters;
        std::string startFolder;
    };

    std::optional<std::string> openFile(const std::string& title, const std::vector<platform::FileFilter>& filters,
                                        const std::string& startFolder) override {
        m_requests.push_back({title, filters, startFolder});
        if (m_answers.empty()) return std::nullopt;
        std::optional<std::string> answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }

    // The next answer: a file, or std::nullopt for a cancelled dialog.
    void choose(std::optional<std::string> file) { m_answers.push_back(std::move(file)); }
    const std::vector<Request>& requests() const { return m_requests; }

private:
    std::deque<std::optional<std::string>> m_answers;
    std::vector<Request> m_requests;
};

}  // namespace tarvelo::test
