#include "NetLinks.h"

#include "netinfo/InterfaceWalk.h"

#include <net/if.h>

#include <algorithm>

namespace ondrel {

static_assert(kLinkUp == IFF_UP && kLinkBroadcast == IFF_BROADCAST &&
              kLinkLoopback == IFF_LOOPBACK && kLinkRunning == IFF_RUNNING &&
              kLinkSlave == IFF_SLAVE && kLinkMulticast == IFF_MULTICAST);

namespace {

bool allowed(const NetLink& link, const std::vector<std::string>& allow) {
    return allow.empty() || std::find(allow.begin(), allow.end(), link.name) != allow.end();
}

} // namespace

NetLinks selectSendLinks(const NetLinks& links, const std::vector<std::string>& allow) {
    NetLinks chosen;
    for (const NetLink& link : links) {
        const bool up = (link.flags & kLinkUp) != 0;
        const bool carrier = (link.flags & (kLinkRunning | kLinkLowerUp)) != 0;
        const bool broadcast = (link.flags & kLinkBroadcast) != 0;
        const bool loopback = (link.flags & kLinkLoopback) != 0;
        const bool member = (link.flags & kLinkSlave) != 0;
        if (up && carrier && broadcast && !loopback && !member && link.ifindex != 0 &&
            allowed(link, allow)) {
            chosen.push_back(link);
        }
    }
    std::stable_sort(chosen.begin(), chosen.end(),
                     [](const NetLink& a, const NetLink& b) { return a.ifindex < b.ifindex; });
    return chosen;
}

const NetLink* findLink(const NetLinks& links, uint32_t ifindex, std::string_view name) {
    for (const NetLink& link : links) {
        if (ifindex != 0 ? link.ifindex == ifindex : (!name.empty() && link.name == name)) {
            return &link;
        }
    }
    return nullptr;
}

AdapterRef adapterOf(const NetLink& link, std::optional<Ipv4> deviceIp) {
    AdapterRef adapter;
    adapter.name = link.name;
    adapter.ifindex = link.ifindex;
    const Ipv4Net* chosen = link.addresses.empty() ? nullptr : &link.addresses.front();
    if (deviceIp) {
        for (const Ipv4Net& net : link.addresses) {
            if (net.contains(deviceIp->bits)) {
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

NetLinks linksOf(const std::vector<Adapter>& adapters) {
    NetLinks links;
    links.reserve(adapters.size());
    for (const Adapter& adapter : adapters) {
        links.push_back({adapter.name, adapter.ifindex, adapter.flags, adapter.addresses});
    }
    return links;
}

NetLinks listSystemLinks() {
    return linksOf(walkInterfaces());
}

std::vector<std::string> unknownLinkNames(const NetLinks& links,
                                          const std::vector<std::string>& wanted) {
    std::vector<std::string> unknown;
    for (const std::string& name : wanted) {
        if (findLink(links, 0, name) == nullptr) {
            unknown.push_back(name);
        }
    }
    return unknown;
}

} // namespace ondrel
