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

// Addresses a person types are read by the core's parseTypedIpv4, masks and subnets by its
// rules (core/Ipv4.h), as the window and the plans read them.

// Decimal digits only, value within [minimum, 65535].
std::optional<uint16_t> parsePort(std::string_view text, uint16_t minimum = 1);

// A duration in seconds, digits with an optional fraction ("3", "0.5"), at most a day.
// Returned in milliseconds, rounded.
std::optional<int64_t> parseSeconds(std::string_view text);

// Why text cannot be sent as an account or password field of maxLength characters (too long,
// or holding a control character that would break the request's lines), or empty when it can.
std::string accountTextProblem(std::string_view text, std::size_t maxLength);

} // namespace ondrel::cli
