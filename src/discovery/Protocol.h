#pragma once
// Constants and codes of the discovery protocol. Every request is broadcast; a device
// recognises itself by the content (its DevId or the embedded record), never by address.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace ondrel {

inline constexpr std::string_view kBroadcastAddress = "255.255.255.255";
inline constexpr uint16_t kDevicePort = 9002; // requests go here
inline constexpr uint16_t kToolPort = 9003;   // our socket; replies arrive here

inline constexpr std::size_t kPacketCapacity = 4096;
inline constexpr std::size_t kBinaryHeaderSize = 8;
inline constexpr std::size_t kMaxPayload = kPacketCapacity - kBinaryHeaderSize;
inline constexpr std::size_t kSetConfigBufferSize = 1024;
inline constexpr std::size_t kReceiveBufferSize = 1400;

inline constexpr uint8_t kBinaryMarker = 0x10;

// Request codes.
inline constexpr uint16_t kCmdSearch = 0x0F01;
inline constexpr uint16_t kCmdQuery1 = 0x0F0F;
inline constexpr uint16_t kCmdQuery2 = 0x0F12;
inline constexpr uint16_t kCmdQuery3 = 0x0F13;

// Event codes handed to the owner of the endpoint.
inline constexpr uint16_t kEvtSearchReply = 0x8F01;
inline constexpr uint16_t kEvtSetConfigResult = 0x8F02;

inline constexpr std::string_view kSearchText = "IPCamSearch\r\nVersion:1\r\nnSeq:1\r\n";
static_assert(kSearchText.size() == 32);

inline constexpr std::string_view kTailKey = "AppUpTime";
inline constexpr uint16_t kTailLength = 24;
inline constexpr std::string_view kAccepted = "errcode:0";
inline constexpr std::string_view kRefused = "errcode:1";

} // namespace ondrel
