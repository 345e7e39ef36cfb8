#pragma once
// Reading of what arrives at a device: the search text, the set-network-configuration text
// and the binary device queries. Anything else is kept as unknown, never rejected loudly.

#include "discovery/DeviceInfo.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ondrel::sim {

enum class RequestKind { Search, Query, SetConfig, Unknown };

std::string_view requestKindName(RequestKind kind);

// The lines of a text request, in order, split at their first colon.
using TextFields = std::vector<std::pair<std::string, std::string>>;

struct BinaryHeader {
    uint16_t command = 0;
    uint16_t value = 0;
    uint16_t payloadLength = 0;
};

struct SimRequest {
    RequestKind kind = RequestKind::Unknown;
    std::string command;                // first line of a text request
    TextFields fields;                  // the following key:value lines
    std::optional<BinaryHeader> header; // a datagram with the binary markers
    std::optional<DeviceInfo> record;   // a query's payload when it is a whole record
    std::string note;                   // why a datagram counts as unknown

    // The value of the first line with exactly this key.
    std::optional<std::string_view> field(std::string_view key) const;
};

class RequestParser {
public:
    static SimRequest parse(const uint8_t* data, std::size_t length);

    // Key:value lines separated by CR LF; a line without colon is skipped, parsing stops at
    // the first empty line.
    static TextFields splitLines(std::string_view text, std::string& firstLine);
};

} // namespace ondrel::sim
