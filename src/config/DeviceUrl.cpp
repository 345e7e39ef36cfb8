#include "DeviceUrl.h"

#include <array>

namespace ondrel {

namespace {

// The four octets of a well-formed address, or nullopt.
std::optional<std::array<int, 4>> ParseOctets(std::string_view text) {
    std::array<int, 4> octets{};
    std::size_t pos = 0;
    for (std::size_t i = 0; i < octets.size(); ++i) {
        if (i > 0) {
            if (pos >= text.size() || text[pos] != '.') {
                return std::nullopt;
            }
            ++pos;
        }
        int value = 0;
        std::size_t digits = 0;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
            if (++digits > 3) {
                return std::nullopt;
            }
            value = value * 10 + (text[pos] - '0');
            ++pos;
        }
        if (digits == 0 || value > 255) {
            return std::nullopt;
        }
        octets[i] = value;
    }
    if (pos != text.size()) {
        return std::nullopt;
    }
    return octets;
}

} // namespace

bool IsWellFormedIPv4(std::string_view text) {
    return ParseOctets(text).has_value();
}

std::optional<std::string> DeviceUrl(const DeviceInfo& record) {
    const auto octets = ParseOctets(FieldText(record.IP));
    if (!octets) {
        return std::nullopt;
    }
    std::string url = "http://";
    for (std::size_t i = 0; i < octets->size(); ++i) {
        if (i > 0) {
            url += '.';
        }
        url += std::to_string((*octets)[i]);
    }
    url += ':';
    url += std::to_string(record.HttpPort.get());
    return url;
}

} // namespace ondrel
