#include "Replies.h"

#include "discovery/ReplyParser.h"

#include <cstdio>
#include <cstring>

namespace ondrel::testing {

PlayedDevice Numbered(unsigned n) {
    PlayedDevice d;
    d.name = "Cam " + std::to_string(n);
    d.devId = "DEV" + std::to_string(n);
    char mac[32];
    std::snprintf(mac, sizeof mac, "02:00:00:%02X:%02X:%02X", (n >> 16) & 0xFFu, (n >> 8) & 0xFFu,
                  n & 0xFFu);
    d.mac = mac;
    d.ip = "10.1." + std::to_string((n >> 8) & 0xFFu) + "." + std::to_string(n & 0xFFu);
    return d;
}

std::string SearchReplyText(const PlayedDevice& d) {
    std::string out = "IPCamSearchReply\r\n";
    auto line = [&out](std::string_view key, std::string_view value) {
        out.append(key).append(":").append(value).append("\r\n");
    };
    line("Version", "1");
    line("nSeq", "1");
    line("DevName", d.name);
    line("DevId", d.devId);
    line("CableConnect", "1");
    line("IP", d.ip);
    line("MacEth0", d.mac);
    line("IPMethod", d.dhcp ? "0" : "1"); // on the wire 0 means automatic
    line("WifiConnect", "0");
    line("NetMask", d.mask);
    line("GateWay", d.gateway);
    line("DNS0", d.dns0);
    line("DNS1", d.dns1);
    line("Port", std::to_string(d.httpPort));
    line("WebVersion", "web-1.0");
    line("AppVersion", "app-2.0");
    // A 19-digit value leaves the 24 characters after the key that a listener accepts.
    out.append("AppUpTime:0000000000000000042\r\n\r\n");
    return out;
}

std::map<std::string, std::string> RequestFields(std::string_view text) {
    std::map<std::string, std::string> fields;
    bool first = true;
    while (!text.empty()) {
        const std::size_t end = text.find("\r\n");
        const std::string_view line = text.substr(0, end);
        if (first) {
            fields[""] = std::string(line);
            first = false;
        } else if (const std::size_t colon = line.find(':'); colon != std::string_view::npos) {
            fields[std::string(line.substr(0, colon))] = std::string(line.substr(colon + 1));
        }
        if (end == std::string_view::npos) {
            break;
        }
        text.remove_prefix(end + 2);
    }
    return fields;
}

std::string SetConfigAnswer(bool accepted) {
    return std::string("IPCamSetNetConfigReply\r\nVersion:1\r\nnSeq:1\r\n") +
           (accepted ? "errcode:0" : "errcode:1") + "\r\n\r\n";
}

std::string QueryBytes(uint16_t command, const DeviceInfo& record) {
    std::string out = {'\x10',
                       '\x10',
                       static_cast<char>(command & 0xFF),
                       static_cast<char>(command >> 8),
                       '\0',
                       '\0',
                       static_cast<char>(sizeof record & 0xFF),
                       static_cast<char>(sizeof record >> 8)};
    out.append(reinterpret_cast<const char*>(&record), sizeof record);
    return out;
}

int CountWith(const std::vector<std::string>& datagrams, std::string_view marker) {
    int n = 0;
    for (const std::string& d : datagrams) {
        n += d.find(marker) != std::string::npos ? 1 : 0;
    }
    return n;
}

std::string QueryBytes(uint16_t command, const Device& device) {
    DeviceInfo record{};
    static_assert(sizeof record == std::tuple_size_v<WireRecord>);
    std::memcpy(&record, device.record.data(), sizeof record);
    return QueryBytes(command, record);
}

Device DeviceOf(const PlayedDevice& played) {
    return decodeSearchReply(SearchReplyText(played));
}

std::string EndpointOf(const PlayedDevice& played) {
    return "urn:uuid:camera-" + played.mac;
}

Device CameraOf(const PlayedDevice& played, bool withMac) {
    Device d;
    d.protocols = Protocols::Onvif;
    d.name = played.name;
    d.mac = ReportedMac::fromText(withMac ? played.mac : "");
    d.ip = ReportedAddress::fromText(played.ip);
    d.httpPort = played.httpPort;
    d.serviceUrl = d.xaddrs = "http://" + played.ip + "/onvif/device_service";
    d.sentFrom = played.ip; // a camera answers from its own address
    d.endpoint = EndpointOf(played);
    return d;
}

} // namespace ondrel::testing
