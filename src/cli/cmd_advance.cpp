// advance and valid: the recurrence rules over batches of tasks, one JSON object per line in and one per
// line out, in the same order, so that whole batches can be checked and timed.
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "cli/command.h"
#include "cli/task_json.h"
#include "data/records.h"
#include "tasks/recurrence.h"
#include "platform/terminal/json_line.h"
#include "platform/ports.h"

namespace tarvelo::cli {
namespace {

using platform::JsonLine;

// Output, written in large blocks.
class Output {
public:
    Output() { m_buffer.reserve(1u << 17); }
    ~Output() { flush(); }
    std::string& buffer() { return m_buffer; }
    // Writes what the lines so far hold once there is enough of it.
    void lineDone() {
        if (m_buffer.size() >= (1u << 16)) flush();
    }
    void flush() {
        if (!m_buffer.empty()) std::fwrite(m_buffer.data(), 1, m_buffer.size(), stdout);
        m_buffer.clear();
    }

private:
    std::string m_buffer;
};

// Counts the boxes instead of showing them; each is answered with its default button.
class CountingMessageBox : public platform::MessageBoxPort {
public:
    int show(const platform::MessageBoxRequest& request) override {
        ++m_count;
        return request.defaultButton;
    }
    int count() const { return m_count; }

private:
    int m_count = 0;
};

// Reads standard input line by line, in large blocks, and hands each line (without its line end) to handle.
template <typename Handler>
void forEachLine(Handler handle) {
    std::vector<char> block(1u << 20);
    std::string carry;
    for (;;) {
        const std::size_t n = std::fread(block.data(), 1, block.size(), stdin);
        if (n == 0) break;
        std::string_view data(block.data(), n);
        while (!data.empty()) {
            const std::size_t end = data.find('\n');
            if (end == std::string_view::npos) {
                carry.append(data);
                break;
            }
            if (carry.empty()) {
                handle(data.substr(0, end));
            } else {
                carry.append(data.substr(0, end));
                handle(std::string_view(carry));
                carry.clear();
            }
            data.remove_prefix(end + 1);
        }
    }
    if (!carry.empty()) handle(std::string_view(carry));
}

// Reads each line's task and the command's own numbers (extraKeys), and runs it through `apply`, or prints
// its problem as {"error": "..."}.
template <typename Apply>
int runLines(std::span<const std::string_view> extraKeys, Apply apply) {
    const TaskJsonReader reader(kRecurrenceJsonFields, TaskJsonReader::OtherKeys::ignore, extraKeys);
    Output out;
    Task task;
    std::int32_t extras[TaskJsonReader::kMaxExtras] = {};
    forEachLine([&](std::string_view text) {
        if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
        if (const auto problem = reader.read(text, task, extras)) {
            JsonLine(out.buffer(), JsonLine::Spacing::spaced).text("error", *problem).end();
        } else {
            apply(out.buffer(), task, extras);
        }
        out.lineDone();
    });
    return 0;
}

constexpr std::string_view kAdvanceKeys[] = {"ref_date", "ref_time"};
constexpr std::string_view kValidKeys[] = {"check_date"};

int runAdvance() {
    return runLines(kAdvanceKeys, [](std::string& out, Task& task, const std::int32_t* reference) {
        CountingMessageBox messages;
        advanceTask(task, reference[0], reference[1], messages);
        JsonLine line(out, JsonLine::Spacing::spaced);
        writeTask(line, task, kRecurrenceJsonFields);
        if (messages.count() > 0) line.boolean("invalid_units", true);
        line.end();
    });
}

int runValid() {
    return runLines(kValidKeys, [](std::string& out, const Task& task, const std::int32_t* check) {
        JsonLine(out, JsonLine::Spacing::spaced).boolean("valid", validScheduleDate(task, check[0])).end();
    });
}

void defineAdvance(Commands& commands) {
    commands.add("advance", "move tasks on: JSON lines in, the tasks moved on out", &runAdvance)
        .footer("Each line of standard input is a task's recurrence fields as list --json prints them, plus "
                "ref_date and ref_time (the moment to move on from). Each is printed back moved on, with "
                "\"invalid_units\": true when the Invalid Units box would have been shown, or as "
                "{\"error\": \"...\"}.");
}

void defineValid(Commands& commands) {
    commands.add("valid", "check dates against tasks: JSON lines in, {\"valid\": true|false} out", &runValid)
        .footer("Each line of standard input is a task's recurrence fields as list --json prints them, plus "
                "check_date (0: the task's own date).");
}

const Registration kAdvance{"advance", &defineAdvance};
const Registration kValid{"valid", &defineValid};

}  // namespace
}  // namespace tarvelo::cli
