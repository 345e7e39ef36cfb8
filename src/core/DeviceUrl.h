#pragma once
// The address of a device's web page. The IP came from the network, so only an address that
// the IPv4 rule reads, and that a device can really have (not 0.0.0.0, loopback, multicast or
// broadcast: a browser would open this PC or nothing), is ever turned into a URL.

#include "core/Device.h"

#include <optional>
#include <string>

namespace ondrel {

// "http://IP:PORT" with the port always written in unsigned decimal, 80 included; nullopt
// when the device reports no usable address. Octets are written without leading zeros,
// because a browser reads "010" as octal and would open another host than the one shown.
std::optional<std::string> deviceUrl(const Device& device);

// The page Browse opens: deviceUrl's, but for a camera found by WS-Discovery only its page as
// cameras name it, "http://IP/", or "http://IP:PORT/" when the port is not 80.
std::optional<std::string> pageUrl(const Device& device);

} // namespace ondrel
