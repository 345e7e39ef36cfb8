#pragma once
// Reads ondrel-cli's command line into CliOptions. Every value is checked here, before anything
// is opened or sent; the first problem found is returned as a message that names its option.
// A message never repeats a value that might be a password: a stray word or an unknown option's
// value is never echoed.

#include "CliOptions.h"

#include <string>
#include <vector>

namespace ondrel::cli {

struct ParseOutcome {
    CliOptions options;
    std::string error; // empty when the command line is good
    std::string text;  // what --help or --version print
    bool ok() const { return error.empty(); }
};

class CommandLine {
public:
    // args without the program name.
    static ParseOutcome parse(const std::vector<std::string>& args);
};

} // namespace ondrel::cli
