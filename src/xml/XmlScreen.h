#pragma once
// The reader's checks on the raw bytes, made before pugixml builds anything of them. Each scan
// skips nothing (a comment, a CDATA section and a text are scanned like a tag), so markup cannot
// hide in a place the scan took for a comment; what it counts is an upper bound of what a parser
// finds, and a look-alike inside a comment is refused as if it were real.

#include "xml/XmlReader.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <variant>

namespace ondrel::xml {

// What the screen learnt of bytes it let through.
struct Screened {
    std::size_t elements = 0; // at least as many as a parser builds
};

std::variant<Screened, Refusal> screen(std::string_view bytes, const Limits& limits);

// Whether XML allows the character (tab, line feed, carriage return, and the ranges from
// U+0020 without the surrogates, U+FFFE and U+FFFF).
bool isXmlCharacter(uint32_t code);

} // namespace ondrel::xml
