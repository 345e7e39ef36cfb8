#include "WsdSocket.h"

#include "netinfo/NetLinks.h"

#include <arpa/inet.h>
#include <net/if.h>
#include <netinet/in.h>

#include <cerrno>
#include <cstring>

namespace ondrel::sim {

namespace {

bool joinsGroup(const NetLink& link) {
    const bool up = (link.flags & kLinkUp) != 0;
    const bool multicast = (link.flags & IFF_MULTICAST) != 0;
    const bool loopback = (link.flags & kLinkLoopback) != 0;
    return up && multicast && !loopback && link.ifindex != 0 && !link.addresses.empty();
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
    const SocketSyscalls& sys = SocketSyscalls::current();
    const int fd = m_socket.nativeHandle();
    const int on = 1;
    if (sys.setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0) {
        return {errno, std::string("address reuse option: ") + std::strerror(errno)};
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
        ip_mreqn request{};
        request.imr_multiaddr.s_addr = htonl(group->bits);
        request.imr_ifindex = static_cast<int>(link.ifindex);
        if (sys.setsockopt(fd, IPPROTO_IP, IP_ADD_MEMBERSHIP, &request, sizeof request) != 0) {
            m_warnings.push_back("cannot join " + std::string(wsd::kMulticastAddress) + " on " +
                                 link.name + ": " + std::strerror(errno));
            continue;
        }
        if (!options.announceTo) {
            m_destinations.push_back({link.ifindex, {group->bits, wsd::kPort}});
        }
    }
    return {};
}

} // namespace ondrel::sim
