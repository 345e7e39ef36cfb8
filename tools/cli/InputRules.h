#pragma once
// Strict readings of what a person types for a device: addresses, masks, MACs, ports, waits
// and account texts. Each returns nothing for text it does not accept; callers name the
// option in their message.

#include "core/Ipv4.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ondrel::cli {

using MacBytes = std::array<uint8_t, 6>;

// An address a person typed: the core's IPv4 text written without leading zeros. "010" is
// refused: other tools read it as octal, so the person may mean another address. What a device
// reports is read by the core's rule as it stands ("010" is ten): ReportedAddress::value.
std::optional<Ipv4> parseIPv4(std::string_view text);

// A mask is non-zero with its one bits contiguous from the top.
bool isContiguousMask(const Ipv4& mask);

// Why address cannot be a host on the subnet address/mask (the subnet's own network or
// broadcast address), or empty when it can. Masks of /31 and /32 have no such addresses.
std::string hostOnSubnetProblem(const Ipv4& address, const Ipv4& mask);
bool sameSubnet(const Ipv4& a, const Ipv4& b, const Ipv4& mask);

// Six pairs of hex digits separated by ':' or by '-' (one separator throughout).
std::optional<MacBytes> parseMac(std::string_view text);
std::string formatMac(const MacBytes& mac);
// Whether a device's MAC text names mac: compared as bytes when the text is a MAC in either
// notation and any letter case, otherwise never.
bool macMatches(std::string_view deviceMacText, const MacBytes& mac);

// Decimal digits only, value within [minimum, 65535].
std::optional<uint16_t> parsePort(std::string_view text, uint16_t minimum = 1);

// A duration in seconds, digits with an optional fraction ("3", "0.5"), at most a day.
// Returned in milliseconds, rounded.
std::optional<int64_t> parseSeconds(std::string_view text);

// Why text cannot be sent as an account or password field of maxLength characters (too long,
// or holding a control character that would break the request's lines), or empty when it can.
std::string accountTextProblem(std::string_view text, std::size_t maxLength);

} // namespace ondrel::cli
