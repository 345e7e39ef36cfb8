#pragma once
// Device texts on a terminal. Any host on the LAN can answer a search, so a name may carry
// characters a terminal acts on (a control sequence that rewrites the screen, a bidirectional
// override that shows a text backwards) as well as real characters in any script ("大门 1").
// The real characters are shown; the others are written as escapes.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace ondrel::cli {

// text as UTF-8 with every character a terminal would act on escaped: C0 controls and DEL as
// \xNN, C1 controls and the bidirectional marks, embeddings, overrides and isolates as \uXXXX,
// and each byte that is not part of a UTF-8 character as \xNN.
std::string printableText(std::string_view text);

// The columns a printable text takes on a terminal: two for an East Asian wide character, none
// for a combining mark, one for any other character (and for a byte that is not UTF-8).
std::size_t displayWidth(std::string_view text);

// Rows of printable cells as columns two blanks apart, each as wide on a terminal as its
// widest cell; no blank trails a line (an empty last column leaves none).
std::string alignedColumns(const std::vector<std::vector<std::string>>& rows);

} // namespace ondrel::cli
