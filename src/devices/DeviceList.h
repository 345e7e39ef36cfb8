#pragma once
// The devices that answered, in arrival order, owned by one thread (the window's or the
// CLI's main thread); nothing here locks.
//
// Two replies are one device when their records are equal byte for byte: a repeat adds
// nothing, except that a repeat from another (known) adapter moves the device there, since
// requests for it must now leave by that one. Two devices may share a MAC; index n is always
// the device that arrived n-th.
//
// Any host on the LAN can send replies, so the list holds at most kMaxDevices between two
// clears; replies of new devices beyond that are counted, never stored.

#include "core/Device.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ondrel {

class DeviceList {
public:
    static constexpr std::size_t kMaxDevices = 65536;

    enum class AddOutcome {
        Repeat,      // a listed device sent the same record, from the same adapter
        Relocated,   // a repeat from another adapter: the device now names that one
        Added,       // appended
        Full,        // kMaxDevices already: counted in overflow(), not stored
        OutOfMemory, // no memory for it: the list is unchanged
    };

    AddOutcome add(Device device);
    // Adds every reply of a batch in order; the devices appended are the last ones. Returns
    // whether any listed device moved to another adapter.
    bool addAll(std::vector<Device>&& replies);

    void clear();

    std::size_t size() const { return m_devices.size(); }
    bool empty() const { return m_devices.empty(); }
    const Device& operator[](std::size_t index) const { return m_devices[index]; }
    // The device that arrived index-th, or null past the last.
    const Device* at(std::size_t index) const {
        return index < m_devices.size() ? &m_devices[index] : nullptr;
    }
    // In arrival order. A deque, so that the list grows without moving what it holds: a burst
    // of thousands never needs the old and the new storage at once.
    const std::deque<Device>& devices() const { return m_devices; }

    // Replies of new devices ignored since the last clear because the list was full.
    std::size_t overflow() const { return m_overflow; }
    // Changes at every clear, so that an index kept across a clear is known to be stale.
    uint64_t generation() const { return m_generation; }

    // The first device in arrival order whose MAC text is exactly mac.
    std::optional<std::size_t> findMac(std::string_view mac) const;

    // The device at index accepted `sent`: it now holds those settings.
    void applyAccepted(std::size_t index, const NetworkSettings& sent);

private:
    static std::size_t hashOf(const WireRecord& record);
    void index(std::size_t at);
    void unindex(std::size_t at);

    std::deque<Device> m_devices;
    // Record hash -> index, so that a repeat is found without walking the list; a multimap
    // because an accepted update can make two records equal.
    std::unordered_multimap<std::size_t, std::size_t> m_byRecord;
    std::size_t m_overflow = 0;
    uint64_t m_generation = 0;
};

} // namespace ondrel
