#include "ui/headless/json_events.h"

#include <array>
#include <cstdint>
#include <utility>

namespace tarvelo::headless {
namespace {

constexpr std::array<std::pair<int, const char*>, 5> kButtonNames{{
    {ui::kOk, "ok"}, {ui::kYes, "yes"}, {ui::kNo, "no"}, {ui::kRetry, "retry"}, {ui::kCancel, "cancel"},
}};

const char* iconName(ui::Icon icon) {
    switch (icon) {
    case ui::Icon::Question: return "question";
    case ui::Icon::Exclamation: return "exclamation";
    case ui::Icon::None: break;
    }
    return "none";
}

// Length of the well-formed UTF-8 sequence at text[i], or 0 when the bytes there are not one.
std::size_t utf8SequenceLength(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t n = 0;
    std::uint32_t min = 0;
    if (lead >= 0xC2 && lead <= 0xDF) { n = 2; min = 0x80; }
    else if (lead >= 0xE0 && lead <= 0xEF) { n = 3; min = 0x800; }
    else if (lead >= 0xF0 && lead <= 0xF4) { n = 4; min = 0x10000; }
    else return 0;
    if (i + n > text.size()) return 0;
    std::uint32_t cp = lead & (0x7F >> n);
    for (std::size_t k = 1; k < n; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return n;
}

}  // namespace

std::string jsonString(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            const std::size_t n = utf8SequenceLength(text, i);
            if (n == 0) {
                out += "\xEF\xBF\xBD";
                ++i;
            } else {
                out.append(text.substr(i, n));
                i += n;
            }
            continue;
        }
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20 || c == 0x7F) {
                static const char* const kHex = "0123456789abcdef";
                out += "\\u00";
                out += kHex[c >> 4];
                out += kHex[c & 0xF];
            } else {
                out += static_cast<char>(c);
            }
        }
        ++i;
    }
    out += '"';
    return out;
}

std::string jsonButtonName(int button) {
    for (const auto& [value, name] : kButtonNames) {
        if (value == button) return name;
    }
    return "";
}

void JsonEventSink::line(const std::string& json) {
    std::fputs(json.c_str(), m_out);
    std::fputc('\n', m_out);
    if (std::fflush(m_out) != 0 || std::ferror(m_out)) m_broken = true;
}

void JsonEventSink::error(const std::string& text, int code) {
    line("{\"event\":\"error\",\"text\":" + jsonString(text) + ",\"code\":" + std::to_string(code) + "}");
}

void JsonEventSink::title(const std::string& text) {
    line("{\"event\":\"title\",\"text\":" + jsonString(text) + "}");
}

void JsonEventSink::messageBox(const ui::MessageBoxRequest& request, int answer) {
    std::string buttons;
    for (const auto& [value, name] : kButtonNames) {
        if ((request.buttons & value) == 0) continue;
        if (!buttons.empty()) buttons += ',';
        buttons += jsonString(name);
    }
    line("{\"event\":\"messagebox\",\"caption\":" + jsonString(request.caption) +
         ",\"text\":" + jsonString(request.text) + ",\"icon\":" + jsonString(iconName(request.icon)) +
         ",\"buttons\":[" + buttons + "],\"default\":" + jsonString(jsonButtonName(request.defaultButton)) +
         ",\"answer\":" + jsonString(jsonButtonName(answer)) + "}");
}

void JsonEventSink::sound(const std::string& file) {
    line("{\"event\":\"sound\",\"file\":" + jsonString(file) + "}");
}

void JsonEventSink::messageWindow(const std::string& text) {
    line("{\"event\":\"message_window\",\"text\":" + jsonString(text) + "}");
}

void JsonEventSink::run(const std::string& command, const std::string& folder, int code) {
    line("{\"event\":\"run\",\"command\":" + jsonString(command) + ",\"folder\":" + jsonString(folder) +
         ",\"code\":" + std::to_string(code) + "}");
}

void JsonFrame::setTitle(const std::string& title) {
    if (m_title == title) return;
    m_title = title;
    m_sink.title(title);
}

int JsonMessageBox::show(const ui::MessageBoxRequest& request) {
    const int answer = (m_answer && (request.buttons & *m_answer) != 0) ? *m_answer : request.defaultButton;
    m_sink.messageBox(request, answer);
    return answer;
}

bool JsonProgramStart::start(const std::string& commandLine, const std::string& folder) {
    const bool started = m_starter.start(commandLine, folder);
    m_sink.run(commandLine, folder, started ? 0 : -4);
    return started;
}

}  // namespace tarvelo::headless
