#include "AddressConflicts.h"

#include <string_view>
#include <unordered_map>

namespace ondrel {

namespace {

// The LAN a device answered on: its adapter by name, or by index when it has none.
std::string lanOf(const AdapterRef& adapter) {
    return adapter.name.empty() ? "#" + std::to_string(adapter.ifindex) : adapter.name;
}

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
    m_conflicts.assign(count, {});
    m_conflicted = 0;
    // Devices by LAN and address, in arrival order.
    std::unordered_map<std::string, std::vector<std::size_t>> byAddress;
    for (std::size_t i = 0; i < count; ++i) {
        const Device& d = at(i);
        if (!d.ip.value || d.ip.value->isUnspecified() || !d.adapter.Known()) {
            continue;
        }
        byAddress[lanOf(d.adapter) + '/' + std::to_string(d.ip.value->bits)].push_back(i);
        m_conflicts[i].withPc = isPcAddress(d.adapter, *d.ip.value, pcAdapters);
    }
    for (const auto& [key, sharing] : byAddress) {
        if (sharing.size() < 2) {
            continue;
        }
        // The devices at the address, each by its first row, in arrival order; a device's own
        // rows are never its conflict. Only the first few are ever named, so each device looks
        // at a bounded number of them however many share the address.
        std::unordered_map<std::string_view, bool> seen;
        std::vector<std::size_t> firstRows;
        for (const std::size_t i : sharing) {
            if (!seen[at(i).mac]) {
                seen[at(i).mac] = true;
                firstRows.push_back(i);
            }
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
    for (const Conflict& c : m_conflicts) {
        m_conflicted += c.any() ? 1 : 0;
    }
}

const AddressConflicts::Conflict& AddressConflicts::of(std::size_t index) const {
    static const Conflict none;
    return index < m_conflicts.size() ? m_conflicts[index] : none;
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
