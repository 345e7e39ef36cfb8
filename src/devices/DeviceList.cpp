#include "DeviceList.h"

#include "discovery/DeviceRecord.h"

#include <algorithm>
#include <functional>
#include <new>

namespace ondrel {

namespace {

uint32_t hashOf(std::string_view packedRecord) {
    return static_cast<uint32_t>(std::hash<std::string_view>{}(packedRecord));
}

} // namespace

template <typename Visit>
void DeviceList::forEachSameRecord(std::string_view record, Visit visit) const {
    if (m_index.empty()) {
        return;
    }
    const uint32_t hash = hashOf(record);
    const std::size_t mask = m_index.size() - 1;
    for (std::size_t slot = hash & mask; m_index[slot].at != 0; slot = (slot + 1) & mask) {
        const std::size_t at = m_index[slot].at - 1;
        if (m_index[slot].hash == hash && m_devices.record(at) == record) {
            visit(at);
        }
    }
}

void DeviceList::index(std::size_t at, uint32_t hash) {
    const std::size_t mask = m_index.size() - 1;
    std::size_t slot = hash & mask;
    while (m_index[slot].at != 0) {
        slot = (slot + 1) & mask;
    }
    m_index[slot] = {hash, static_cast<uint32_t>(at + 1)};
}

void DeviceList::reindex(std::size_t slots) {
    std::vector<Slot> old(slots);
    m_index.swap(old);
    for (const Slot& s : old) {
        if (s.at != 0) {
            index(s.at - 1, s.hash);
        }
    }
}

template <typename Take>
DeviceList::AddOutcome DeviceList::add(std::string_view record, const AdapterRef& adapter,
                                       Take take) {
    bool repeat = false;
    bool moved = false;
    forEachSameRecord(record, [&](std::size_t at) {
        repeat = true;
        // A reply that names no adapter (fed in by hand) never hides the known one.
        if (adapter.known() && !(m_devices.adapter(at) == adapter) &&
            m_devices.setAdapter(at, adapter)) {
            moved = true;
        }
    });
    if (repeat) {
        return moved ? AddOutcome::Relocated : AddOutcome::Repeat;
    }
    if (size() >= kMaxDevices) {
        ++m_overflow;
        return AddOutcome::Full;
    }
    // Room in the index first, so that the list takes the device whole or not at all. Never
    // more than half full, so that a look-up meets a free slot soon.
    try {
        if (2 * (size() + 1) > m_index.size()) {
            reindex(std::max<std::size_t>(64, 2 * m_index.size()));
        }
    } catch (const std::bad_alloc&) {
        return AddOutcome::OutOfMemory;
    }
    if (!take()) {
        return AddOutcome::OutOfMemory;
    }
    index(size() - 1, hashOf(record));
    return AddOutcome::Added;
}

DeviceList::AddOutcome DeviceList::add(const Device& device) {
    const PackedRecord record(device.record);
    return add(record.bytes(), device.adapter, [&] { return m_devices.push(device, record); });
}

bool DeviceList::addAll(std::vector<Device>&& replies) {
    bool moved = false;
    for (const Device& reply : replies) {
        moved = add(reply) == AddOutcome::Relocated || moved;
    }
    return moved;
}

bool DeviceList::addAll(const PackedDevices& replies) {
    bool moved = false;
    for (std::size_t i = 0; i < replies.size(); ++i) {
        moved = add(replies.record(i), replies.adapter(i),
                    [&] { return m_devices.push(replies, i); }) == AddOutcome::Relocated ||
                moved;
    }
    return moved;
}

void DeviceList::clear() {
    m_devices.clear();
    m_index = {};
    m_overflow = 0;
    ++m_generation;
}

std::optional<std::size_t> DeviceList::findMac(std::string_view mac) const {
    for (std::size_t i = 0; i < size(); ++i) {
        if (m_devices[i].mac == mac) {
            return i;
        }
    }
    return std::nullopt;
}

void DeviceList::applyAccepted(std::size_t at, const NetworkSettings& sent) {
    if (at >= size()) {
        return;
    }
    Device device = this->device(at);
    applyAcceptedSettings(device, sent);
    m_devices.replace(at, device);
    // Its record changed: the index is made anew from every record.
    std::fill(m_index.begin(), m_index.end(), Slot{});
    for (std::size_t i = 0; i < size(); ++i) {
        index(i, hashOf(m_devices.record(i)));
    }
}

} // namespace ondrel
