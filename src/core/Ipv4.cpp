#include "Ipv4.h"

namespace ondrel {

std::optional<Ipv4> parseIpv4(std::string_view text) {
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
    return Ipv4{address};
}

std::string formatIpv4(uint32_t hostOrder) {
    return std::to_string(hostOrder >> 24) + "." + std::to_string((hostOrder >> 16) & 0xFF) + "." +
           std::to_string((hostOrder >> 8) & 0xFF) + "." + std::to_string(hostOrder & 0xFF);
}

std::string Ipv4::text() const {
    return formatIpv4(bits);
}

bool Ipv4::isUsableHost() const {
    const uint32_t first = bits >> 24;
    return first != 0 && first != 127 && first < 224;
}

bool isCanonicalIpv4(std::string_view text) {
    const std::optional<Ipv4> address = parseIpv4(text);
    return address && address->text() == text;
}

int maskPrefix(const Ipv4& mask) {
    int prefix = 0;
    for (uint32_t m = mask.bits; (m & 0x80000000u) != 0; m <<= 1) {
        ++prefix;
    }
    return prefix;
}

} // namespace ondrel
