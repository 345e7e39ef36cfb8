#include "DefaultRoutes.h"

#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

namespace ondrel {

namespace {

template <typename T> bool readAt(std::span<const uint8_t> bytes, std::size_t offset, T& out) {
    if (offset > bytes.size() || bytes.size() - offset < sizeof(T)) {
        return false;
    }
    std::memcpy(&out, bytes.data() + offset, sizeof(T));
    return true;
}

// Calls visit(type, payload) for each well-formed attribute of a run of attributes.
template <typename Visit> void forEachAttribute(std::span<const uint8_t> bytes, Visit visit) {
    std::size_t offset = 0;
    rtattr attribute{};
    while (readAt(bytes, offset, attribute)) {
        if (attribute.rta_len < sizeof(rtattr) || attribute.rta_len > bytes.size() - offset) {
            return;
        }
        visit(attribute.rta_type,
              bytes.subspan(offset + RTA_LENGTH(0), attribute.rta_len - RTA_LENGTH(0)));
        offset += RTA_ALIGN(attribute.rta_len);
    }
}

std::optional<uint32_t> u32Of(std::span<const uint8_t> payload) {
    uint32_t value = 0;
    if (payload.size() != sizeof value || !readAt(payload, 0, value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<Ipv4> gatewayOf(std::span<const uint8_t> payload) {
    const std::optional<uint32_t> networkOrder = u32Of(payload);
    if (!networkOrder || *networkOrder == 0) {
        return std::nullopt;
    }
    return Ipv4{ntohl(*networkOrder)};
}

// A multipath route: each next hop names its own interface and gateway.
void takeNextHops(std::span<const uint8_t> bytes, DefaultGateways& into) {
    std::size_t offset = 0;
    rtnexthop hop{};
    while (readAt(bytes, offset, hop)) {
        if (hop.rtnh_len < sizeof(rtnexthop) || hop.rtnh_len > bytes.size() - offset) {
            return;
        }
        std::optional<Ipv4> gateway;
        forEachAttribute(bytes.subspan(offset + RTNH_LENGTH(0), hop.rtnh_len - RTNH_LENGTH(0)),
                         [&](unsigned short type, std::span<const uint8_t> payload) {
                             if (type == RTA_GATEWAY) {
                                 gateway = gatewayOf(payload);
                             }
                         });
        if (gateway && hop.rtnh_ifindex > 0) {
            into.emplace(static_cast<uint32_t>(hop.rtnh_ifindex), *gateway);
        }
        offset += RTNH_ALIGN(hop.rtnh_len);
    }
}

void takeRoute(std::span<const uint8_t> body, DefaultGateways& into) {
    rtmsg route{};
    if (!readAt(body, 0, route) || route.rtm_family != AF_INET || route.rtm_dst_len != 0 ||
        route.rtm_type != RTN_UNICAST) {
        return;
    }
    uint32_t table = route.rtm_table;
    std::optional<uint32_t> outIndex;
    std::optional<Ipv4> gateway;
    std::span<const uint8_t> nextHops;
    const std::size_t attributes = NLMSG_ALIGN(sizeof(rtmsg));
    if (body.size() < attributes) {
        return;
    }
    forEachAttribute(body.subspan(attributes),
                     [&](unsigned short type, std::span<const uint8_t> payload) {
                         switch (type) {
                         case RTA_TABLE:
                             table = u32Of(payload).value_or(table);
                             break;
                         case RTA_OIF:
                             outIndex = u32Of(payload);
                             break;
                         case RTA_GATEWAY:
                             gateway = gatewayOf(payload);
                             break;
                         case RTA_MULTIPATH:
                             nextHops = payload;
                             break;
                         default:
                             break;
                         }
                     });
    // Policy routing's other tables are not what the PC's adapters show.
    if (table != RT_TABLE_MAIN) {
        return;
    }
    if (gateway && outIndex && *outIndex != 0) {
        into.emplace(*outIndex, *gateway);
    }
    takeNextHops(nextHops, into);
}

class NetlinkSocket {
public:
    NetlinkSocket() : m_fd(::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE)) {}
    ~NetlinkSocket() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    NetlinkSocket(const NetlinkSocket&) = delete;
    NetlinkSocket& operator=(const NetlinkSocket&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

bool collectDefaultGateways(std::span<const uint8_t> chunk, DefaultGateways& into) {
    std::size_t offset = 0;
    nlmsghdr header{};
    while (readAt(chunk, offset, header)) {
        if (header.nlmsg_len < sizeof(nlmsghdr) || header.nlmsg_len > chunk.size() - offset) {
            return false;
        }
        if (header.nlmsg_type == NLMSG_DONE || header.nlmsg_type == NLMSG_ERROR) {
            return true;
        }
        if (header.nlmsg_type == RTM_NEWROUTE) {
            takeRoute(chunk.subspan(offset + NLMSG_HDRLEN, header.nlmsg_len - NLMSG_HDRLEN), into);
        }
        offset += NLMSG_ALIGN(header.nlmsg_len);
    }
    return false;
}

std::optional<DefaultGateways> readDefaultGateways() {
    const NetlinkSocket socket;
    if (socket.fd() < 0) {
        return std::nullopt;
    }
    // The kernel answers a dump at once; the limit only guards against a socket that never
    // does, so that listing the adapters cannot hang.
    const timeval limit{1, 0};
    ::setsockopt(socket.fd(), SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);

    struct {
        nlmsghdr header;
        rtmsg route;
    } request{};
    request.header.nlmsg_len = NLMSG_LENGTH(sizeof(rtmsg));
    request.header.nlmsg_type = RTM_GETROUTE;
    request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    request.header.nlmsg_seq = 1;
    request.route.rtm_family = AF_INET;
    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    if (::sendto(socket.fd(), &request, request.header.nlmsg_len, 0,
                 reinterpret_cast<const sockaddr*>(&kernel), sizeof kernel) < 0) {
        return std::nullopt;
    }

    DefaultGateways gateways;
    std::array<uint8_t, 32768> buffer{};
    for (;;) {
        const ssize_t got = ::recv(socket.fd(), buffer.data(), buffer.size(), 0);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return std::nullopt;
        }
        if (collectDefaultGateways(std::span(buffer.data(), static_cast<std::size_t>(got)),
                                   gateways)) {
            return gateways;
        }
    }
}

} // namespace ondrel
