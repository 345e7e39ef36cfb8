#include "CPacket.h"

#include "ReplyParser.h"

#include <cstring>

namespace ondrel {

CPacket::CPacket() {
    std::memset(m_buffer, 0, sizeof m_buffer);
}

uint8_t* CPacket::Build(uint16_t command, uint16_t value, const uint8_t* payload,
                        uint16_t payloadLength, int32_t& length) {
    std::memset(m_buffer, 0, sizeof m_buffer);
    if (command == kCmdSearch) {
        std::memcpy(m_buffer, kSearchText.data(), kSearchText.size());
        length = static_cast<int32_t>(kSearchText.size());
        return m_buffer;
    }
    if (payloadLength > kMaxPayload || (payloadLength > 0 && payload == nullptr)) {
        length = 0;
        return nullptr;
    }
    LeU16 field{};
    m_buffer[0] = kBinaryMarker;
    m_buffer[1] = kBinaryMarker;
    field = command;
    std::memcpy(m_buffer + 2, field.b, 2);
    field = value;
    std::memcpy(m_buffer + 4, field.b, 2);
    field = payloadLength;
    std::memcpy(m_buffer + 6, field.b, 2);
    if (payloadLength > 0) {
        std::memcpy(m_buffer + kBinaryHeaderSize, payload, payloadLength);
    }
    length = static_cast<int32_t>(payloadLength + kBinaryHeaderSize);
    return m_buffer;
}

uint8_t* CPacket::ParseSearchReply(std::string_view text, uint16_t& length) {
    const DeviceInfo record = DecodeSearchReply(text);
    std::memset(m_buffer, 0, sizeof m_buffer);
    std::memcpy(m_buffer, &record, sizeof record);
    length = static_cast<uint16_t>(sizeof(DeviceInfo));
    return m_buffer;
}

} // namespace ondrel
