#include "HttpPort.h"

#include <algorithm>

namespace ondrel {

namespace {

constexpr int32_t kHighestPort = 65535;

} // namespace

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
