#pragma once

#include "DeviceInfo.h"
#include "Protocol.h"

#include <array>
#include <cstddef>

namespace ondrel {

using SetConfigBuffer = std::array<char, kSetConfigBufferSize>;

// Composes the IPCamSetNetConfig text from a settings record into a zero-filled buffer and
// returns the datagram length (the text without its NUL).
std::size_t composeSetNetConfig(const DeviceInfo& record, SetConfigBuffer& buffer);

} // namespace ondrel
