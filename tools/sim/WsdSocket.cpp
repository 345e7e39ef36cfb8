#include "WsdSocket.h"

#include "CameraLinks.h"

#include "netinfo/NetLinks.h"

#include <net/if.h>

#include <cerrno>

namespace ondrel::sim {

namespace {

bool joinsGroup(const NetLink& link) {
    const bool up = (link.flags & kLinkUp) != 0;
    const bool multicast = (link.flags & IFF_MULTICAST) != 0;
    const bool loopback = (link.flags & kLinkLoopback) != 0;
    // A simulator's camera interface hears what the LAN's interface hears: joined there too, the
    // group would reach this socket twice.
    return up && multicast && !loopback && link.ifindex != 0 && !link.addresses.empty() &&
           !isCameraLinkName(link.name);
}

} // namespace

SocketStatus WsdSocket::open(const WsdSocketOptions& options) {
    const std::optional<Ipv4> bindAddress = parseIpv4(options.bindAddress);
    const std::optional<Ipv4> group = parseIpv4(wsd::kMulticastAddress);
    if (!bindAddress || !group) {
        return {EINVAL, "WS-Discovery bind address " + options.bindAddress};
    }
    if (SocketStatus s = m_socket.create(); !s) {
        return s;
    }
    if (SocketStatus s = m_socket.enableAddressReuse(); !s) {
        return s;
    }
    if (SocketStatus s = m_socket.enablePacketInfo(); !s) {
        return s;
    }
    m_socket.raiseReceiveBuffer();
    if (SocketStatus s = m_socket.bind(options.bindAddress, options.port); !s) {
        return s;
    }
    if (options.announceTo) {
        m_destinations.push_back({0, *options.announceTo});
    }
    if (bindAddress->bits != 0) {
        return {};
    }
    for (const NetLink& link : listSystemLinks()) {
        if (!joinsGroup(link)) {
            continue;
        }
        if (SocketStatus s = m_socket.joinGroup(group->bits, link.ifindex); !s) {
            m_warnings.push_back(s.message + " (" + link.name + ")");
            continue;
        }
        if (!options.announceTo) {
            m_destinations.push_back({link.ifindex, {group->bits, wsd::kPort}});
        }
    }
    return {};
}

} // namespace ondrel::sim
