#pragma once
// The assign plan's last phase: the LAN asked which planned addresses a host answers for. A
// range plan passes over such an address; an explicit plan is refused with it.

#include "devices/PlanCheck.h"
#include "devices/TakenAddresses.h"

#include <string>
#include <vector>

namespace ondrel::planning {

struct GivenAddress {
    std::size_t device = 0; // into the range's chosen devices
    Ipv4 address;
    AddressCheck check = AddressCheck::Off;
};

struct GiveOut {
    std::vector<GivenAddress> given; // in the order of `waiting`
    std::vector<SkippedAddress> skipped;
    std::string probeError;
};

// The range's addresses upward from `first`, passing over the taken ones, for the devices
// waiting (indexes into request.chosen, in the order given). The prober may be null.
OrRefusal<GiveOut> giveOut(const RangeRequest& request, Ipv4 first, const Subnet& subnet,
                           const TakenAddresses& taken, const std::vector<std::size_t>& waiting,
                           AddressProber* prober);

// Asks about each row's address on its device's LAN (a kept address is not asked) and marks
// what was learnt; the first address a host answers for refuses the plan.
std::optional<PlanRefusal> probeRows(const std::vector<PlanRow>& rows,
                                     const std::vector<const Device*>& devices,
                                     AddressProber& prober, AssignPlan& plan);

} // namespace ondrel::planning
