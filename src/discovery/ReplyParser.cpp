#include "ReplyParser.h"

#include "Protocol.h"

#include <cctype>
#include <limits>
#include <string>

namespace ondrel {

std::string_view GetKeyValue(std::string_view key, std::string_view text) {
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

int32_t ReadDecimal(std::string_view text) {
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
    constexpr int64_t limit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > limit) {
            value = limit;
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

DeviceInfo DecodeSearchReply(std::string_view text) {
    DeviceInfo d = ZeroDeviceInfo();
    SetField(d.DevName, GetKeyValue("DevName", text));
    if (ReadDecimal(GetKeyValue("CableConnect", text)) != 0) {
        // "\r\nIP" so that the key matches only at a line start, never inside "WiFiIP".
        SetField(d.IP, GetKeyValue("\r\nIP", text));
        SetField(d.Mac, GetKeyValue("MacEth0", text));
        d.IPMode = ReadDecimal(GetKeyValue("IPMethod", text)) == 0 ? 1 : 0;
    } else if (ReadDecimal(GetKeyValue("WifiConnect", text)) != 0) {
        SetField(d.IP, GetKeyValue("WiFiIP", text));
        SetField(d.Mac, GetKeyValue("MacWiFi", text));
        d.IPMode = ReadDecimal(GetKeyValue("WiFiIPMethod", text)) == 0 ? 1 : 0;
    }
    SetField(d.DevId, GetKeyValue("DevId", text));
    const auto port =
        static_cast<uint16_t>(static_cast<uint32_t>(ReadDecimal(GetKeyValue("Port", text))));
    d.HttpPort = port;
    d.Port2 = port;
    d.Port3 = port;
    SetField(d.DNS0, GetKeyValue("DNS0", text));
    SetField(d.DNS1, GetKeyValue("DNS1", text));
    SetField(d.NetMask, GetKeyValue("NetMask", text));
    SetField(d.GateWay, GetKeyValue("GateWay", text));
    SetField(d.WebVersion, GetKeyValue("WebVersion", text));
    SetField(d.AppVersion, GetKeyValue("AppVersion", text));
    return d;
}

std::string_view ReplyText(const uint8_t* data, std::size_t count) {
    if (data == nullptr) {
        return {};
    }
    const void* nul = std::memchr(data, 0, count);
    const std::size_t n =
        nul ? static_cast<std::size_t>(static_cast<const uint8_t*>(nul) - data) : count;
    return std::string_view(reinterpret_cast<const char*>(data), n);
}

bool PassesTailTest(std::string_view text) {
    const std::size_t at = text.find(kTailKey);
    if (at == std::string_view::npos) {
        return false;
    }
    const std::size_t after = text.size() - (at + kTailKey.size());
    return static_cast<uint16_t>(after) == kTailLength;
}

ReplyClass ClassifyReply(std::string_view text) {
    if (text.find(kTailKey) != std::string_view::npos) {
        // A search-reply candidate is never tried as a set result, even when the tail fails.
        return PassesTailTest(text) ? ReplyClass{ReplyKind::SearchReply, 0} : ReplyClass{};
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
