#pragma once
// The default gateway of each adapter, from the kernel's main IPv4 routing table as a
// netlink route dump gives it: read once per listing of the adapters, never parsed from text.

#include "core/Ipv4.h"

#include <cstdint>
#include <map>
#include <optional>
#include <span>

namespace ondrel {

// By interface index: the gateway of the first default route out of that interface, in the
// kernel's order (the one it prefers when metrics tie).
using DefaultGateways = std::map<uint32_t, Ipv4>;

// Takes the routes of one chunk of a RTM_GETROUTE dump into `into`; true once the dump's end
// (or an error answer) is in the chunk. A malformed message ends the chunk's reading, never
// the caller.
bool collectDefaultGateways(std::span<const uint8_t> chunk, DefaultGateways& into);

// Asks the kernel for its IPv4 routes over a netlink socket of its own; nullopt when it
// cannot be asked or does not answer within a second.
std::optional<DefaultGateways> readDefaultGateways();

} // namespace ondrel
