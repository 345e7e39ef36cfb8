#pragma once
// The PC's network interfaces as the endpoint needs them: which ones a broadcast must go out
// of, and what to call the one a reply came in on. Linux sends a limited broadcast through
// the default route's interface only, so the endpoint names each interface itself.
//
// The list is read again at every search, so that an adapter plugged in after start-up
// works, and again when a reply arrives on an interface the endpoint has not seen.

#include "core/AdapterRef.h"
#include "core/Ipv4.h"
#include "netinfo/Adapter.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ondrel {

// The interface flags that matter here (the kernel's IFF_* values).
inline constexpr unsigned kLinkUp = 0x1;           // IFF_UP
inline constexpr unsigned kLinkBroadcast = 0x2;    // IFF_BROADCAST
inline constexpr unsigned kLinkLoopback = 0x8;     // IFF_LOOPBACK
inline constexpr unsigned kLinkRunning = 0x40;     // IFF_RUNNING
inline constexpr unsigned kLinkSlave = 0x800;      // IFF_SLAVE: a bond's member
inline constexpr unsigned kLinkMulticast = 0x1000; // IFF_MULTICAST
inline constexpr unsigned kLinkLowerUp = 0x10000;  // IFF_LOWER_UP: carrier

struct NetLink {
    std::string name;
    uint32_t ifindex = 0;
    unsigned flags = 0;
    std::vector<Ipv4Net> addresses; // the kernel's order: the primary address first

    bool operator==(const NetLink&) const = default;
};

using NetLinks = std::vector<NetLink>;
// Lists the interfaces. May be called from the receive thread as well as from senders.
using NetLinkLister = std::function<NetLinks()>;

// The interfaces a broadcast goes out of, by interface index: up, with carrier, able to
// broadcast, not loopback, whether or not they have an IPv4 address (a cable straight to a
// factory-default camera has none). A bond's members are left to the bond, which is an
// interface of its own. A non-empty allow-list keeps only the interfaces it names.
NetLinks selectSendLinks(const NetLinks& links, const std::vector<std::string>& allow = {});

// The link with this index, or with this name when the index is 0.
const NetLink* findLink(const NetLinks& links, uint32_t ifindex, std::string_view name = {});

// The adapter as a reply names it: of the link's addresses, the one whose subnet holds the
// device's address, else the primary one.
AdapterRef adapterOf(const NetLink& link, std::optional<Ipv4> deviceIp = std::nullopt);

// The endpoint's view of the PC's adapters: what a broadcast needs of each, in their order.
NetLinks linksOf(const std::vector<Adapter>& adapters);

// The interfaces as the kernel lists them now (the same walk the window's adapters come
// from); empty when they cannot be read.
NetLinks listSystemLinks();

// The names in `wanted` that no interface of `links` carries, for a caller that must refuse a
// mistyped name before anything is sent.
std::vector<std::string> unknownLinkNames(const NetLinks& links,
                                          const std::vector<std::string>& wanted);

} // namespace ondrel
