#pragma once
// The addresses a plan must not hand out, known before anything is asked on the network: the
// PC's own, the gateways, and those the listed devices report, each with who holds it.

#include "core/Device.h"
#include "devices/AssignPlan.h"

#include <optional>
#include <unordered_map>
#include <vector>

namespace ondrel {

class TakenAddresses {
public:
    void addPcAdapters(const std::vector<AdapterRef>& adapters);
    void addGateway(Ipv4 address, std::string party);
    void addListed(const std::vector<Device>& listed);

    // Why the address is taken; a device is not in its own way: the address `self` reports
    // is not taken by `self` (known by its MAC, or a camera without one by its endpoint
    // reference), however many rows of the list it has.
    std::optional<SkippedAddress> find(Ipv4 address, const Device* self = nullptr) const;

private:
    struct Holder {
        SkipReason reason;
        std::string party;
        std::optional<Mac> mac;
        std::string endpoint;
    };
    static bool isSelf(const Holder& holder, const Device& self);
    std::unordered_map<uint32_t, std::vector<Holder>> m_holders;
};

} // namespace ondrel
