#pragma once
// The devices that answered, in arrival order, owned by one thread (the window's or the
// CLI's main thread); nothing here locks.
//
// Two replies are one device when their records are equal byte for byte: a repeat adds
// nothing, except that a repeat from another (known) adapter moves the device there, since
// requests for it must now leave by that one. Two devices may share a MAC; index n is always
// the device that arrived n-th.
//
// A camera found by WS-Discovery is one device per endpoint reference: its answers on two
// adapters, to two probes, or repeated, are one row, and a repeat from another adapter moves it
// as a reply moves ours. A camera that answers our search too is one row with it: when the two
// MACs are equal (case and separators aside) on one adapter, or, where the camera gave no MAC,
// when the two share an address on one adapter that no other device reports there. Such a row
// keeps our reply's fields and record (requests use them) and gains the camera's; it names
// both protocols. Either may arrive first. A join by address holds only while the address is
// theirs alone: a third device there parts them again (the camera takes a row of its own).
// A camera that said Bye keeps its row, marked as left until it answers again.
//
// Anyone can claim a camera's endpoint reference. A second host that does (its message comes
// from another address and advertises other addresses) leaves the row as it was, marked as
// claimed by both (Device::claims), since either may be the camera: the next search, in a list
// cleared for it, decides. A Hello never moves or changes a listed camera either; only an
// answer to our probe does. A camera we moved ourselves is looked for again in a list cleared
// by the search that verifies it, so its new address is no claim against its old one.
//
// Any host on the LAN can send replies and announcements, so the list holds at most
// kMaxDevices between two clears; new devices beyond that are counted, never stored.
//
// A search can list thousands, so the devices are kept packed (PackedDevices): readers see one
// through a DeviceView, and whoever keeps a device takes a Device copy.

#include "core/Device.h"
#include "devices/DeviceView.h"
#include "devices/JoinIndex.h"
#include "devices/PackedDevices.h"

#include <chrono>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace ondrel {

class DeviceList {
public:
    static constexpr std::size_t kMaxDevices = 65536;

    enum class AddOutcome {
        Repeat,      // a listed device sent the same record (a camera: the same match), from
                     // the same adapter
        Relocated,   // a repeat from another adapter: the device now names that one
        Added,       // appended
        Merged,      // joined a listed row of the other protocol, or refreshed a listed row, in
                     // place
        Full,        // kMaxDevices already: counted in overflow(), not stored
        OutOfMemory, // no memory for it: the list is unchanged
    };
    using TimePoint = std::chrono::system_clock::time_point;

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

    // A reply to our search.
    AddOutcome add(const Device& device);
    // Adds every reply of a batch in order; the devices appended are the last ones. Returns
    // whether a listed row changed in place (moved to another adapter, joined, parted).
    bool addAll(std::vector<Device>&& replies);
    bool addAll(const PackedDevices& replies);

    // A camera found by WS-Discovery (camera.protocols is Onvif, its endpoint not empty).
    AddOutcome addCamera(const Device& camera);
    // Adds every camera in order; true when a listed row changed in place (moved, joined,
    // refreshed, parted).
    bool addCameras(std::vector<Device>&& cameras);

    // A camera said Bye: its row (if listed) is marked as left at `at`, kept, never removed.
    // Returns its index.
    std::optional<std::size_t> markLeft(std::string_view endpoint, TimePoint at);
    // When the device at index said Bye; none once it answered again, and after clear().
    std::optional<TimePoint> leftAt(std::size_t index) const;
    // The row of the camera with this endpoint reference.
    std::optional<std::size_t> findEndpoint(std::string_view endpoint) const;

    void clear();

    std::size_t size() const { return m_devices.size(); }
    bool empty() const { return m_devices.empty(); }
    // The device that arrived index-th (index < size()), as it is kept: valid until the list
    // changes.
    DeviceView operator[](std::size_t index) const { return m_devices[index]; }
    // A copy of it, with its record: what a request to it, or anyone who keeps it, needs.
    Device device(std::size_t index) const { return m_devices.device(index); }
    // Every device, in the order they arrived.
    Devices all() const { return Devices(*this); }

    // Replies of new devices ignored since the last clear because the list was full.
    std::size_t overflow() const { return m_overflow; }
    // Changes at every clear, so that an index kept across a clear is known to be stale.
    uint64_t generation() const { return m_generation; }

    // The first device in arrival order with the MAC, however it spelled it.
    std::optional<std::size_t> findMac(const Mac& mac) const;

    // The device at index is now `read`, a copy of it with its details (and, for a camera found
    // by WS-Discovery alone, its network settings) read from its device service; its record and
    // identity are the listed ones. False, and nothing changed, off the list or without memory.
    bool takeDetails(std::size_t index, const Device& read);

    // The device at index accepted `sent`: it now holds those settings.
    void applyAccepted(std::size_t index, const NetworkSettings& sent);

private:
    // Adds the reply whose record packs to record and that arrived on adapter; reply() gives it
    // as a Device; take() appends it when it is new, false when there is no memory for it.
    template <typename Reply, typename Take>
    AddOutcome add(std::string_view record, const AdapterRef& adapter, Reply reply, Take take);
    // Room in the record index for one more device; false when there is no memory for it.
    bool reserveIndex();

    // A row the other protocol's answer joins, and whether by a lone shared address.
    struct Join {
        std::size_t row;
        bool byAddress;
    };
    std::optional<Join> cameraToJoin(const DeviceView& reply) const;
    std::optional<Join> replyToJoin(const Device& camera) const;
    AddOutcome joinReply(const Join& join, const Device& reply);
    AddOutcome joinCamera(const Join& join, const Device& camera);
    // At most this many hosts are named as claiming one camera.
    static constexpr std::size_t kMaxClaimants = 8;
    // The camera's row when it is listed: refreshed, moved, claimed, or repeated.
    AddOutcome addListedCamera(std::size_t at, const Device& camera);
    // Names claimant beside the hosts that claim the row already.
    AddOutcome addClaim(std::size_t at, const Device& listed, const std::string& claimant);
    // Gives the camera joined to row by address a row of its own again; false when the list has
    // no room for it.
    bool part(std::size_t row);
    // Parts every row joined by address at ip on adapter but except: a further device is there.
    void partAt(const AdapterRef& adapter, std::optional<Ipv4> ip, std::size_t except);
    // The row at index is replaced by device, or answered on adapter now; the look-ups follow.
    void replaceRow(std::size_t at, const Device& device);
    bool moveRow(std::size_t at, const AdapterRef& adapter);
    void indexForCameras(std::size_t at);
    void unindexForCameras(std::size_t at);
    // Whether the row had said Bye (it has answered again now).
    bool clearLeft(std::size_t at);
    // Record -> index, open addressed; several indexes under one record when an accepted update
    // made two records equal. A slot keeps its record's hash, so that a look-up reads a device
    // only when the hash is its own, and the index grows without reading any.
    struct Slot {
        uint32_t hash = 0;
        uint32_t at = 0; // index + 1; 0: free
    };
    template <typename Visit> void forEachSameRecord(std::string_view record, Visit visit) const;
    void index(std::size_t at, uint32_t hash);
    void reindex(std::size_t slots);

    PackedDevices m_devices;
    std::vector<Slot> m_index;
    std::size_t m_overflow = 0;
    uint64_t m_generation = 0;
    // What joining the two protocols needs; made when the first camera arrives, so that a list
    // of our devices alone costs nothing for it.
    std::unique_ptr<JoinIndex> m_joins;
    bool m_changedInPlace = false; // since addAll or addCameras began
};

} // namespace ondrel
