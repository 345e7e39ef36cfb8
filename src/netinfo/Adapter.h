#pragma once
// One of the PC's own network adapters, as the window's "Local PC information:" group and the
// CLI see it. The endpoint's NetLink is what of it a broadcast needs (name, index, flags,
// addresses); both come from one walk of the interfaces, so the two views never disagree on
// what an adapter is called or which addresses it has.

#include "core/AdapterRef.h"
#include "core/Ipv4.h"
#include "core/Mac.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ondrel {

struct Adapter {
    std::string name;     // "eth0"
    uint32_t ifindex = 0; // never 0 for an adapter the system listed
    unsigned flags = 0;   // the kernel's IFF_* flags
    // What the user picks the adapter by: the name, with the hardware's model behind it when
    // the hardware database knows it ("eth0 (Intel Corporation 82540EM)").
    std::string description;
    std::optional<Mac> mac;         // none for links without an Ethernet address (tun, ppp)
    std::vector<Ipv4Net> addresses; // the kernel's order: the primary address first
    std::optional<Ipv4> gateway;    // the first default route through this adapter
    std::vector<Ipv4> dns;          // the servers lookups through this adapter go to

    bool operator==(const Adapter&) const = default;
};

} // namespace ondrel
