#include "InputRules.h"

#include <cstdio>

namespace ondrel::cli {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

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
