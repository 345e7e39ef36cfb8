#include "FormRules.h"

#include <algorithm>
#include <limits>

namespace ondrel {

namespace {

// The port edit hands over at most this many characters.
constexpr std::size_t kPortTextLimit = 255;
constexpr int32_t kHighestPort = 65535;

} // namespace

void ApplyFormValues(const FormValues& values, DeviceInfo& record) {
    SetField(record.IP, values.ip);
    SetField(record.NetMask, values.mask);
    SetField(record.GateWay, values.gateway);
    SetField(record.DNS0, values.dns);
    record.HttpPort = PortFromText(values.portText);
    record.IPMode = values.autoIp ? int8_t{0} : int8_t{1};
    SetField(record.User, values.user);
    SetField(record.Password, values.password);
}

int32_t LeadingNumber(std::string_view text) {
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

uint16_t PortFromText(std::string_view text) {
    return static_cast<uint16_t>(static_cast<uint32_t>(LeadingNumber(text)) & 0xFFFFu);
}

HttpPortCheck CheckHttpPort(int64_t port) {
    constexpr int64_t kRefusedPort = 10000;
    if (port < 1 || port > kHighestPort) {
        return HttpPortCheck::OutOfRange;
    }
    return port == kRefusedPort ? HttpPortCheck::Refused : HttpPortCheck::Usable;
}

HttpPortReading ReadHttpPort(std::string_view text) {
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
    const HttpPortCheck check = CheckHttpPort(value);
    return {check, check == HttpPortCheck::Usable ? static_cast<uint16_t>(value) : uint16_t{0}};
}

std::optional<std::string> StepPort(std::string_view text, int delta) {
    const int32_t value = LeadingNumber(text);
    if (delta == 1 && value < kHighestPort) {
        return std::to_string(value + 1);
    }
    if (delta == -1 && value > 1) {
        return std::to_string(value - 1);
    }
    return std::nullopt;
}

bool IsAutomaticAddress(const DeviceInfo& tableRecord) {
    return tableRecord.IPMode == 1;
}

DeviceInfo ToTableConvention(const DeviceInfo& sent) {
    DeviceInfo stored = sent;
    if (sent.IPMode == 0) {
        stored.IPMode = 1;
    } else if (sent.IPMode == 1) {
        stored.IPMode = 0;
    }
    return stored;
}

} // namespace ondrel
