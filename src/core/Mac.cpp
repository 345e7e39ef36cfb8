#include "Mac.h"

#include "HexDigit.h"

#include <cstdio>

namespace ondrel {

namespace {

// The twelve digits of text in groups of `group` digits, each group after the first led by
// `separator` (none: no separator at all).
std::optional<Mac> grouped(std::string_view text, std::size_t group, char separator) {
    const std::size_t groups = 12 / group;
    const std::size_t width = separator == '\0' ? 12 : 12 + groups - 1;
    if (text.size() != width) {
        return std::nullopt;
    }
    uint64_t bits = 0;
    std::size_t at = 0;
    for (std::size_t g = 0; g < groups; ++g) {
        if (g > 0 && separator != '\0' && text[at++] != separator) {
            return std::nullopt;
        }
        for (std::size_t d = 0; d < group; ++d) {
            const int digit = hexDigit(text[at++]);
            if (digit < 0) {
                return std::nullopt;
            }
            bits = bits << 4 | static_cast<uint64_t>(digit);
        }
    }
    return Mac{bits};
}

} // namespace

Mac Mac::fromBytes(const std::array<uint8_t, 6>& bytes) {
    uint64_t bits = 0;
    for (const uint8_t b : bytes) {
        bits = bits << 8 | b;
    }
    return Mac{bits};
}

std::array<uint8_t, 6> Mac::bytes() const {
    std::array<uint8_t, 6> out{};
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] = static_cast<uint8_t>(bits >> (8 * (5 - i)));
    }
    return out;
}

std::string Mac::text() const {
    const std::array<uint8_t, 6> b = bytes();
    char out[18];
    std::snprintf(out, sizeof out, "%02X:%02X:%02X:%02X:%02X:%02X", b[0], b[1], b[2], b[3], b[4],
                  b[5]);
    return out;
}

std::optional<Mac> parseMac(std::string_view text) {
    switch (text.size()) {
    case 12:
        return grouped(text, 12, '\0');
    case 14:
        return grouped(text, 4, '.');
    case 17:
        return text[2] == ':' || text[2] == '-' ? grouped(text, 2, text[2]) : std::nullopt;
    default:
        return std::nullopt;
    }
}

ReportedMac ReportedMac::fromText(std::string text) {
    std::optional<Mac> value = parseMac(text);
    return {std::move(text), value};
}

} // namespace ondrel
