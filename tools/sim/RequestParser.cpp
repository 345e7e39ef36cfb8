#include "RequestParser.h"

#include "discovery/Protocol.h"

#include <cstring>

namespace ondrel::sim {

std::string_view requestKindName(RequestKind kind) {
    switch (kind) {
    case RequestKind::Search:
        return "search";
    case RequestKind::Query:
        return "query";
    case RequestKind::SetConfig:
        return "setconfig";
    case RequestKind::Unknown:
        return "unknown";
    }
    return "unknown";
}

std::optional<std::string_view> SimRequest::field(std::string_view key) const {
    for (const auto& [k, v] : fields) {
        if (k == key) {
            return std::string_view(v);
        }
    }
    return std::nullopt;
}

TextFields RequestParser::splitLines(std::string_view text, std::string& firstLine) {
    TextFields fields;
    firstLine.clear();
    bool first = true;
    while (!text.empty()) {
        const std::size_t end = text.find("\r\n");
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 2);
        if (first) {
            firstLine = line;
            first = false;
            continue;
        }
        if (line.empty()) {
            break;
        }
        const std::size_t colon = line.find(':');
        if (colon != std::string_view::npos) {
            fields.emplace_back(line.substr(0, colon), line.substr(colon + 1));
        }
    }
    return fields;
}

namespace {

uint16_t le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

bool isQuery(uint16_t command) {
    return command == kCmdQuery1 || command == kCmdQuery2 || command == kCmdQuery3;
}

void parseBinary(const uint8_t* data, std::size_t length, SimRequest& r) {
    BinaryHeader h;
    h.command = le16(data + 2);
    h.value = le16(data + 4);
    h.payloadLength = le16(data + 6);
    r.header = h;
    const std::size_t payload = length - kBinaryHeaderSize;
    if (!isQuery(h.command)) {
        r.note = "binary request with an unknown command";
        return;
    }
    if (h.payloadLength != payload) {
        r.note = "payload length field does not match the datagram";
        return;
    }
    r.kind = RequestKind::Query;
    if (payload == sizeof(DeviceInfo)) {
        DeviceInfo record;
        std::memcpy(&record, data + kBinaryHeaderSize, sizeof record);
        r.record = record;
    } else {
        r.note = "payload is not one device record";
    }
}

} // namespace

SimRequest RequestParser::parse(const uint8_t* data, std::size_t length) {
    SimRequest r;
    if (length == 0 || data == nullptr) {
        r.note = "empty datagram";
        return r;
    }
    if (length >= kBinaryHeaderSize && data[0] == kBinaryMarker && data[1] == kBinaryMarker) {
        parseBinary(data, length, r);
        return r;
    }
    if (std::memchr(data, 0, length) != nullptr) {
        r.note = "text with a NUL byte";
        return r;
    }
    const std::string_view text(reinterpret_cast<const char*>(data), length);
    r.fields = splitLines(text, r.command);
    if (r.command == "IPCamSearch") {
        r.kind = RequestKind::Search;
    } else if (r.command == "IPCamSetNetConfig") {
        r.kind = RequestKind::SetConfig;
    } else {
        r.note = "unknown command word";
    }
    return r;
}

} // namespace ondrel::sim
