#pragma once
// Devices packed one after another in large blocks: their texts side by side, their records
// without their padding, their adapters once for all the devices behind each. A DeviceList
// keeps its devices so, and the window's receive thread hands a burst over so, at about a third
// of what Device values take. Readers see a device through a DeviceView; whoever keeps one
// takes a Device copy.
//
// One thread at a time; the whole may move to another thread.

#include "core/Device.h"
#include "devices/DeviceView.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ondrel {

// A record without its padding: a mask of its four-byte words that are not zero, then those
// words. A record's fields are texts padded with zeros, so this takes a little over half of it;
// each record has exactly one packed form, so two packed forms are equal exactly when their
// records are.
class PackedRecord {
public:
    explicit PackedRecord(const WireRecord& record);
    std::string_view bytes() const { return {m_bytes.data(), m_size}; }
    static void unpack(std::string_view packed, WireRecord& record);

private:
    static constexpr std::size_t kWords = std::tuple_size_v<WireRecord> / 4;
    static_assert(kWords * 4 == std::tuple_size_v<WireRecord> && kWords <= 64);

    std::array<char, sizeof(uint64_t) + std::tuple_size_v<WireRecord>> m_bytes;
    std::size_t m_size = 0;
};

class PackedDevices {
public:
    PackedDevices();
    ~PackedDevices();
    PackedDevices(PackedDevices&&) noexcept;
    PackedDevices& operator=(PackedDevices&&) noexcept;

    // Appends device, or the index-th device of other; false, and nothing taken, when there is
    // no memory for it.
    bool push(const Device& device) { return push(device, PackedRecord(device.record)); }
    bool push(const Device& device, const PackedRecord& record);
    bool push(const PackedDevices& other, std::size_t index);

    std::size_t size() const { return m_entries.size(); }
    bool empty() const { return m_entries.empty(); }
    // The index-th device (index < size()): valid until the next change.
    DeviceView operator[](std::size_t index) const;
    Device device(std::size_t index) const;
    std::string_view record(std::size_t index) const;
    const AdapterRef& adapter(std::size_t index) const;

    // The device answered on adapter after all; false, and nothing changed, when there is no
    // memory for it.
    bool setAdapter(std::size_t index, const AdapterRef& adapter);
    // The device is now device (an accepted update, a camera joined or heard again); may throw
    // std::bad_alloc, changing nothing.
    void replace(std::size_t index, const Device& device);
    void clear();

private:
    // Keeps the details of the device at index, or drops them when nobody read any.
    void keepDetails(std::size_t index, const CameraDetails& details);

    struct Entry;
    class Arena;

    // The number of adapter, and room for one more entry of entrySize bytes; none when there is
    // no memory for them.
    std::optional<uint16_t> prepare(std::size_t entrySize, const AdapterRef& adapter);
    std::optional<uint16_t> adapterNumber(const AdapterRef& adapter);
    static std::size_t entrySize(const Device& device, const PackedRecord& record);
    // Writes the entry of device at `at`, which has room for entrySize bytes.
    Entry* pack(std::byte* at, const Device& device, const PackedRecord& record, uint16_t adapter);
    // Every entry packed afresh, without the bytes replace() left unused.
    void compact();

    std::unique_ptr<Arena> m_arena;
    std::vector<Entry*> m_entries;
    std::deque<AdapterRef> m_adapters;
    // A camera's details, by index, for the devices whose details were read: few of a list's
    // devices, and kept beside the arena because an entry holds no pointer.
    std::unordered_map<std::size_t, CameraDetails> m_details;
    std::size_t m_wasted = 0; // bytes of the arena that replace() left unused
};

} // namespace ondrel
