#include "FormRules.h"

#include <algorithm>
#include <limits>

namespace ondrel {

namespace {

// The port edit hands over at most this many characters.
constexpr std::size_t kPortTextLimit = 255;
constexpr int32_t kHighestPort = 65535;

} // namespace

NetworkSettings settingsFromForm(const FormValues& values) {
    return {values.autoIp ? AddressMode::Dhcp : AddressMode::Static,
            values.ip,
            values.mask,
            values.gateway,
            values.dns,
            portFromText(values.portText)};
}

int32_t leadingNumber(std::string_view text) {
    text = text.substr(0, kPortTextLimit);
    constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
    int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            break;
        }
        value = value * 10 + (c - '0');
        if (value > kMax) {
            return static_cast<int32_t>(kMax);
        }
    }
    return static_cast<int32_t>(value);
}

uint16_t portFromText(std::string_view text) {
    return static_cast<uint16_t>(static_cast<uint32_t>(leadingNumber(text)) & 0xFFFFu);
}

HttpPortCheck checkHttpPort(int64_t port) {
    constexpr int64_t kRefusedPort = 10000;
    if (port < 1 || port > kHighestPort) {
        return HttpPortCheck::OutOfRange;
    }
    return port == kRefusedPort ? HttpPortCheck::Refused : HttpPortCheck::Usable;
}

HttpPortReading readHttpPort(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return {};
        }
        // Past the highest port the digits that follow cannot bring it back in range.
        value = std::min<int64_t>(value * 10 + (c - '0'), int64_t{kHighestPort} + 1);
    }
    const HttpPortCheck check = checkHttpPort(value);
    return {check, check == HttpPortCheck::Usable ? static_cast<uint16_t>(value) : uint16_t{0}};
}

} // namespace ondrel
