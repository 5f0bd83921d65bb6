#include <charconv>
#include <map>

#include "watch/watch.h"

namespace tarvelo::watch {

std::optional<WatchRequest> parseRequest(const std::vector<std::string>& words, std::string* problem) {
    WatchRequest request;
    bool data = false, task = false, command = false;
    std::string taskText;
    const std::map<std::string, std::pair<std::string*, bool*>> fields = {
        {"--data", {&request.data, &data}},
        {"--task", {&taskText, &task}},
        {"--command", {&request.command, &command}},
        {"--description", {&request.description, nullptr}},
        {"--start-in", {&request.startIn, nullptr}},
    };
    for (const std::string& word : words) {
        const auto equals = word.find('=');
        const auto field = fields.find(word.substr(0, equals));
        if (equals == std::string::npos || field == fields.end()) {
            *problem = "unknown argument '" + word + "'";
            return std::nullopt;
        }
        *field->second.first = word.substr(equals + 1);
        if (field->second.second) *field->second.second = true;
    }
    if (!data || !task || !command) {
        *problem = "--data, --task and --command are required";
        return std::nullopt;
    }
    const char* end = taskText.data() + taskText.size();
    const auto [at, error] = std::from_chars(taskText.data(), end, request.task);
    if (error != std::errc() || at != end) {
        *problem = "--task takes a task number, not '" + taskText + "'";
        return std::nullopt;
    }
    return request;
}

}  // namespace tarvelo::watch
