#include "CliOutput.h"

#include <cstdio>

namespace ondrel::cli {

void error(const std::string& message) {
    std::fprintf(stderr, "ondrel-cli: %s\n", message.c_str());
}

void print(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

} // namespace ondrel::cli
