#pragma once
// One outgoing request, framed in a fixed buffer; also the holder of one decoded record
// while a reply is handled.

#include "DeviceInfo.h"
#include "Protocol.h"

#include <cstdint>
#include <string_view>

namespace ondrel {

class CPacket {
public:
    CPacket();
    virtual ~CPacket() = default;
    CPacket(const CPacket&) = delete;
    CPacket& operator=(const CPacket&) = delete;

    // Frames one request. The search command always gives the search text, whatever value
    // or payload is passed. A payload beyond the buffer's capacity is refused: the result is
    // null and length 0, rather than a datagram silently cut short.
    uint8_t* Build(uint16_t command, uint16_t value, const uint8_t* payload, uint16_t payloadLength,
                   int32_t& length);

    // Decodes a search reply text into the record at the start of m_buffer.
    uint8_t* ParseSearchReply(std::string_view text, uint16_t& length);

    const DeviceInfo& Record() const { return *reinterpret_cast<const DeviceInfo*>(m_buffer); }

    uint8_t m_buffer[kPacketCapacity];
};

} // namespace ondrel
