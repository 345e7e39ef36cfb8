#pragma once
// The one reading of IPv4 text in Ondrel, shared by the socket layer, the window's web-page
// address, the CLI and the simulator, so that a text one of them takes is never refused or
// read differently by another.
//
// An IPv4 text is four decimal numbers 0-255, each of one to three ASCII digits, separated by
// single dots, with nothing before, between or after them: no blanks, signs, hex, empty parts
// or trailing dot. A leading zero does not change the base: "010" is ten, never octal eight.
// Devices pad their octets this way ("192.168.001.088") and simulator files keep what devices
// sent, so such texts are read, as decimal; whatever Ondrel writes has no leading zeros.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ondrel {

// The address in host byte order (first octet highest), or nullopt.
std::optional<uint32_t> ParseIpv4(std::string_view text);

// Dotted decimal without leading zeros.
std::string FormatIpv4(uint32_t hostOrder);

// Whether text is an IPv4 text written exactly as FormatIpv4 writes it. What a person types
// is held to this: other tools read "010" as octal, so the person may mean another address.
bool IsCanonicalIpv4(std::string_view text);

} // namespace ondrel
