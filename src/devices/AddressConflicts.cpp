#include "AddressConflicts.h"

#include <algorithm>
#include <compare>
#include <cstdint>
#include <string_view>
#include <unordered_map>

namespace ondrel {

namespace {

bool isPcAddress(const AdapterRef& adapter, Ipv4 address, const NetLinks& links) {
    const NetLink* link = FindLink(links, adapter.ifindex, adapter.name);
    if (link == nullptr) {
        // An adapter no longer listed still had the address the reply named.
        return adapter.HasAddress() && adapter.address == address.bits;
    }
    for (const Ipv4Net& net : link->addresses) {
        if (net.address == address.bits) {
            return true;
        }
    }
    return false;
}

} // namespace

void AddressConflicts::computeFor(std::size_t count, const DeviceAt& at,
                                  const NetLinks& pcAdapters) {
    m_conflicts.clear();
    m_conflicted = 0;
    // Every device with an address, by LAN and address, then in arrival order: a sort keeps
    // the look linear in memory, and a run of equal keys is one address on one LAN. LANs
    // are numbered by their names as met.
    struct Key {
        uint32_t lan;
        uint32_t ip;
        std::size_t index;
        auto operator<=>(const Key&) const = default;
    };
    std::vector<std::string_view> lans;
    std::vector<Key> keys;
    for (std::size_t i = 0; i < count; ++i) {
        const Device& d = at(i);
        if (!d.ip.value || d.ip.value->isUnspecified() || !d.adapter.Known()) {
            continue;
        }
        if (isPcAddress(d.adapter, *d.ip.value, pcAdapters)) {
            m_conflicts[i].withPc = true;
        }
        // An adapter without a name is told apart by its index.
        uint32_t lanKey = 0x80000000u | d.adapter.ifindex;
        if (const std::string_view lan = d.adapter.name; !lan.empty()) {
            const auto known = std::find(lans.begin(), lans.end(), lan);
            lanKey = static_cast<uint32_t>(known - lans.begin());
            if (known == lans.end()) {
                lans.push_back(lan);
            }
        }
        keys.push_back({lanKey, d.ip.value->bits, i});
    }
    std::sort(keys.begin(), keys.end());
    std::vector<std::size_t> sharing;
    for (std::size_t from = 0; from < keys.size();) {
        std::size_t to = from + 1;
        while (to < keys.size() && keys[to].lan == keys[from].lan && keys[to].ip == keys[from].ip) {
            ++to;
        }
        if (to - from > 1) {
            sharing.clear();
            for (std::size_t k = from; k < to; ++k) {
                sharing.push_back(keys[k].index);
            }
            nameOthers(sharing, at);
        }
        from = to;
    }
    m_conflicted = m_conflicts.size();
}

void AddressConflicts::nameOthers(const std::vector<std::size_t>& sharing, const DeviceAt& at) {
    // The devices at the address, each by its first row, in arrival order; a device's own rows
    // are never its conflict. Only the first few are ever named, so each device looks at a
    // bounded number of them however many share the address.
    std::unordered_map<std::string_view, bool> seen;
    std::vector<std::size_t> firstRows;
    for (const std::size_t i : sharing) {
        if (!seen[at(i).mac]) {
            seen[at(i).mac] = true;
            firstRows.push_back(i);
        }
    }
    if (firstRows.size() < 2) {
        return; // one device's own rows
    }
    for (const std::size_t i : sharing) {
        Conflict& c = m_conflicts[i];
        for (std::size_t k = 0; k < firstRows.size() && c.others.size() < kMaxNamed; ++k) {
            if (at(firstRows[k]).mac != at(i).mac) {
                c.others.push_back(firstRows[k]);
            }
        }
        c.unnamed = firstRows.size() - 1 - c.others.size();
    }
}

const AddressConflicts::Conflict& AddressConflicts::of(std::size_t index) const {
    static const Conflict none;
    const auto it = m_conflicts.find(index);
    return it != m_conflicts.end() ? it->second : none;
}

std::vector<std::string> AddressConflicts::partiesFor(std::size_t index, const DeviceAt& at) const {
    std::vector<std::string> out;
    const Conflict& c = of(index);
    for (const std::size_t other : c.others) {
        out.push_back(at(other).mac);
    }
    if (c.unnamed > 0) {
        out.push_back("+" + std::to_string(c.unnamed) + " more");
    }
    if (c.withPc) {
        out.emplace_back(kThisPc);
    }
    return out;
}

} // namespace ondrel
