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

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ondrel {

// An IPv4 address in host byte order (first octet highest), so that it sorts as a number.
struct Ipv4 {
    uint32_t bits = 0;

    auto operator<=>(const Ipv4&) const = default;

    // Dotted decimal without leading zeros.
    std::string text() const;
    // 0.0.0.0: "no address", never a device's own.
    bool isUnspecified() const { return bits == 0; }
    // Whether a device can have this address as its own and be reached by it: not 0.x.x.x,
    // not loopback, not multicast or reserved (224 and above, the broadcast address included).
    bool isUsableHost() const;
};

std::optional<Ipv4> parseIpv4(std::string_view text);

// Dotted decimal without leading zeros.
std::string formatIpv4(uint32_t hostOrder);

// Whether text is an IPv4 text written exactly as formatIpv4 writes it. What a person types
// is held to this: other tools read "010" as octal, so the person may mean another address.
bool isCanonicalIpv4(std::string_view text);

// An address a person typed (a form, an option, a plan): held to isCanonicalIpv4. What a
// device reports is read by parseIpv4 as it stands.
std::optional<Ipv4> parseTypedIpv4(std::string_view text);

// The number of one bits at the top of a mask: 24 for 255.255.255.0.
int maskPrefix(const Ipv4& mask);

// A mask is non-zero with its one bits contiguous from the top.
bool isMask(const Ipv4& mask);

// The subnet an address lies in under a mask.
struct Ipv4Subnet {
    Ipv4 network;
    Ipv4 mask;

    static Ipv4Subnet of(const Ipv4& address, const Ipv4& mask) {
        return {Ipv4{address.bits & mask.bits}, mask};
    }
    Ipv4 broadcast() const { return Ipv4{network.bits | ~mask.bits}; }
    bool contains(const Ipv4& a) const { return (a.bits & mask.bits) == network.bits; }
    // Inside it and neither its network nor its broadcast address; a /31 or /32 has no such
    // two, so each of its addresses is a host.
    bool isHost(const Ipv4& a) const {
        return contains(a) && (maskPrefix(mask) >= 31 || (a != network && a != broadcast()));
    }
};

bool sameSubnet(const Ipv4& a, const Ipv4& b, const Ipv4& mask);

// Why static settings would leave a device unreachable, checked in this order; the window's
// Update, `set` and the plans refuse each of them.
enum class AddressProblem {
    None,
    NotUsableHost,        // the address cannot be a device's (see Ipv4::isUsableHost)
    NotAMask,             // the mask is no mask
    NetworkAddress,       // the address is its subnet's network address
    BroadcastAddress,     // the address is its subnet's broadcast address
    GatewayOutsideSubnet, // a gateway (0.0.0.0: none) outside the address's subnet
    GatewayIsOwnAddress,  // the gateway is the address itself
};

AddressProblem staticAddressProblem(const Ipv4& ip, const Ipv4& mask, const Ipv4& gateway);

} // namespace ondrel
