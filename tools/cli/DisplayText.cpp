#include "DisplayText.h"

#include "core/Utf8.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <utility>

namespace ondrel::cli {

namespace {

// The code point of the UTF-8 character at text[at] and its length in bytes; length 0 when
// no well-formed character starts there.
std::pair<char32_t, std::size_t> decodeAt(std::string_view text, std::size_t at) {
    const Utf8Char c = utf8At(text, at);
    return {c.code, c.length};
}

bool inRanges(char32_t c, const auto& ranges) {
    for (const auto& [first, last] : ranges) {
        if (c >= first && c <= last) {
            return true;
        }
    }
    return false;
}

// Characters that steer the terminal or the direction of what follows them.
bool actsOnTerminal(char32_t c) {
    static constexpr std::array<std::pair<char32_t, char32_t>, 7> kRanges = {{
        {0x00, 0x1F},     // C0 controls
        {0x7F, 0x9F},     // DEL and the C1 controls (CSI among them)
        {0x061C, 0x061C}, // Arabic letter mark
        {0x200E, 0x200F}, // left-to-right and right-to-left marks
        {0x202A, 0x202E}, // embeddings and overrides
        {0x2066, 0x2069}, // isolates
        {0xFEFF, 0xFEFF}, // a byte-order mark shows as nothing
    }};
    return inRanges(c, kRanges);
}

// The East Asian wide and fullwidth blocks a device name is likely to hold; a simple table,
// not the whole of Unicode's, so a rarer wide character may count as one column.
bool isWide(char32_t c) {
    static constexpr std::array<std::pair<char32_t, char32_t>, 12> kRanges = {{
        {0x1100, 0x115F},   // Hangul Jamo initials
        {0x2E80, 0x303E},   // CJK radicals, punctuation
        {0x3041, 0x33FF},   // kana, CJK compatibility
        {0x3400, 0x4DBF},   // CJK extension A
        {0x4E00, 0x9FFF},   // CJK unified ideographs
        {0xA000, 0xA4CF},   // Yi
        {0xAC00, 0xD7A3},   // Hangul syllables
        {0xF900, 0xFAFF},   // CJK compatibility ideographs
        {0xFE30, 0xFE4F},   // CJK compatibility forms
        {0xFF00, 0xFF60},   // fullwidth forms
        {0xFFE0, 0xFFE6},   // fullwidth signs
        {0x1F300, 0x1F64F}, // pictographs and emoticons
    }};
    return inRanges(c, kRanges) || (c >= 0x20000 && c <= 0x3FFFD);
}

bool isCombining(char32_t c) {
    static constexpr std::array<std::pair<char32_t, char32_t>, 4> kRanges = {{
        {0x0300, 0x036F},
        {0x1AB0, 0x1AFF},
        {0x1DC0, 0x1DFF},
        {0x20D0, 0x20FF},
    }};
    return inRanges(c, kRanges) || c == 0x200B || c == 0x200D;
}

std::string escaped(char32_t c, bool asByte) {
    char buf[12];
    if (asByte) {
        std::snprintf(buf, sizeof buf, "\\x%02X", static_cast<unsigned>(c));
    } else {
        std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(c));
    }
    return buf;
}

} // namespace

std::string printableText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const auto [code, length] = decodeAt(text, at);
        if (length == 0) {
            out += escaped(static_cast<unsigned char>(text[at]), true);
            ++at;
            continue;
        }
        if (actsOnTerminal(code)) {
            out += escaped(code, code < 0x80);
        } else {
            out.append(text, at, length);
        }
        at += length;
    }
    return out;
}

std::size_t displayWidth(std::string_view text) {
    std::size_t width = 0;
    for (std::size_t at = 0; at < text.size();) {
        const auto [code, length] = decodeAt(text, at);
        if (length == 0) {
            ++width;
            ++at;
            continue;
        }
        width += isWide(code) ? 2 : isCombining(code) ? 0 : 1;
        at += length;
    }
    return width;
}

std::string alignedColumns(const std::vector<std::vector<std::string>>& rows) {
    std::vector<std::size_t> widths;
    for (const auto& row : rows) {
        widths.resize(std::max(widths.size(), row.size()));
        for (std::size_t c = 0; c < row.size(); ++c) {
            widths[c] = std::max(widths[c], displayWidth(row[c]));
        }
    }
    std::string out;
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c) {
            line += row[c];
            if (c + 1 < row.size()) {
                line.append(widths[c] - displayWidth(row[c]) + 2, ' ');
            }
        }
        line.erase(line.find_last_not_of(' ') + 1);
        out += line + '\n';
    }
    return out;
}

} // namespace ondrel::cli
