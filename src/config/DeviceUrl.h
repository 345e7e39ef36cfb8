#pragma once
// The address of a device's web page. The IP text came from the network, so only a plain
// dotted IPv4 address is ever turned into a URL.

#include "discovery/DeviceInfo.h"

#include <optional>
#include <string>
#include <string_view>

namespace ondrel {

// Exactly four dot-separated decimal octets, each 1 to 3 digits and at most 255, and nothing
// else: no blanks, signs, hex, empty parts, or dots at either end.
bool IsWellFormedIPv4(std::string_view text);

// "http://IP:PORT" with the port always written in unsigned decimal, 80 included; nullopt
// when the record's IP is not well formed. Octets are written without leading zeros, because a
// browser reads "010" as octal and would open another host than the one shown.
std::optional<std::string> DeviceUrl(const DeviceInfo& record);

} // namespace ondrel
