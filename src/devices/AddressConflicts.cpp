#include "AddressConflicts.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace ondrel {

namespace {

bool isPcAddress(const AdapterRef& adapter, Ipv4 address, const NetLinks& links) {
    const NetLink* link = findLink(links, adapter.ifindex, adapter.name);
    if (link == nullptr) {
        // An adapter no longer listed still had the address the reply named.
        return adapter.hasAddress() && adapter.address == address.bits;
    }
    for (const Ipv4Net& net : link->addresses) {
        if (net.address == address.bits) {
            return true;
        }
    }
    return false;
}

// What tells one device from another: its MAC, or a camera's endpoint reference where it gave
// no MAC. The rows of one device share it, and a joined row is one device already. A row with
// neither is a device of its own: nothing says two of them are one.
struct Identity {
    std::optional<Mac> mac;
    std::string_view endpoint;
    std::size_t row = 0;

    bool operator==(const Identity&) const = default;
};

struct IdentityHash {
    std::size_t operator()(const Identity& i) const noexcept {
        return i.mac ? std::hash<Mac>{}(*i.mac)
                     : std::hash<std::string_view>{}(i.endpoint) ^ std::hash<std::size_t>{}(i.row);
    }
};

Identity identityOf(const DeviceView& d, std::size_t row) {
    if (d.mac.value) {
        return {d.mac.value, {}, 0};
    }
    if (!d.endpoint.empty()) {
        return {std::nullopt, d.endpoint, 0};
    }
    return {std::nullopt, {}, row + 1};
}

// How a party is named: as the list shows it.
std::string_view labelOf(const DeviceView& d) {
    return d.mac.text.empty() ? d.endpoint : d.mac.text;
}

} // namespace

void AddressConflicts::computeFor(std::size_t count, const DeviceAt& at,
                                  const NetLinks& pcAdapters) {
    *this = {};
    addFor(count, at, pcAdapters);
}

std::vector<std::size_t> AddressConflicts::addFor(std::size_t count, const DeviceAt& at,
                                                  const NetLinks& pcAdapters) {
    std::vector<std::size_t> changed;
    const std::size_t from = m_size;
    std::vector<Key> fresh;
    for (std::size_t i = from; i < count; ++i) {
        const DeviceView d = at(i);
        if (!d.ip.value || d.ip.value->isUnspecified() || !d.adapter->known()) {
            continue;
        }
        if (isPcAddress(*d.adapter, *d.ip.value, pcAdapters)) {
            m_conflicts[i].withPc = true;
        }
        // An adapter without a name is told apart by its index.
        uint32_t lan = 0x80000000u | d.adapter->ifindex;
        if (const std::string& name = d.adapter->name; !name.empty()) {
            const auto known = std::find(m_lans.begin(), m_lans.end(), name);
            lan = static_cast<uint32_t>(known - m_lans.begin());
            if (known == m_lans.end()) {
                m_lans.push_back(name);
            }
        }
        fresh.push_back({lan, d.ip.value->bits, i});
    }
    m_size = std::max(m_size, count);
    if (fresh.empty()) {
        return changed;
    }
    // Sorted and merged, never sorted whole again: a burst adds a few devices at a time to
    // thousands.
    std::sort(fresh.begin(), fresh.end());
    const auto old = static_cast<std::ptrdiff_t>(m_keys.size());
    m_keys.insert(m_keys.end(), fresh.begin(), fresh.end());
    std::inplace_merge(m_keys.begin(), m_keys.begin() + old, m_keys.end());
    const auto sameAddress = [](const Key& a, const Key& b) {
        return a.lan != b.lan ? a.lan < b.lan : a.ip < b.ip;
    };
    for (auto k = fresh.begin(); k != fresh.end();) {
        const auto [first, last] =
            std::equal_range(m_keys.cbegin(), m_keys.cend(), *k, sameAddress);
        if (last - first > 1) {
            nameOthers(first, last, at, from, changed);
        }
        k = std::upper_bound(k, fresh.end(), *k, sameAddress);
    }
    std::sort(changed.begin(), changed.end());
    return changed;
}

void AddressConflicts::nameOthers(std::vector<Key>::const_iterator first,
                                  std::vector<Key>::const_iterator last, const DeviceAt& at,
                                  std::size_t from, std::vector<std::size_t>& changed) {
    // The devices at the address, each by its first row, in arrival order; a device's own rows
    // are never its conflict. Only the first few are ever named, so each device looks at a
    // bounded number of them however many share the address.
    std::unordered_map<Identity, bool, IdentityHash> seen;
    std::vector<std::size_t> firstRows;
    for (auto k = first; k != last; ++k) {
        if (!std::exchange(seen[identityOf(at(k->index), k->index)], true)) {
            firstRows.push_back(k->index);
        }
    }
    if (firstRows.size() < 2) {
        return; // one device's own rows
    }
    for (auto k = first; k != last; ++k) {
        const Identity identity = identityOf(at(k->index), k->index);
        std::vector<std::size_t> others;
        for (std::size_t n = 0; n < firstRows.size() && others.size() < kMaxNamed; ++n) {
            if (identityOf(at(firstRows[n]), firstRows[n]) != identity) {
                others.push_back(firstRows[n]);
            }
        }
        const std::size_t unnamed = firstRows.size() - 1 - others.size();
        Conflict& c = m_conflicts[k->index];
        if (k->index < from && (c.others != others || c.unnamed != unnamed)) {
            changed.push_back(k->index);
        }
        c.others = std::move(others);
        c.unnamed = unnamed;
    }
}

const AddressConflicts::Conflict& AddressConflicts::of(std::size_t index) const {
    static const Conflict kNone;
    const auto it = m_conflicts.find(index);
    return it != m_conflicts.end() ? it->second : kNone;
}

std::vector<std::string> AddressConflicts::partiesFor(std::size_t index, const DeviceAt& at) const {
    std::vector<std::string> out;
    const Conflict& c = of(index);
    for (const std::size_t other : c.others) {
        out.emplace_back(labelOf(at(other)));
    }
    if (c.unnamed > 0) {
        std::string more = "+";
        more += std::to_string(c.unnamed);
        more += " more";
        out.push_back(std::move(more));
    }
    if (c.withPc) {
        out.emplace_back(kThisPc);
    }
    return out;
}

} // namespace ondrel
