#pragma once
// The headless scheduler's view of the user: every effect a timer step has on the user (title, message box,
// sound, message window, program start) is printed as one JSON object on a line of its own, in the order it
// happens, so that scripts can follow the scheduler and tests can compare what it did.
//
//   {"event":"title","text":"Tarvelo '96"}
//   {"event":"messagebox","caption":"Missed Task","text":"...","icon":"question","buttons":["yes","no"],
//    "default":"no","answer":"no"}
//   {"event":"sound","file":"/x/alarm.wav"}
//   {"event":"message_window","text":"..."}
//   {"event":"notification","summary":"Backup","body":"...","actions":["Add to To Do List"]}
//   {"event":"run","command":"backup --all","folder":"/srv","code":0}
//   {"event":"error","text":"The schedule could not be saved: ...","code":90,"step":"task"}
//
// Each line is flushed as soon as it is written, so a reader sees an effect when it happens.
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ports.h"

namespace tarvelo::platform {

class JsonEventSink {
public:
    explicit JsonEventSink(std::FILE* out = stdout) : m_out(out) {}

    void title(const std::string& text);
    void messageBox(const platform::MessageBoxRequest& request, int answer);
    void sound(const std::string& file);
    void messageWindow(const std::string& text);
    void notification(const platform::Notification& notice);
    void run(const std::string& command, const std::string& folder, int code);
    // A failure the user must hear of; code is the storage error code, step what failed ("task", ...).
    void error(const std::string& text, int code, const std::string& step);
    // Whether a line could not be written (the reader of a pipe has gone).
    bool broken() const { return m_broken; }

private:
    // Writes one line (its line end included) at once.
    void line(const std::string& json);
    std::FILE* m_out;
    bool m_broken = false;
};

// The frame without a window: never minimized. A title is printed only when it differs from the one
// shown last, so a long run does not print the same title every five seconds.
class JsonFrame : public platform::FramePort {
public:
    explicit JsonFrame(JsonEventSink& sink) : m_sink(sink) {}
    void setTitle(const std::string& title) override;
    bool isMinimized() const override { return false; }
    void restore() override {}

private:
    JsonEventSink& m_sink;
    std::optional<std::string> m_title;
};

// Answers every box with `answer` when the box offers that button, and with its default button otherwise.
class JsonMessageBox : public platform::MessageBoxPort {
public:
    JsonMessageBox(JsonEventSink& sink, std::optional<int> answer) : m_sink(sink), m_answer(answer) {}
    int show(const platform::MessageBoxRequest& request) override;

private:
    JsonEventSink& m_sink;
    std::optional<int> m_answer;
};

class JsonSound : public platform::SoundPort {
public:
    explicit JsonSound(JsonEventSink& sink) : m_sink(sink) {}
    void playAsync(const std::string& file) override { m_sink.sound(file); }

private:
    JsonEventSink& m_sink;
};

// Without a display a message window is shown by printing it; it is closed at once, so none stays open.
class JsonMessageWindows : public platform::MessageWindowPort {
public:
    explicit JsonMessageWindows(JsonEventSink& sink) : m_sink(sink) {}
    void open(const std::string& text) override { m_sink.messageWindow(text); }
    int openCount() const override { return 0; }

private:
    JsonEventSink& m_sink;
};

// Notices go to the desktop's notification service when one is given (setDesktop) and takes them; each
// one it took is printed too, so the output still tells what the user was shown. Without it every
// notice is left to the caller, who prints it its own way.
class JsonNotifications : public platform::NotificationPort {
public:
    explicit JsonNotifications(JsonEventSink& sink) : m_sink(sink) {}
    void setDesktop(platform::NotificationPort* desktop) { m_desktop = desktop; }
    bool notify(const platform::Notification& notice) override {
        if (m_desktop == nullptr || !m_desktop->notify(notice)) return false;
        m_sink.notification(notice);
        return true;
    }

private:
    JsonEventSink& m_sink;
    platform::NotificationPort* m_desktop = nullptr;
};

// Starts programs through another port (really, as a rule) and prints each start with its run code:
// 0 when the program was started, -4 when it was not.
class JsonProgramStart : public platform::ProgramStartPort {
public:
    JsonProgramStart(JsonEventSink& sink, platform::ProgramStartPort& starter) : m_sink(sink), m_starter(starter) {}
    bool start(const std::string& commandLine, const std::string& folder, const ProgramLabel& label) override;

private:
    JsonEventSink& m_sink;
    platform::ProgramStartPort& m_starter;
};

}  // namespace tarvelo::platform
