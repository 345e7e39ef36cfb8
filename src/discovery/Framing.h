#pragma once
// One outgoing request as it goes on the wire: the search text, or the binary header
// (marker, command, value, payload length, all little-endian) and its payload.

#include "Protocol.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace ondrel {

struct Frame {
    std::array<uint8_t, kPacketCapacity> bytes{};
    std::size_t length = 0;

    std::span<const uint8_t> view() const { return {bytes.data(), length}; }
};

// The search command always gives the search text, whatever value or payload is passed. A
// payload beyond the frame's capacity is refused rather than a datagram silently cut short.
std::optional<Frame> frameRequest(uint16_t command, std::span<const uint8_t> payload = {},
                                  uint16_t value = 0);

} // namespace ondrel
