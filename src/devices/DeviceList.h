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
//
// A search can list thousands, so the devices are kept packed (PackedDevices): readers see one
// through a DeviceView, and whoever keeps a device takes a Device copy.

#include "core/Device.h"
#include "devices/DeviceView.h"
#include "devices/PackedDevices.h"

#include <compare>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string_view>
#include <utility>
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

    // Every device in arrival order, each as a Device copy.
    class Devices {
    public:
        class Iterator {
        public:
            using iterator_category = std::input_iterator_tag;
            using iterator_concept = std::random_access_iterator_tag;
            using value_type = Device;
            using reference = Device;
            using difference_type = std::ptrdiff_t;

            Iterator() = default;
            Iterator(const DeviceList* list, std::size_t at) : m_list(list), m_at(at) {}
            Device operator*() const { return m_list->device(m_at); }
            Device operator[](difference_type n) const { return *(*this + n); }
            Iterator& operator++() { return *this += 1; }
            Iterator operator++(int) { return std::exchange(*this, *this + 1); }
            Iterator& operator--() { return *this += -1; }
            Iterator operator--(int) { return std::exchange(*this, *this - 1); }
            Iterator& operator+=(difference_type n) {
                m_at = static_cast<std::size_t>(static_cast<difference_type>(m_at) + n);
                return *this;
            }
            Iterator& operator-=(difference_type n) { return *this += -n; }
            friend Iterator operator+(Iterator i, difference_type n) { return i += n; }
            friend Iterator operator+(difference_type n, Iterator i) { return i += n; }
            friend Iterator operator-(Iterator i, difference_type n) { return i -= n; }
            friend difference_type operator-(const Iterator& a, const Iterator& b) {
                return static_cast<difference_type>(a.m_at) - static_cast<difference_type>(b.m_at);
            }
            friend bool operator==(const Iterator& a, const Iterator& b) {
                return a.m_at == b.m_at;
            }
            friend auto operator<=>(const Iterator& a, const Iterator& b) {
                return a.m_at <=> b.m_at;
            }

        private:
            const DeviceList* m_list = nullptr;
            std::size_t m_at = 0;
        };

        explicit Devices(const DeviceList& list) : m_list(&list) {}
        Iterator begin() const { return {m_list, 0}; }
        Iterator end() const { return {m_list, m_list->size()}; }
        std::size_t size() const { return m_list->size(); }

    private:
        const DeviceList* m_list;
    };

    AddOutcome add(const Device& device);
    // Adds every reply of a batch in order; the devices appended are the last ones. Returns
    // whether any listed device moved to another adapter.
    bool addAll(std::vector<Device>&& replies);
    bool addAll(const PackedDevices& replies);

    void clear();

    std::size_t size() const { return m_devices.size(); }
    bool empty() const { return m_devices.empty(); }
    // The device that arrived index-th (index < size()), as it is kept: valid until the list
    // changes.
    DeviceView operator[](std::size_t index) const { return m_devices[index]; }
    // A copy of it, with its record: what a request to it, or anyone who keeps it, needs.
    Device device(std::size_t index) const { return m_devices.device(index); }
    Devices devices() const { return Devices(*this); }

    // Replies of new devices ignored since the last clear because the list was full.
    std::size_t overflow() const { return m_overflow; }
    // Changes at every clear, so that an index kept across a clear is known to be stale.
    uint64_t generation() const { return m_generation; }

    // The first device in arrival order whose MAC text is exactly mac.
    std::optional<std::size_t> findMac(std::string_view mac) const;

    // The device at index accepted `sent`: it now holds those settings.
    void applyAccepted(std::size_t index, const NetworkSettings& sent);

private:
    // Adds the reply whose record packs to record and that arrived on adapter; take() appends
    // it when it is new, false when there is no memory for it.
    template <typename Take>
    AddOutcome add(std::string_view record, const AdapterRef& adapter, Take take);
    // Record -> index, open addressed; several indexes under one record when an accepted update
    // made two records equal.
    template <typename Visit> void forEachSameRecord(std::string_view record, Visit visit) const;
    void index(std::size_t at);
    void reindex(std::size_t slots);

    PackedDevices m_devices;
    std::vector<uint32_t> m_index; // index + 1 per slot; 0: free
    std::size_t m_overflow = 0;
    uint64_t m_generation = 0;
};

} // namespace ondrel
