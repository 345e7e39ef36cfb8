#include "Ipv4Text.h"

namespace ondrel {

std::optional<uint32_t> ParseIpv4(std::string_view text) {
    uint32_t address = 0;
    std::size_t pos = 0;
    for (int octet = 0; octet < 4; ++octet) {
        if (octet > 0) {
            if (pos >= text.size() || text[pos] != '.') {
                return std::nullopt;
            }
            ++pos;
        }
        const std::size_t start = pos;
        uint32_t value = 0;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
            if (pos - start == 3) {
                return std::nullopt;
            }
            value = value * 10 + static_cast<uint32_t>(text[pos] - '0');
            ++pos;
        }
        if (pos == start || value > 255) {
            return std::nullopt;
        }
        address = (address << 8) | value;
    }
    if (pos != text.size()) {
        return std::nullopt;
    }
    return address;
}

std::string FormatIpv4(uint32_t hostOrder) {
    return std::to_string(hostOrder >> 24) + "." + std::to_string((hostOrder >> 16) & 0xFF) + "." +
           std::to_string((hostOrder >> 8) & 0xFF) + "." + std::to_string(hostOrder & 0xFF);
}

bool IsCanonicalIpv4(std::string_view text) {
    const std::optional<uint32_t> address = ParseIpv4(text);
    return address && FormatIpv4(*address) == text;
}

} // namespace ondrel
