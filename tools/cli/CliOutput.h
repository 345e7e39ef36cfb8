#pragma once
// Where ondrel-cli writes: the result alone on standard output, every message on standard
// error, so that a script can read the one and log the other.

#include <string>
#include <string_view>

namespace ondrel::cli {

// "ondrel-cli: <message>" on standard error.
void error(const std::string& message);
// The result as it is, flushed at once for a script that reads it while the command runs.
void print(std::string_view text);

} // namespace ondrel::cli
