#include "Framing.h"

#include <cstring>

namespace ondrel {

namespace {

void putLe16(uint8_t* at, uint16_t v) {
    at[0] = static_cast<uint8_t>(v & 0xFF);
    at[1] = static_cast<uint8_t>(v >> 8);
}

} // namespace

std::optional<Frame> frameRequest(uint16_t command, std::span<const uint8_t> payload,
                                  uint16_t value) {
    Frame frame;
    if (command == kCmdSearch) {
        std::memcpy(frame.bytes.data(), kSearchText.data(), kSearchText.size());
        frame.length = kSearchText.size();
        return frame;
    }
    if (payload.size() > kMaxPayload) {
        return std::nullopt;
    }
    frame.bytes[0] = kBinaryMarker;
    frame.bytes[1] = kBinaryMarker;
    putLe16(&frame.bytes[2], command);
    putLe16(&frame.bytes[4], value);
    putLe16(&frame.bytes[6], static_cast<uint16_t>(payload.size()));
    if (!payload.empty()) {
        std::memcpy(frame.bytes.data() + kBinaryHeaderSize, payload.data(), payload.size());
    }
    frame.length = kBinaryHeaderSize + payload.size();
    return frame;
}

} // namespace ondrel
