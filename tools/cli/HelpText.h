#pragma once

#include <string_view>

namespace ondrel::cli {

// The text of --help, exit codes included.
std::string_view HelpText();

} // namespace ondrel::cli
