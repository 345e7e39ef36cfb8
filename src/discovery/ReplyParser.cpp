#include "ReplyParser.h"

#include "DeviceInfo.h"
#include "DeviceRecord.h"
#include "Protocol.h"

#include <cctype>
#include <limits>
#include <string>

namespace ondrel {

std::string_view keyValue(std::string_view key, std::string_view text) {
    std::string pattern(key);
    pattern += ':';
    const std::size_t at = text.find(pattern);
    if (at == std::string_view::npos) {
        return {};
    }
    const std::size_t start = at + pattern.size();
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string_view::npos) {
        return {};
    }
    return text.substr(start, end - start);
}

int32_t readDecimal(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int64_t value = 0;
    constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > kLimit) {
            value = kLimit;
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > std::numeric_limits<int32_t>::max()) {
        value = std::numeric_limits<int32_t>::max();
    }
    return static_cast<int32_t>(value);
}

DeviceInfo decodeRecord(std::string_view text) {
    DeviceInfo d = zeroDeviceInfo();
    setField(d.devName, keyValue("DevName", text));
    if (readDecimal(keyValue("CableConnect", text)) != 0) {
        // "\r\nIP" so that the key matches only at a line start, never inside "WiFiIP".
        setField(d.ip, keyValue("\r\nIP", text));
        setField(d.mac, keyValue("MacEth0", text));
        d.ipMode = readDecimal(keyValue("IPMethod", text)) == 0 ? 1 : 0;
    } else if (readDecimal(keyValue("WifiConnect", text)) != 0) {
        setField(d.ip, keyValue("WiFiIP", text));
        setField(d.mac, keyValue("MacWiFi", text));
        d.ipMode = readDecimal(keyValue("WiFiIPMethod", text)) == 0 ? 1 : 0;
    }
    setField(d.devId, keyValue("DevId", text));
    const auto port =
        static_cast<uint16_t>(static_cast<uint32_t>(readDecimal(keyValue("Port", text))));
    d.httpPort = port;
    d.port2 = port;
    d.port3 = port;
    setField(d.dns0, keyValue("DNS0", text));
    setField(d.dns1, keyValue("DNS1", text));
    setField(d.netMask, keyValue("NetMask", text));
    setField(d.gateway, keyValue("GateWay", text));
    setField(d.webVersion, keyValue("WebVersion", text));
    setField(d.appVersion, keyValue("AppVersion", text));
    return d;
}

Device decodeSearchReply(std::string_view text) {
    return deviceFromRecord(decodeRecord(text));
}

std::string_view replyText(const uint8_t* data, std::size_t count) {
    if (data == nullptr) {
        return {};
    }
    const void* nul = std::memchr(data, 0, count);
    const std::size_t n =
        nul ? static_cast<std::size_t>(static_cast<const uint8_t*>(nul) - data) : count;
    return std::string_view(reinterpret_cast<const char*>(data), n);
}

bool passesTailTest(std::string_view text) {
    const std::size_t at = text.find(kTailKey);
    if (at == std::string_view::npos) {
        return false;
    }
    const std::size_t after = text.size() - (at + kTailKey.size());
    return static_cast<uint16_t>(after) == kTailLength;
}

ReplyClass classifyReply(std::string_view text) {
    if (text.find(kTailKey) != std::string_view::npos) {
        // A search-reply candidate is never tried as a set result, even when the tail fails.
        return passesTailTest(text) ? ReplyClass{ReplyKind::SearchReply, 0} : ReplyClass{};
    }
    if (text.find(kAccepted) != std::string_view::npos) {
        return {ReplyKind::SetConfigResult, 0};
    }
    if (text.find(kRefused) != std::string_view::npos) {
        return {ReplyKind::SetConfigResult, 1};
    }
    return {};
}

} // namespace ondrel
