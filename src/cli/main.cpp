// tarvelo96-cli: the scheduler's core without a display, for scripts and checks.
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command.h"

namespace tarvelo::cli {

std::vector<Command>& commands() {
    static std::vector<Command> all;
    return all;
}

}  // namespace tarvelo::cli

namespace {

int usage(FILE* out) {
    auto all = tarvelo::cli::commands();
    std::sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    std::fprintf(out, "usage: tarvelo96-cli COMMAND [ARGS]\n\ncommands:\n");
    for (const auto& c : all) std::fprintf(out, "  %s\n", c.usage.c_str());
    return out == stdout ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv) {
    // A reader that goes away (`run | head -n1`) must not kill the process between storing an occurrence
    // and performing it: a failed write of output is noticed and handled instead.
    std::signal(SIGPIPE, SIG_IGN);
    if (argc < 2) return usage(stderr);
    const std::string name = argv[1];
    if (name == "help" || name == "--help" || name == "-h") return usage(stdout);
    for (const auto& c : tarvelo::cli::commands()) {
        if (c.name == name) return c.handler(std::vector<std::string>(argv + 2, argv + argc));
    }
    std::fprintf(stderr, "tarvelo96-cli: unknown command '%s'\n", name.c_str());
    return usage(stderr);
}
