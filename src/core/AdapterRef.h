#pragma once
// The PC's network adapter that a reply arrived on, kept beside a device's record (never in
// it: the 252-byte record is a wire format). Requests for that one device go out through it.
//
// An adapter without an IPv4 address (a cable straight to a factory-default camera, no DHCP
// server) is still an adapter: its address and prefix are 0, and no device is inside its
// subnet. An adapter that could not be named (it vanished before it was looked up) keeps its
// interface index and an empty name.

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

namespace ondrel {

// An IPv4 address (host byte order) and its prefix length.
struct Ipv4Net {
    uint32_t address = 0;
    uint8_t prefixLength = 0;

    bool operator==(const Ipv4Net&) const = default;

    uint32_t mask() const {
        return prefixLength == 0 ? 0u
                                 : ~uint32_t{0} << (32 - std::min<unsigned>(prefixLength, 32u));
    }
    bool contains(uint32_t ip) const { return ((ip ^ address) & mask()) == 0; }
};

struct AdapterRef {
    std::string name;     // interface name ("eth0"); empty when unknown
    uint32_t ifindex = 0; // 0: no adapter known (a record from elsewhere, a loopback test)
    uint32_t address = 0; // host byte order; 0 when the adapter has no IPv4 address
    uint8_t prefixLength = 0;

    bool operator==(const AdapterRef&) const = default;

    bool known() const { return ifindex != 0 || !name.empty(); }
    bool hasAddress() const { return address != 0; }

    // Whether a device's IPv4 address lies in this adapter's subnet: a browser on the PC can
    // reach it without a router. False when the adapter has no address or the text is not a
    // dotted IPv4 address.
    bool contains(uint32_t deviceIp) const;
    bool contains(std::string_view deviceIp) const;

    // "192.168.1.0/24"; empty when the adapter has no address.
    std::string subnetText() const;
};

} // namespace ondrel
