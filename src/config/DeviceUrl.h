#pragma once
// The address of a device's web page. The IP text came from the network, so only a text that
// the IPv4 rule (discovery/Ipv4Text.h) accepts is ever turned into a URL.

#include "discovery/DeviceInfo.h"

#include <optional>
#include <string>

namespace ondrel {

// "http://IP:PORT" with the port always written in unsigned decimal, 80 included; nullopt
// when the record's IP is not an IPv4 text. Octets are written without leading zeros, because a
// browser reads "010" as octal and would open another host than the one shown.
std::optional<std::string> DeviceUrl(const DeviceInfo& record);

} // namespace ondrel
