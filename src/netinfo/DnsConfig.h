#pragma once
// Which DNS servers the PC's adapters use. systemd-resolved keeps servers per link beside its
// global ones; /etc/resolv.conf has one list for every adapter. Only IPv4 servers count: the
// window's fields hold IPv4 addresses.

#include "core/Ipv4.h"

#include <cstdint>
#include <map>
#include <string_view>
#include <vector>

namespace ondrel {

struct DnsConfig {
    std::vector<Ipv4> global;
    std::map<uint32_t, std::vector<Ipv4>> links; // by interface index

    bool operator==(const DnsConfig&) const = default;

    // The link's own servers, or the global ones when it has none.
    std::vector<Ipv4> serversFor(uint32_t ifindex) const;
    // True when resolv.conf sends every lookup to resolved's local stub: the servers that
    // matter are then resolved's own.
    bool isResolvedStub() const;
};

// The "nameserver" lines of a resolv.conf text, as global servers.
DnsConfig parseResolvConf(std::string_view text);

// One entry of resolved's server list as its bus interface gives it.
struct ResolvedServer {
    int32_t ifindex = 0; // 0: a global server
    int32_t family = 0;  // AF_INET or AF_INET6
    std::vector<uint8_t> address;
};

DnsConfig dnsFromResolved(const std::vector<ResolvedServer>& servers);

} // namespace ondrel
