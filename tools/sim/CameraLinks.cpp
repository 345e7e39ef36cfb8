#include "CameraLinks.h"

#include "WsdComposer.h"

#include "netinfo/NetLinks.h"

#include <arpa/inet.h>
#include <linux/if_addr.h>
#include <linux/if_link.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace ondrel::sim {

namespace {

// "sim<pid>.<camera>": simulators side by side in one namespace keep apart, within the 15
// characters an interface name may have.
constexpr const char* kNamePrefix = "sim";
// arp_notify: an interface coming up tells its addresses (a gratuitous ARP), as a camera does
// when it starts, so that the PC forgets whoever held the address before.
constexpr std::string_view kArpFiles[] = {"arp_ignore", "arp_announce", "arp_notify"};
constexpr std::string_view kArpValues[] = {"1", "2", "1"};

std::string arpFile(std::string_view name) {
    return "/proc/sys/net/ipv4/conf/all/" + std::string(name);
}

// A netlink request under construction: the header, the fixed part, then attributes, nested
// ones closed by end().
class Message {
public:
    Message(uint16_t type, uint16_t flags, const void* body, std::size_t length) {
        m_bytes.resize(NLMSG_HDRLEN);
        header().nlmsg_type = type;
        header().nlmsg_flags = static_cast<uint16_t>(NLM_F_REQUEST | NLM_F_ACK | flags);
        append(body, length);
    }
    Message& add(uint16_t type, const void* data, std::size_t length) {
        rtattr a{};
        a.rta_len = static_cast<unsigned short>(RTA_LENGTH(length));
        a.rta_type = type;
        append(&a, sizeof a);
        m_bytes.resize(m_bytes.size() - (RTA_ALIGN(sizeof a) - sizeof a));
        append(data, length);
        return *this;
    }
    Message& add(uint16_t type, std::string_view text) {
        std::string z(text);
        return add(type, z.c_str(), z.size() + 1);
    }
    Message& begin(uint16_t type) {
        m_open.push_back(m_bytes.size());
        return add(type, nullptr, 0);
    }
    Message& end() {
        const std::size_t at = m_open.back();
        m_open.pop_back();
        const auto length = static_cast<unsigned short>(m_bytes.size() - at);
        std::memcpy(m_bytes.data() + at, &length, sizeof length);
        return *this;
    }
    std::vector<uint8_t> done(uint32_t sequence) {
        header().nlmsg_len = static_cast<uint32_t>(m_bytes.size());
        header().nlmsg_seq = sequence;
        return std::move(m_bytes);
    }

private:
    nlmsghdr& header() { return *reinterpret_cast<nlmsghdr*>(m_bytes.data()); }
    void append(const void* data, std::size_t length) {
        const std::size_t at = m_bytes.size();
        m_bytes.resize(at + NLMSG_ALIGN(length));
        if (length != 0) {
            std::memcpy(m_bytes.data() + at, data, length);
        }
    }

    std::vector<uint8_t> m_bytes;
    std::vector<std::size_t> m_open;
};

std::vector<Ipv4> addressesOf(const SimDevice& device, bool linkLocal) {
    std::vector<Ipv4> out;
    for (const std::string& text :
         {device.ip, linkLocal ? WsdComposer::linkLocalOf(device.mac) : std::string()}) {
        const std::optional<Ipv4> a = parseIpv4(text);
        if (a && a->isUsableHost() && std::ranges::find(out, *a) == out.end()) {
            out.push_back(*a);
        }
    }
    return out;
}

int lowerLink() {
    for (const NetLink& l : listSystemLinks()) {
        if ((l.flags & kLinkUp) != 0 && (l.flags & kLinkLoopback) == 0 &&
            (l.flags & kLinkBroadcast) != 0 && !isCameraLinkName(l.name)) {
            return static_cast<int>(l.ifindex);
        }
    }
    return 0;
}

} // namespace

bool isCameraLinkName(std::string_view name) {
    if (!name.starts_with(kNamePrefix)) {
        return false;
    }
    name.remove_prefix(std::string_view(kNamePrefix).size());
    const std::size_t dot = name.find('.');
    const auto digits = [](std::string_view part) {
        return !part.empty() &&
               std::ranges::all_of(part, [](char c) { return c >= '0' && c <= '9'; });
    };
    return dot != std::string_view::npos && digits(name.substr(0, dot)) &&
           digits(name.substr(dot + 1));
}

std::vector<std::optional<CameraWire>> planWires(const std::vector<SimDevice>& devices,
                                                 bool linkLocal) {
    std::vector<std::optional<CameraWire>> out;
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const std::optional<Mac> mac = parseMac(devices[i].mac);
        // The group bit marks a multicast address: no station answers ARP with one.
        if (!mac || mac->bits == 0 || (mac->bytes()[0] & 1) != 0) {
            out.emplace_back();
            continue;
        }
        out.push_back(CameraWire{kNamePrefix + std::to_string(::getpid()) + "." + std::to_string(i),
                                 *mac, addressesOf(devices[i], linkLocal)});
    }
    return out;
}

CameraLinks::~CameraLinks() {
    close();
}

std::string CameraLinks::open(const std::vector<SimDevice>& devices, bool linkLocal) {
    const char* lab = std::getenv("ONDREL_NETLAB");
    if (lab == nullptr || std::string_view(lab) != "1") {
        return "inside scripts/netlab only";
    }
    const int lower = lowerLink();
    if (lower == 0) {
        return "no LAN interface up to put them on";
    }
    m_socket = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
    if (m_socket < 0) {
        return std::string("netlink socket: ") + std::strerror(errno);
    }
    if (std::string why = setArp(); !why.empty()) {
        close();
        return why;
    }
    m_linkLocal = linkLocal;
    std::vector<std::optional<CameraWire>> wires = planWires(devices, linkLocal);
    m_held.assign(wires.size(), std::nullopt);
    for (std::size_t i = 0; i < wires.size(); ++i) {
        if (!wires[i]) {
            m_skipped.push_back(devices[i].name);
            continue;
        }
        if (const int e = addLink(*wires[i], lower); e != 0) {
            close();
            return "camera " + devices[i].name + "'s interface: " + std::strerror(e);
        }
        const int ifindex = static_cast<int>(::if_nametoindex(wires[i]->name.c_str()));
        m_held[i] = Held{{wires[i]->name, wires[i]->mac, {}}, ifindex};
    }
    follow(devices);
    return {};
}

void CameraLinks::follow(const std::vector<SimDevice>& devices) {
    for (std::size_t i = 0; i < m_held.size() && i < devices.size(); ++i) {
        if (!m_held[i]) {
            continue;
        }
        Held& held = *m_held[i];
        const std::vector<Ipv4> wanted = addressesOf(devices[i], m_linkLocal);
        if (wanted == held.wire.addresses) {
            continue;
        }
        // Down and up again, as the camera restarts: coming up, it tells its new addresses.
        setUp(held.ifindex, false);
        for (const Ipv4 a : held.wire.addresses) {
            if (std::ranges::find(wanted, a) == wanted.end()) {
                changeAddress(RTM_DELADDR, held.ifindex, a);
            }
        }
        for (const Ipv4 a : wanted) {
            if (std::ranges::find(held.wire.addresses, a) == held.wire.addresses.end()) {
                changeAddress(RTM_NEWADDR, held.ifindex, a);
            }
        }
        held.wire.addresses = wanted;
        setUp(held.ifindex, true);
    }
}

void CameraLinks::close() {
    if (m_socket < 0) {
        return;
    }
    for (const std::optional<Held>& held : m_held) {
        if (held && held->ifindex != 0) {
            ifinfomsg info{};
            info.ifi_family = AF_UNSPEC;
            info.ifi_index = held->ifindex;
            request(Message(RTM_DELLINK, 0, &info, sizeof info).done(++m_sequence));
        }
    }
    m_held.clear();
    restoreArp();
    ::close(m_socket);
    m_socket = -1;
}

int CameraLinks::request(std::vector<uint8_t> message) {
    const auto sequence = reinterpret_cast<const nlmsghdr*>(message.data())->nlmsg_seq;
    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    if (::sendto(m_socket, message.data(), message.size(), 0, reinterpret_cast<sockaddr*>(&kernel),
                 sizeof kernel) < 0) {
        return errno;
    }
    alignas(nlmsghdr) uint8_t buffer[8192];
    for (;;) {
        const ssize_t got = ::recv(m_socket, buffer, sizeof buffer, 0);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        auto length = static_cast<unsigned>(got);
        for (auto* h = reinterpret_cast<nlmsghdr*>(buffer); NLMSG_OK(h, length);
             h = NLMSG_NEXT(h, length)) {
            if (h->nlmsg_seq == sequence && h->nlmsg_type == NLMSG_ERROR &&
                h->nlmsg_len >= NLMSG_LENGTH(sizeof(nlmsgerr))) {
                return -static_cast<const nlmsgerr*>(NLMSG_DATA(h))->error;
            }
        }
    }
}

int CameraLinks::addLink(const CameraWire& wire, int lower) {
    const auto make = [&] {
        ifinfomsg info{};
        info.ifi_family = AF_UNSPEC;
        const std::array<uint8_t, 6> mac = wire.mac.bytes();
        const uint32_t mode = MACVLAN_MODE_BRIDGE;
        Message m(RTM_NEWLINK, NLM_F_CREATE | NLM_F_EXCL, &info, sizeof info);
        m.add(IFLA_IFNAME, wire.name)
            .add(IFLA_LINK, &lower, sizeof lower)
            .add(IFLA_ADDRESS, mac.data(), mac.size())
            .begin(IFLA_LINKINFO)
            .add(IFLA_INFO_KIND, "macvlan")
            .begin(IFLA_INFO_DATA)
            .add(IFLA_MACVLAN_MODE, &mode, sizeof mode)
            .end()
            .end();
        return request(m.done(++m_sequence));
    };
    int e = make();
    if (e == EEXIST) {
        // Left by a simulator of the same process number killed in this namespace.
        ifinfomsg info{};
        info.ifi_family = AF_UNSPEC;
        Message gone(RTM_DELLINK, 0, &info, sizeof info);
        gone.add(IFLA_IFNAME, wire.name);
        request(gone.done(++m_sequence));
        e = make();
    }
    return e;
}

int CameraLinks::setUp(int ifindex, bool up) {
    ifinfomsg info{};
    info.ifi_family = AF_UNSPEC;
    info.ifi_index = ifindex;
    info.ifi_flags = up ? IFF_UP : 0;
    info.ifi_change = IFF_UP;
    return request(Message(RTM_NEWLINK, 0, &info, sizeof info).done(++m_sequence));
}

int CameraLinks::changeAddress(uint16_t type, int ifindex, Ipv4 address) {
    ifaddrmsg info{};
    info.ifa_family = AF_INET;
    info.ifa_prefixlen = 32;
    info.ifa_index = static_cast<uint32_t>(ifindex);
    const uint32_t wire = htonl(address.bits);
    Message m(type, type == RTM_NEWADDR ? NLM_F_CREATE | NLM_F_REPLACE : 0, &info, sizeof info);
    m.add(IFA_LOCAL, &wire, sizeof wire).add(IFA_ADDRESS, &wire, sizeof wire);
    return request(m.done(++m_sequence));
}

std::string CameraLinks::setArp() {
    for (std::size_t i = 0; i < std::size(kArpFiles); ++i) {
        const std::string file = arpFile(kArpFiles[i]);
        std::string before;
        std::getline(std::ifstream(file), before);
        std::ofstream out(file);
        out << kArpValues[i] << '\n';
        out.close();
        if (before.empty() || !out) {
            restoreArp();
            return file + ": cannot be written";
        }
        m_arpBefore.emplace_back(file, before);
    }
    return {};
}

void CameraLinks::restoreArp() {
    for (const auto& [file, value] : m_arpBefore) {
        std::ofstream(file) << value << '\n';
    }
    m_arpBefore.clear();
}

} // namespace ondrel::sim
