#include "NetLinks.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <netinet/in.h>

#include <algorithm>
#include <bit>
#include <map>

namespace ondrel {

static_assert(kLinkUp == IFF_UP && kLinkBroadcast == IFF_BROADCAST &&
              kLinkLoopback == IFF_LOOPBACK && kLinkRunning == IFF_RUNNING &&
              kLinkSlave == IFF_SLAVE);

namespace {

bool Allowed(const NetLink& link, const std::vector<std::string>& allow) {
    return allow.empty() || std::find(allow.begin(), allow.end(), link.name) != allow.end();
}

// An address label such as "eth0:1" belongs to eth0.
std::string LinkName(const char* label) {
    std::string name(label);
    const std::size_t colon = name.find(':');
    if (colon != std::string::npos) {
        name.erase(colon);
    }
    return name;
}

uint8_t PrefixLength(const sockaddr* mask) {
    if (mask == nullptr || mask->sa_family != AF_INET) {
        return 32;
    }
    const uint32_t bits = ntohl(reinterpret_cast<const sockaddr_in*>(mask)->sin_addr.s_addr);
    return static_cast<uint8_t>(std::countl_one(bits));
}

} // namespace

NetLinks SelectSendLinks(const NetLinks& links, const std::vector<std::string>& allow) {
    NetLinks chosen;
    for (const NetLink& link : links) {
        const bool up = (link.flags & kLinkUp) != 0;
        const bool carrier = (link.flags & (kLinkRunning | kLinkLowerUp)) != 0;
        const bool broadcast = (link.flags & kLinkBroadcast) != 0;
        const bool loopback = (link.flags & kLinkLoopback) != 0;
        const bool member = (link.flags & kLinkSlave) != 0;
        if (up && carrier && broadcast && !loopback && !member && link.ifindex != 0 &&
            Allowed(link, allow)) {
            chosen.push_back(link);
        }
    }
    std::stable_sort(chosen.begin(), chosen.end(),
                     [](const NetLink& a, const NetLink& b) { return a.ifindex < b.ifindex; });
    return chosen;
}

const NetLink* FindLink(const NetLinks& links, uint32_t ifindex, std::string_view name) {
    for (const NetLink& link : links) {
        if (ifindex != 0 ? link.ifindex == ifindex : (!name.empty() && link.name == name)) {
            return &link;
        }
    }
    return nullptr;
}

AdapterRef AdapterOf(const NetLink& link, std::optional<Ipv4> deviceIp) {
    AdapterRef adapter;
    adapter.name = link.name;
    adapter.ifindex = link.ifindex;
    const Ipv4Net* chosen = link.addresses.empty() ? nullptr : &link.addresses.front();
    if (deviceIp) {
        for (const Ipv4Net& net : link.addresses) {
            if (net.Contains(deviceIp->bits)) {
                chosen = &net;
                break;
            }
        }
    }
    if (chosen != nullptr) {
        adapter.address = chosen->address;
        adapter.prefixLength = chosen->prefixLength;
    }
    return adapter;
}

NetLinks ListSystemLinks() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return {};
    }
    std::map<std::string, NetLink> byName;
    for (const ifaddrs* a = list; a != nullptr; a = a->ifa_next) {
        if (a->ifa_name == nullptr) {
            continue;
        }
        const std::string name = LinkName(a->ifa_name);
        NetLink& link = byName[name];
        link.name = name;
        if (a->ifa_addr == nullptr) {
            continue;
        }
        if (a->ifa_addr->sa_family == AF_PACKET) {
            // The link's own entry: its flags and index, not those of an address label.
            link.flags = a->ifa_flags;
            link.ifindex = static_cast<uint32_t>(
                reinterpret_cast<const sockaddr_ll*>(a->ifa_addr)->sll_ifindex);
        } else if (a->ifa_addr->sa_family == AF_INET) {
            const uint32_t address =
                ntohl(reinterpret_cast<const sockaddr_in*>(a->ifa_addr)->sin_addr.s_addr);
            link.addresses.push_back({address, PrefixLength(a->ifa_netmask)});
            if (link.flags == 0) {
                link.flags = a->ifa_flags;
            }
        }
    }
    freeifaddrs(list);
    NetLinks out;
    for (auto& [name, link] : byName) {
        if (link.ifindex == 0) {
            link.ifindex = if_nametoindex(name.c_str());
        }
        if (link.ifindex != 0) {
            out.push_back(std::move(link));
        }
    }
    std::sort(out.begin(), out.end(),
              [](const NetLink& a, const NetLink& b) { return a.ifindex < b.ifindex; });
    return out;
}

std::vector<std::string> UnknownLinkNames(const NetLinks& links,
                                          const std::vector<std::string>& wanted) {
    std::vector<std::string> unknown;
    for (const std::string& name : wanted) {
        if (FindLink(links, 0, name) == nullptr) {
            unknown.push_back(name);
        }
    }
    return unknown;
}

} // namespace ondrel
