#pragma once
// The JSON lines a command prints (events, tasks), each parsed; blank lines are passed over.
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace tarvelo::test {

inline std::vector<nlohmann::json> jsonLines(const std::string& text) {
    std::vector<nlohmann::json> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty()) lines.push_back(nlohmann::json::parse(line));
    }
    return lines;
}

}  // namespace tarvelo::test
