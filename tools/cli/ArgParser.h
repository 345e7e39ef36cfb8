#pragma once
// Reads the command line into CliOptions. Every value is checked here, before anything is
// opened or sent; the first problem found is returned as a message that names its option.
// A message never repeats a value that might be a password.

#include "CliOptions.h"

#include <string>
#include <string_view>
#include <vector>

namespace ondrel::cli {

struct ParseOutcome {
    CliOptions options;
    std::string error; // empty when the command line is good
    bool ok() const { return error.empty(); }
};

class ArgParser {
public:
    // args without the program name.
    static ParseOutcome Parse(const std::vector<std::string_view>& args);
};

} // namespace ondrel::cli
