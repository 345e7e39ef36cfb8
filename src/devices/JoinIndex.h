#pragma once
// What a DeviceList looks up to keep a camera found by WS-Discovery one row: its endpoint
// reference, and the MACs and addresses of every row, by which a camera and a reply to our
// search are found to be one device. A list makes it when its first camera arrives, so that a
// list of our devices alone never pays for it.

#include "devices/DeviceView.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ondrel {

class JoinIndex {
public:
    using TimePoint = std::chrono::system_clock::time_point;

    // The row's keys as device has them; remove() takes the keys it was added with.
    void add(std::size_t row, const DeviceView& device);
    void remove(std::size_t row, const DeviceView& device);

    std::optional<std::size_t> endpointRow(std::string_view endpoint) const;
    // The rows with the MAC, in arrival order.
    std::vector<std::size_t> rowsWithMac(const Mac& mac) const;
    // Up to atMost rows that report the address on the adapter with that index, in no order:
    // a factory address can be thousands' at once, and a join asks only whether it is one's.
    std::vector<std::size_t> rowsAt(uint32_t ifindex, uint32_t address, std::size_t atMost) const;

    // Rows joined with a camera by a lone shared address, and the camera as it last answered:
    // what the row parts into when a further device reports the address.
    std::unordered_map<std::size_t, Device> joinedByAddress;
    // Rows whose camera said Bye, and when.
    std::unordered_map<std::size_t, TimePoint> left;

private:
    static void erase(std::unordered_multimap<uint64_t, std::size_t>& map, uint64_t key,
                      std::size_t row);

    std::unordered_map<std::string, std::size_t> m_endpoints;
    std::unordered_multimap<uint64_t, std::size_t> m_macs;      // by Mac::bits
    std::unordered_multimap<uint64_t, std::size_t> m_addresses; // by adapter index and address
};

} // namespace ondrel
