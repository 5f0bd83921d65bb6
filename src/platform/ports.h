#pragma once
// The ports through which the logic reaches the user and the system. The logic depends only on these
// interfaces; src/platform/desktop implements them for the desktop, src/platform/terminal for the
// command line, and the tests supply fakes. Every port is used on the one GUI (or CLI main) thread.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/date.h"

namespace tarvelo::platform {

// Button values, as a message box returns them; a set of buttons is their sum.
enum Button : int { kOk = 1, kYes = 2, kNo = 4, kRetry = 16, kCancel = 64 };

enum class Icon { None, Question, Exclamation };

struct MessageBoxRequest {
    std::string text;
    std::string caption;
    Icon icon = Icon::None;
    int buttons = kOk;        // e.g. kYes + kNo
    int defaultButton = kOk;
};

class MessageBoxPort {
public:
    virtual ~MessageBoxPort() = default;
    // Shows the box modally and returns the button pressed (the default button when it is closed otherwise).
    virtual int show(const MessageBoxRequest& request) = 0;
};

struct Moment {
    StdDate date = 0;
    StdTime time = 0;
    friend bool operator==(const Moment&, const Moment&) = default;
};

// Local date and time. Nothing else reads the wall clock.
class ClockPort {
public:
    virtual ~ClockPort() = default;
    virtual Moment now() = 0;
};

class SoundPort {
public:
    virtual ~SoundPort() = default;
    // Starts playing a WAV file and returns at once; a missing or unplayable file is not reported.
    virtual void playAsync(const std::string& file) = 0;
};

// The task a program is started for: what the run log's entry of the start names.
struct ProgramLabel {
    std::int32_t task = 0;
    std::string description;
    friend bool operator==(const ProgramLabel&, const ProgramLabel&) = default;
};

class ProgramStartPort {
public:
    virtual ~ProgramStartPort() = default;
    // Starts commandLine (split into program and arguments as a shell would, without a shell), detached,
    // in folder when it can be entered and otherwise in the current folder; the process's own current
    // folder is never changed. Returns true when the program was started; what became of it later is
    // the run log's (label names the entry), never the caller's to wait for.
    virtual bool start(const std::string& commandLine, const std::string& folder, const ProgramLabel& label) = 0;
};

// The main frame as the engine sees it.
class FramePort {
public:
    virtual ~FramePort() = default;
    virtual void setTitle(const std::string& title) = 0;
    virtual bool isMinimized() const = 0;
    virtual void restore() = 0;  // from minimized to its normal size
};

// Non-modal message windows, each with its own copy of its text.
class MessageWindowPort {
public:
    virtual ~MessageWindowPort() = default;
    virtual void open(const std::string& text) = 0;
    virtual int openCount() const = 0;
};

struct FileFilter {
    std::string description;  // "Programs"
    std::string patterns;     // "*.exe;*.sh"
};

class FileDialogPort {
public:
    virtual ~FileDialogPort() = default;
    virtual std::optional<std::string> openFile(const std::string& title, const std::vector<FileFilter>& filters,
                                                const std::string& startFolder) = 0;
    // The file to write: `suggested` is the name (or path) offered; the system's dialog asks before an
    // existing file is chosen. Nothing when the user cancels.
    virtual std::optional<std::string> saveFile(const std::string& title, const std::vector<FileFilter>& filters,
                                                const std::string& suggested) = 0;
};

// The end of the program after a fatal error: the stop text goes to stderr and the process exits non-zero.
class HaltPort {
public:
    virtual ~HaltPort() = default;
    [[noreturn]] virtual void halt(const std::string& stopText) = 0;
    // The end of the program when a file it cannot go on without stayed busy and the user chose not to
    // wait longer: nothing is wrong with the files. The text goes to stderr; the exit code says "busy".
    [[noreturn]] virtual void giveUp(const std::string& text) = 0;
};

// A notice shown by the desktop outside the program's windows (a desktop notification), for a process
// that has no window of its own to show it in or whose window is out of sight.
struct NotificationAction {
    std::string label;              // "Add to To Do List"
    std::function<void()> invoked;  // called on this thread when the user chooses it, perhaps much later
};

struct Notification {
    std::string summary;  // one line: what happened
    std::string body;     // the detail; may be empty
    std::vector<NotificationAction> actions;
    bool urgent = false;  // a failure, drawn so that it stands out where the desktop can
};

class NotificationPort {
public:
    virtual ~NotificationPort() = default;
    // Hands the notice to the desktop and returns at once: true when the desktop took it, false when
    // there is nobody to show it (no notification service). On false the caller says it its own way,
    // as it would have without notifications; nothing is queued for later.
    virtual bool notify(const Notification& notification) = 0;
};

// Where the desktop cannot be reached: every notice is left to the caller.
class NoNotifications : public NotificationPort {
public:
    bool notify(const Notification&) override { return false; }
};

// Every port of the program, one reference each, as leveldb's Env is one object for what the database
// asks of the machine. Each program builds one from its adapters, once: the desktop program in
// app/desktop.cpp, each command of tarvelo96-cli from the terminal adapters; the tests from the fakes
// (tests/fakes/fake_platform.h). Subsystems take a Platform, never a bundle of ports of their own, and
// the adapters it refers to outlive everything built on it. Cheap to copy: only references.
struct Platform {
    MessageBoxPort& messages;
    ClockPort& clock;
    SoundPort& sound;
    ProgramStartPort& programs;
    FramePort& frame;
    MessageWindowPort& messageWindows;
    FileDialogPort& fileDialog;
    HaltPort& halt;
    NotificationPort& notifications;
};

}  // namespace tarvelo::platform
