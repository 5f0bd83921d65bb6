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
        std::string startFolder;  // of a save dialog: the name suggested
        bool save = false;
    };

    std::optional<std::string> openFile(const std::string& title, const std::vector<platform::FileFilter>& filters,
                                        const std::string& startFolder) override {
        return answer({title, filters, startFolder, false});
    }
    std::optional<std::string> saveFile(const std::string& title, const std::vector<platform::FileFilter>& filters,
                                        const std::string& suggested) override {
        return answer({title, filters, suggested, true});
    }

    // The next answer: a file, or std::nullopt for a cancelled dialog.
    void choose(std::optional<std::string> file) { m_answers.push_back(std::move(file)); }
    const std::vector<Request>& requests() const { return m_requests; }

private:
    std::optional<std::string> answer(Request request) {
        m_requests.push_back(std::move(request));
        if (m_answers.empty()) return std::nullopt;
        std::optional<std::string> next = m_answers.front();
        m_answers.pop_front();
        return next;
    }

    std::deque<std::optional<std::string>> m_answers;
    std::vector<Request> m_requests;
};

}  // namespace tarvelo::test
