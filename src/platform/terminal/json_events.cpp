#include "platform/terminal/json_events.h"

#include <array>
#include <utility>

#include "platform/terminal/json_line.h"

namespace tarvelo::platform {
namespace {

constexpr std::array<std::pair<int, const char*>, 5> kButtonNames{{
    {platform::kOk, "ok"}, {platform::kYes, "yes"}, {platform::kNo, "no"}, {platform::kRetry, "retry"}, {platform::kCancel, "cancel"},
}};

const char* iconName(platform::Icon icon) {
    switch (icon) {
    case platform::Icon::Question: return "question";
    case platform::Icon::Exclamation: return "exclamation";
    case platform::Icon::None: break;
    }
    return "none";
}

// "ok", "yes", "no", "retry", "cancel" for one button value; "" for anything else.
std::string jsonButtonName(int button) {
    for (const auto& [value, name] : kButtonNames) {
        if (value == button) return name;
    }
    return "";
}

}  // namespace

void JsonEventSink::line(const std::string& json) {
    std::fputs(json.c_str(), m_out);
    if (std::fflush(m_out) != 0 || std::ferror(m_out)) m_broken = true;
}

void JsonEventSink::error(const std::string& text, int code, const std::string& step) {
    std::string out;
    JsonLine(out).text("event", "error").text("text", text).number("code", code).text("step", step).end();
    line(out);
}

void JsonEventSink::title(const std::string& text) {
    std::string out;
    JsonLine(out).text("event", "title").text("text", text).end();
    line(out);
}

void JsonEventSink::messageBox(const platform::MessageBoxRequest& request, int answer) {
    std::vector<std::string_view> buttons;
    for (const auto& [value, name] : kButtonNames) {
        if ((request.buttons & value) != 0) buttons.push_back(name);
    }
    std::string out;
    JsonLine(out)
        .text("event", "messagebox")
        .text("caption", request.caption)
        .text("text", request.text)
        .text("icon", iconName(request.icon))
        .texts("buttons", buttons)
        .text("default", jsonButtonName(request.defaultButton))
        .text("answer", jsonButtonName(answer))
        .end();
    line(out);
}

void JsonEventSink::sound(const std::string& file) {
    std::string out;
    JsonLine(out).text("event", "sound").text("file", file).end();
    line(out);
}

void JsonEventSink::messageWindow(const std::string& text) {
    std::string out;
    JsonLine(out).text("event", "message_window").text("text", text).end();
    line(out);
}

void JsonEventSink::notification(const platform::Notification& notice) {
    std::vector<std::string_view> actions;
    for (const auto& action : notice.actions) actions.push_back(action.label);
    std::string out;
    JsonLine(out)
        .text("event", "notification")
        .text("summary", notice.summary)
        .text("body", notice.body)
        .texts("actions", actions)
        .end();
    line(out);
}

void JsonEventSink::run(const std::string& command, const std::string& folder, int code) {
    std::string out;
    JsonLine(out).text("event", "run").text("command", command).text("folder", folder).number("code", code).end();
    line(out);
}

void JsonFrame::setTitle(const std::string& title) {
    if (m_title == title) return;
    m_title = title;
    m_sink.title(title);
}

int JsonMessageBox::show(const platform::MessageBoxRequest& request) {
    const int answer = (m_answer && (request.buttons & *m_answer) != 0) ? *m_answer : request.defaultButton;
    m_sink.messageBox(request, answer);
    return answer;
}

bool JsonProgramStart::start(const std::string& commandLine, const std::string& folder, const ProgramLabel& label) {
    const bool started = m_starter.start(commandLine, folder, label);
    m_sink.run(commandLine, folder, started ? 0 : -4);
    return started;
}

}  // namespace tarvelo::platform
