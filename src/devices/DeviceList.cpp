#include "DeviceList.h"

#include "discovery/DeviceRecord.h"

#include <functional>
#include <new>
#include <string_view>

namespace ondrel {

std::size_t DeviceList::hashOf(const WireRecord& record) {
    return std::hash<std::string_view>{}(
        std::string_view(reinterpret_cast<const char*>(record.data()), record.size()));
}

void DeviceList::index(std::size_t at) {
    m_byRecord.emplace(hashOf(m_devices[at].record), at);
}

void DeviceList::unindex(std::size_t at) {
    const auto [first, last] = m_byRecord.equal_range(hashOf(m_devices[at].record));
    for (auto it = first; it != last; ++it) {
        if (it->second == at) {
            m_byRecord.erase(it);
            return;
        }
    }
}

DeviceList::AddOutcome DeviceList::add(Device device) {
    const auto [first, last] = m_byRecord.equal_range(hashOf(device.record));
    bool repeat = false;
    bool moved = false;
    for (auto it = first; it != last; ++it) {
        Device& listed = m_devices[it->second];
        if (listed.record != device.record) {
            continue; // a hash collision, not a repeat
        }
        repeat = true;
        // A reply that names no adapter (fed in by hand) never hides the known one.
        if (device.adapter.Known() && !(listed.adapter == device.adapter)) {
            listed.adapter = device.adapter;
            moved = true;
        }
    }
    if (repeat) {
        return moved ? AddOutcome::Relocated : AddOutcome::Repeat;
    }
    if (m_devices.size() >= kMaxDevices) {
        ++m_overflow;
        return AddOutcome::Full;
    }
    // The list and its index take the device together or not at all.
    try {
        m_devices.push_back(std::move(device));
        try {
            index(m_devices.size() - 1);
        } catch (const std::bad_alloc&) {
            m_devices.pop_back();
            throw;
        }
    } catch (const std::bad_alloc&) {
        return AddOutcome::OutOfMemory;
    }
    return AddOutcome::Added;
}

bool DeviceList::addAll(std::vector<Device>&& replies) {
    bool moved = false;
    for (Device& reply : replies) {
        moved = add(std::move(reply)) == AddOutcome::Relocated || moved;
    }
    return moved;
}

void DeviceList::clear() {
    m_devices.clear();
    m_byRecord.clear();
    m_overflow = 0;
    ++m_generation;
}

std::optional<std::size_t> DeviceList::findMac(std::string_view mac) const {
    for (std::size_t i = 0; i < m_devices.size(); ++i) {
        if (m_devices[i].mac == mac) {
            return i;
        }
    }
    return std::nullopt;
}

void DeviceList::applyAccepted(std::size_t at, const NetworkSettings& sent) {
    if (at >= m_devices.size()) {
        return;
    }
    unindex(at);
    applyAcceptedSettings(m_devices[at], sent);
    index(at);
}

} // namespace ondrel
