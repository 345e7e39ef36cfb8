#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ondrel {

// One part per delimiter, none after the last one; a text without a trailing delimiter is
// read as if it had one. Empty text leaves parts untouched.
void SplitList(std::string_view text, std::vector<std::string>& parts, char delimiter);

} // namespace ondrel
