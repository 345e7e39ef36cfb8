#pragma once

#include <map>
#include <string>
#include <string_view>

namespace ondrel {

// The first default gateway of each interface, in the order of the kernel's IPv4 routing
// table as /proc/net/route prints it (addresses as the host's 32-bit values of network-order
// bytes). Routes without a gateway, or not up, are skipped.
std::map<std::string, std::string> DefaultGateways(std::string_view procNetRoute);

} // namespace ondrel
