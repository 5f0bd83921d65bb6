#include <cstdio>
#include <string>
#include <vector>

#include "watch/watch.h"

int main(int argc, char** argv) {
    std::string problem;
    const auto request = tarvelo::watch::parseRequest(std::vector<std::string>(argv + 1, argv + argc), &problem);
    if (!request) {
        // Started by the schedulers, never by hand: this only says what a broken starter got wrong.
        std::fprintf(stderr, "tarvelo96-watch: %s\n", problem.c_str());
        return 2;
    }
    return tarvelo::watch::watch(*request);
}
