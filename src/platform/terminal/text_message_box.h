#pragma once
// The command line's message box: the box is printed as text on a stream (stderr) and answered without
// waiting for anybody, by the default button unless a fixed answer was given that the box offers.
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ports.h"

namespace tarvelo::platform {

class TextMessageBox : public MessageBoxPort {
public:
    explicit TextMessageBox(std::FILE* out = stderr, std::optional<int> answer = std::nullopt)
        : m_out(out), m_answer(answer) {}
    int show(const MessageBoxRequest& request) override;

private:
    std::FILE* m_out;
    std::optional<int> m_answer;
};

// "yes", "no", "ok", "cancel", "retry" (any letter case) to a button; nullopt for anything else.
std::optional<int> buttonFromName(std::string_view name);

}  // namespace tarvelo::platform
