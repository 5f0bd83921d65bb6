#include "platform/terminal/text_message_box.h"

#include <algorithm>
#include <cctype>

#include "core/plain_text.h"

namespace tarvelo::platform {

namespace {

constexpr int kAllButtons[] = {kOk, kYes, kNo, kRetry, kCancel};

const char* iconName(Icon icon) {
    switch (icon) {
    case Icon::Question: return " (question)";
    case Icon::Exclamation: return " (exclamation)";
    case Icon::None: break;
    }
    return "";
}

// "Yes", "OK", ...
std::string buttonName(int button) {
    switch (button) {
    case kOk: return "OK";
    case kYes: return "Yes";
    case kNo: return "No";
    case kRetry: return "Retry";
    case kCancel: return "Cancel";
    default: return std::to_string(button);
    }
}

}  // namespace

std::optional<int> buttonFromName(std::string_view name) {
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (int b : kAllButtons) {
        std::string n = buttonName(b);
        std::transform(n.begin(), n.end(), n.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (n == lower) return b;
    }
    return std::nullopt;
}

int TextMessageBox::show(const MessageBoxRequest& request) {
    const int answer = m_answer && (request.buttons & *m_answer) ? *m_answer : request.defaultButton;
    std::string buttons;
    for (int b : kAllButtons) {
        if (!(request.buttons & b)) continue;
        if (!buttons.empty()) buttons += ", ";
        buttons += buttonName(b);
        if (b == request.defaultButton) buttons += " (default)";
    }
    // A text's lines each start indented under the caption; its control characters (a name stored by an
    // older version) are shown escaped rather than acted on by the terminal.
    std::string text = printable(request.text, LineBreaks::kept);
    for (std::size_t at = 0; (at = text.find('\n', at)) != std::string::npos; at += 3) text.replace(at, 1, "\n  ");
    std::fprintf(m_out, "%s%s\n  %s\n  buttons: %s; answered: %s\n", printable(request.caption).c_str(),
                 iconName(request.icon), text.c_str(), buttons.c_str(), buttonName(answer).c_str());
    std::fflush(m_out);
    return answer;
}

}  // namespace tarvelo::platform
