#include "platform/command_line.h"

#include <sys/stat.h>
#include <unistd.h>

#include "core/fixed_text.h"

namespace tarvelo::platform {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }

// Characters a backslash escapes inside double quotes; before any other the backslash stays.
bool escapableInDoubleQuotes(char c) { return c == '$' || c == '`' || c == '"' || c == '\\' || c == '\n'; }

}  // namespace

std::optional<CommandLine> splitCommandLine(std::string_view line) {
    std::vector<std::string> words;
    std::string word;
    // A word exists once any part of it was read, even "" or '' which add no character.
    bool inWord = false;
    std::size_t i = 0;
    const std::size_t n = line.size();
    while (i < n) {
        const char c = line[i];
        if (isBlank(c)) {
            if (inWord) {
                words.push_back(std::move(word));
                word.clear();
                inWord = false;
            }
            ++i;
        } else if (c == '\\') {
            if (i + 1 >= n) return std::nullopt;
            // Backslash-newline joins lines and leaves nothing behind.
            if (line[i + 1] != '\n') {
                word += line[i + 1];
                inWord = true;
            }
            i += 2;
        } else if (c == '\'') {
            const std::size_t close = line.find('\'', i + 1);
            if (close == std::string_view::npos) return std::nullopt;
            word.append(line.substr(i + 1, close - i - 1));
            inWord = true;
            i = close + 1;
        } else if (c == '"') {
            inWord = true;
            ++i;
            for (;;) {
                if (i >= n) return std::nullopt;
                const char d = line[i];
                if (d == '"') {
                    ++i;
                    break;
                }
                if (d == '\\' && i + 1 < n && escapableInDoubleQuotes(line[i + 1])) {
                    if (line[i + 1] != '\n') word += line[i + 1];
                    i += 2;
                } else {
                    word += d;
                    ++i;
                }
            }
        } else {
            word += c;
            inWord = true;
            ++i;
        }
    }
    if (inWord) words.push_back(std::move(word));
    if (words.empty()) return std::nullopt;

    CommandLine result;
    result.program = std::move(words.front());
    result.arguments.assign(std::make_move_iterator(words.begin() + 1), std::make_move_iterator(words.end()));
    return result;
}

std::string enterableFolder(std::string_view folder) {
    const std::string path(trimRight(folder));
    if (path.empty()) return {};
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return {};
    if (::access(path.c_str(), X_OK) != 0) return {};
    return path;
}

}  // namespace tarvelo::platform
