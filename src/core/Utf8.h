#pragma once
// Reading UTF-8 one character at a time, strictly: no overlong forms, no surrogates, nothing
// past U+10FFFF. Device texts arrive as bytes from any host, so whatever is not well-formed
// must be told apart, never guessed at.

#include <cstddef>
#include <string_view>

namespace ondrel {

struct Utf8Char {
    char32_t code = 0;
    std::size_t length = 0; // 0: no well-formed character starts here
    bool truncated = false; // one would, but the text ends before it does
};

Utf8Char utf8At(std::string_view text, std::size_t at);

} // namespace ondrel
