#pragma once
// The simulator's WS-Discovery socket. Bound to the wildcard address it shares its port
// (SO_REUSEADDR), as a camera's own discovery daemon does, and joins 239.255.255.250 on every
// interface that is up, can multicast and has an IPv4 address; announcements (Hello, Bye) go
// to the group out of each of those interfaces. Bound to one address (loopback, in tests) it
// joins nothing and announces only where announceTo says: a simulator kept to loopback never
// multicasts.

#include "discovery/UdpSocket.h"
#include "wsd/WsDiscovery.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ondrel::sim {

struct WsdAddress {
    uint32_t address = 0; // host order
    uint16_t port = 0;
};

struct WsdSocketOptions {
    std::string bindAddress = "0.0.0.0";
    uint16_t port = wsd::kPort;
    // Announcements go here, unicast, instead of to the group.
    std::optional<WsdAddress> announceTo;
};

class WsdSocket {
public:
    // Where one announcement goes: out of this interface (0: as routed) to this address.
    struct Destination {
        uint32_t ifindex = 0;
        WsdAddress to;
    };

    // Creates, binds and joins; the status names the failed step. Interfaces that refuse to
    // join are left out of the announcements and named in warnings().
    SocketStatus open(const WsdSocketOptions& options);

    const UdpSocket& socket() const { return m_socket; }
    uint16_t port() const { return m_socket.localPort(); }
    const std::vector<Destination>& announceDestinations() const { return m_destinations; }
    const std::vector<std::string>& warnings() const { return m_warnings; }

private:
    UdpSocket m_socket;
    std::vector<Destination> m_destinations;
    std::vector<std::string> m_warnings;
};

} // namespace ondrel::sim
