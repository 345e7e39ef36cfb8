#include "InterfaceWalk.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <netinet/in.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <map>
#include <memory>

namespace ondrel {

namespace {

// An address label such as "eth0:1" belongs to eth0.
std::string linkName(const char* label) {
    std::string name(label);
    const std::size_t colon = name.find(':');
    if (colon != std::string::npos) {
        name.erase(colon);
    }
    return name;
}

uint32_t hostOrder(const sockaddr* address) {
    sockaddr_in in{};
    std::memcpy(&in, address, sizeof in);
    return ntohl(in.sin_addr.s_addr);
}

uint8_t prefixLength(const sockaddr* mask) {
    if (mask == nullptr || mask->sa_family != AF_INET) {
        return 32;
    }
    return static_cast<uint8_t>(std::countl_one(hostOrder(mask)));
}

void takeLinkEntry(const ifaddrs& entry, Adapter& adapter) {
    sockaddr_ll link{};
    std::memcpy(&link, entry.ifa_addr, sizeof link);
    // The link's own entry carries its flags and index, not those of an address label.
    adapter.flags = entry.ifa_flags;
    adapter.ifindex = static_cast<uint32_t>(link.sll_ifindex);
    if (link.sll_halen == 6) {
        std::array<uint8_t, 6> bytes{};
        std::copy_n(link.sll_addr, bytes.size(), bytes.begin());
        adapter.mac = Mac::fromBytes(bytes);
    }
}

} // namespace

std::vector<Adapter> walkInterfaces() {
    ifaddrs* raw = nullptr;
    if (getifaddrs(&raw) != 0) {
        return {};
    }
    const std::unique_ptr<ifaddrs, decltype(&freeifaddrs)> list(raw, &freeifaddrs);
    std::map<std::string, Adapter> byName;
    for (const ifaddrs* a = list.get(); a != nullptr; a = a->ifa_next) {
        if (a->ifa_name == nullptr) {
            continue;
        }
        const std::string name = linkName(a->ifa_name);
        Adapter& adapter = byName[name];
        adapter.name = name;
        if (a->ifa_addr == nullptr) {
            continue;
        }
        if (a->ifa_addr->sa_family == AF_PACKET) {
            takeLinkEntry(*a, adapter);
        } else if (a->ifa_addr->sa_family == AF_INET) {
            adapter.addresses.push_back({hostOrder(a->ifa_addr), prefixLength(a->ifa_netmask)});
            if (adapter.flags == 0) {
                adapter.flags = a->ifa_flags;
            }
        }
    }
    std::vector<Adapter> out;
    for (auto& [name, adapter] : byName) {
        if (adapter.ifindex == 0) {
            adapter.ifindex = if_nametoindex(name.c_str());
        }
        if (adapter.ifindex != 0) {
            out.push_back(std::move(adapter));
        }
    }
    std::sort(out.begin(), out.end(),
              [](const Adapter& a, const Adapter& b) { return a.ifindex < b.ifindex; });
    return out;
}

} // namespace ondrel
