#include "InputRules.h"

#include <cstdio>

namespace ondrel::cli {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

} // namespace

std::optional<Ipv4> parseIPv4(std::string_view text) {
    return isCanonicalIpv4(text) ? parseIpv4(text) : std::nullopt;
}

bool isContiguousMask(const Ipv4& mask) {
    const uint32_t m = mask.bits;
    if (m == 0) {
        return false;
    }
    const uint32_t inverted = ~m;
    // The host part is a run of low ones: adding one carries through it cleanly.
    return (inverted & (inverted + 1)) == 0;
}

std::string hostOnSubnetProblem(const Ipv4& address, const Ipv4& mask) {
    if (maskPrefix(mask) >= 31) {
        return {};
    }
    const uint32_t m = mask.bits;
    const uint32_t host = address.bits & ~m;
    if (host == 0) {
        return "is the network address of its subnet";
    }
    if (host == ~m) {
        return "is the broadcast address of its subnet";
    }
    return {};
}

bool sameSubnet(const Ipv4& a, const Ipv4& b, const Ipv4& mask) {
    const uint32_t m = mask.bits;
    return (a.bits & m) == (b.bits & m);
}

std::optional<MacBytes> parseMac(std::string_view text) {
    if (text.size() != 17) {
        return std::nullopt;
    }
    const char separator = text[2];
    if (separator != ':' && separator != '-') {
        return std::nullopt;
    }
    MacBytes out{};
    for (std::size_t i = 0; i < 6; ++i) {
        const std::size_t at = i * 3;
        if (i > 0 && text[at - 1] != separator) {
            return std::nullopt;
        }
        const int high = hexValue(text[at]);
        const int low = hexValue(text[at + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        out[i] = static_cast<uint8_t>(high * 16 + low);
    }
    return out;
}

std::string formatMac(const MacBytes& mac) {
    char text[18];
    std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", mac[0], mac[1], mac[2],
                  mac[3], mac[4], mac[5]);
    return text;
}

bool macMatches(std::string_view deviceMacText, const MacBytes& mac) {
    const auto parsed = parseMac(deviceMacText);
    return parsed && *parsed == mac;
}

std::optional<uint16_t> parsePort(std::string_view text, uint16_t minimum) {
    if (text.empty()) {
        return std::nullopt;
    }
    unsigned value = 0;
    for (char c : text) {
        if (!isDigit(c)) {
            return std::nullopt;
        }
        value = value * 10 + static_cast<unsigned>(c - '0');
        if (value > 65535) {
            return std::nullopt;
        }
    }
    if (value < minimum || value > 65535) {
        return std::nullopt;
    }
    return static_cast<uint16_t>(value);
}

std::optional<int64_t> parseSeconds(std::string_view text) {
    constexpr int64_t kMaxMs = 24 * 3600 * 1000;
    const std::size_t dot = text.find('.');
    const std::string_view whole = text.substr(0, dot);
    const std::string_view fraction =
        dot == std::string_view::npos ? std::string_view{} : text.substr(dot + 1);
    if (whole.empty() || whole.size() > 6 || (dot != std::string_view::npos && fraction.empty())) {
        return std::nullopt;
    }
    int64_t ms = 0;
    for (char c : whole) {
        if (!isDigit(c)) {
            return std::nullopt;
        }
        ms = ms * 10 + (c - '0');
    }
    ms *= 1000;
    int64_t scale = 100;
    bool roundUp = false;
    for (std::size_t i = 0; i < fraction.size(); ++i) {
        const char c = fraction[i];
        if (!isDigit(c)) {
            return std::nullopt;
        }
        if (scale > 0) {
            ms += (c - '0') * scale;
            scale /= 10;
        } else if (i == 3) {
            roundUp = c >= '5';
        }
    }
    if (roundUp) {
        ++ms;
    }
    if (ms > kMaxMs) {
        return std::nullopt;
    }
    return ms;
}

std::string accountTextProblem(std::string_view text, std::size_t maxLength) {
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) {
            return "must not contain control characters";
        }
    }
    if (text.size() > maxLength) {
        return "is longer than the device accepts (" + std::to_string(maxLength) +
               " characters at most)";
    }
    return {};
}

} // namespace ondrel::cli
