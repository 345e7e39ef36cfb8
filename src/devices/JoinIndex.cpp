#include "JoinIndex.h"

#include <algorithm>

namespace ondrel {

namespace {

uint64_t addressKey(uint32_t ifindex, uint32_t address) {
    return uint64_t{ifindex} << 32 | address;
}

} // namespace

void JoinIndex::add(std::size_t row, const DeviceView& device) {
    if (!device.endpoint.empty()) {
        m_endpoints[std::string(device.endpoint)] = row;
    }
    if (device.mac.value) {
        m_macs.emplace(device.mac.value->bits, row);
    }
    if (device.ip.value) {
        m_addresses.emplace(addressKey(device.adapter->ifindex, device.ip.value->bits), row);
    }
}

void JoinIndex::remove(std::size_t row, const DeviceView& device) {
    if (const auto it = m_endpoints.find(std::string(device.endpoint));
        it != m_endpoints.end() && it->second == row) {
        m_endpoints.erase(it);
    }
    if (device.mac.value) {
        erase(m_macs, device.mac.value->bits, row);
    }
    if (device.ip.value) {
        erase(m_addresses, addressKey(device.adapter->ifindex, device.ip.value->bits), row);
    }
}

std::optional<std::size_t> JoinIndex::endpointRow(std::string_view endpoint) const {
    const auto it = m_endpoints.find(std::string(endpoint));
    return it != m_endpoints.end() ? std::optional(it->second) : std::nullopt;
}

std::vector<std::size_t> JoinIndex::rowsWithMac(const Mac& mac) const {
    std::vector<std::size_t> rows;
    const auto [first, last] = m_macs.equal_range(mac.bits);
    for (auto it = first; it != last; ++it) {
        rows.push_back(it->second);
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

std::vector<std::size_t> JoinIndex::rowsAt(uint32_t ifindex, uint32_t address,
                                           std::size_t atMost) const {
    // Equal keys lie side by side: walking from the first stops after atMost, however many
    // share it.
    std::vector<std::size_t> rows;
    const uint64_t key = addressKey(ifindex, address);
    for (auto it = m_addresses.find(key);
         it != m_addresses.end() && it->first == key && rows.size() < atMost; ++it) {
        rows.push_back(it->second);
    }
    return rows;
}

void JoinIndex::erase(std::unordered_multimap<uint64_t, std::size_t>& map, uint64_t key,
                      std::size_t row) {
    const auto [first, last] = map.equal_range(key);
    for (auto it = first; it != last; ++it) {
        if (it->second == row) {
            map.erase(it);
            return;
        }
    }
}

} // namespace ondrel
