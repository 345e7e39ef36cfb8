#pragma once
// Which listed devices share an address with another device on the same LAN, or with the PC
// itself: the usual state of a new site (every camera out of the box at one factory address)
// and the cause of "the browser shows the wrong camera".
//
// A LAN is an adapter of the PC: the same address behind two adapters is two separate
// networks, not a conflict. The rows of one device (two replies under one MAC) never conflict
// with each other, and a device that reports no usable address (empty, odd, 0.0.0.0)
// conflicts with nothing.

#include "core/Device.h"
#include "netinfo/NetLinks.h"

#include <cstddef>
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
    // list that can be indexed will do (a DeviceList's deque, the CLI's vector).
    using DeviceAt = std::function<const Device&(std::size_t)>;

    // Looks at every device afresh; linear in the number of devices.
    template <typename Devices> void compute(const Devices& devices, const NetLinks& pcAdapters) {
        computeFor(
            devices.size(), [&devices](std::size_t i) -> const Device& { return devices[i]; },
            pcAdapters);
    }
    void computeFor(std::size_t count, const DeviceAt& at, const NetLinks& pcAdapters);

    // The conflict of the device at index; none past the last.
    const Conflict& of(std::size_t index) const;
    std::size_t count() const { return m_conflicted; }

    // The parties as the CLI prints them: the other devices' MACs, then "+N more" when some
    // were not named, then "this PC".
    template <typename Devices>
    std::vector<std::string> parties(std::size_t index, const Devices& devices) const {
        return partiesFor(index, [&devices](std::size_t i) -> const Device& { return devices[i]; });
    }
    std::vector<std::string> partiesFor(std::size_t index, const DeviceAt& at) const;

private:
    void nameOthers(const std::vector<std::size_t>& sharing, const DeviceAt& at);

    // Only the devices that conflict: on most sites, none or a few of thousands.
    std::unordered_map<std::size_t, Conflict> m_conflicts;
    std::size_t m_conflicted = 0;
};

inline constexpr const char* kThisPc = "this PC";

} // namespace ondrel
