#pragma once
// Which listed devices share an address with another device on the same LAN, or with the PC
// itself: the usual state of a new site (every camera out of the box at one factory address)
// and the cause of "the browser shows the wrong camera".
//
// A LAN is an adapter of the PC: the same address behind two adapters is two separate
// networks, not a conflict. Devices of both protocols count alike. The rows of one device (two
// replies under one MAC, a camera's under its endpoint reference where it gave no MAC) never
// conflict with each other, a row that joins both protocols is one device, and a device that
// reports no usable address (empty, odd, 0.0.0.0) conflicts with nothing.

#include "core/Device.h"
#include "devices/DeviceView.h"
#include "netinfo/NetLinks.h"

#include <compare>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

namespace ondrel {

class AddressConflicts {
public:
    // A hostile or merely crowded LAN can put thousands of devices at one address; naming every
    // other one for each would cost the square of their number. Each names the first few.
    static constexpr std::size_t kMaxNamed = 16;

    struct Conflict {
        std::vector<std::size_t>
            others;              // other devices' indexes, in arrival order, kMaxNamed at most
        std::size_t unnamed = 0; // further rows of other devices at the address
        bool withPc = false;     // the address is one of its adapter's own
        bool any() const { return withPc || !others.empty(); }
        bool operator==(const Conflict&) const = default;
    };

    // The devices of a list, by index; what compute and parties read them through, so that any
    // list that can be indexed will do (a DeviceList, the CLI's vector).
    using DeviceAt = std::function<DeviceView(std::size_t)>;

    // Looks at every device afresh.
    template <typename Devices> void compute(const Devices& devices, const NetLinks& pcAdapters) {
        computeFor(devices.size(), atOf(devices), pcAdapters);
    }
    void computeFor(std::size_t count, const DeviceAt& at, const NetLinks& pcAdapters);

    // Looks at the devices past those looked at so far, which must be as they were: a list that
    // grows costs the new devices and the addresses they share, not the whole list again.
    // Returns the devices looked at before whose conflict changed, in index order.
    template <typename Devices>
    std::vector<std::size_t> add(const Devices& devices, const NetLinks& pcAdapters) {
        return addFor(devices.size(), atOf(devices), pcAdapters);
    }
    std::vector<std::size_t> addFor(std::size_t count, const DeviceAt& at,
                                    const NetLinks& pcAdapters);

    // The conflict of the device at index; none past the last.
    const Conflict& of(std::size_t index) const;
    std::size_t count() const { return m_conflicts.size(); }

    // The parties as the CLI prints them: the other devices' MACs (a camera's endpoint
    // reference where it gave none), then "+N more" when some were not named, then "this PC".
    template <typename Devices>
    std::vector<std::string> parties(std::size_t index, const Devices& devices) const {
        return partiesFor(index, atOf(devices));
    }
    std::vector<std::string> partiesFor(std::size_t index, const DeviceAt& at) const;

private:
    // A device with an address on a LAN; LANs are numbered by their names as met.
    struct Key {
        uint32_t lan;
        uint32_t ip;
        std::size_t index;
        auto operator<=>(const Key&) const = default;
    };

    template <typename Devices> static DeviceAt atOf(const Devices& devices) {
        return [&devices](std::size_t i) -> DeviceView { return devices[i]; };
    }
    // Names the others for each device of the run [first, last) of one address; those before
    // `from` whose conflict changed go to changed.
    void nameOthers(std::vector<Key>::const_iterator first, std::vector<Key>::const_iterator last,
                    const DeviceAt& at, std::size_t from, std::vector<std::size_t>& changed);

    // Every device looked at that has an address on a known LAN, by LAN, address and arrival:
    // the devices that share an address are one run of it.
    std::vector<Key> m_keys;
    std::vector<std::string> m_lans;
    std::size_t m_size = 0;
    // Only the devices that conflict: on most sites, none or a few of thousands.
    std::unordered_map<std::size_t, Conflict> m_conflicts;
};

inline constexpr const char* kThisPc = "this PC";

} // namespace ondrel
