#pragma once
// The assign plan's checks of what was typed or written in a plan row, and of the devices
// chosen: each returns the first refusal, so that nothing is sent for a plan with one.

#include "devices/AssignPlan.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace ondrel::planning {

template <typename T> using OrRefusal = std::variant<T, PlanRefusal>;

struct Subnet {
    uint32_t mask = 0;
    uint32_t network = 0;
    uint32_t broadcast = 0;

    bool isHost(Ipv4 a) const {
        return (a.bits & mask) == network && a.bits != network && a.bits != broadcast;
    }
};

// A device's address as typed: a usable host address, written as a person writes it.
std::optional<Ipv4> typedHost(std::string_view text);

// The subnet a mask makes around an address in it. row: the plan row it was written in.
OrRefusal<Subnet> subnetOf(std::optional<Ipv4> mask, Ipv4 address,
                           const std::optional<PlanPlace>& row);

// The values every device of the plan (or of the row) takes where given.
std::optional<PlanRefusal> checkShared(const std::string& gateway, const std::string& dns,
                                       const std::string& httpPort, const Subnet& subnet,
                                       const std::optional<PlanPlace>& row);

// Without a gateway given a device keeps its own, which must then be none or a host of its new
// subnet: a device set apart from its gateway answers its own subnet only.
bool gatewayFits(const Device& device, const Subnet& subnet);

// One refusal naming every device concerned (indexes into `devices`), the first in front.
refusal::GatewayOutsideSubnet gatewayRefusal(const std::vector<const Device*>& devices,
                                             const std::vector<std::size_t>& concerned);

// Refuses a set of devices the requests could not tell apart.
std::optional<PlanRefusal> checkDevices(const std::vector<const Device*>& devices,
                                        const std::vector<Route>& routes);

NetworkSettings settingsFor(const Device& device, Ipv4 address, const std::string& netMask,
                            const std::string& gateway, const std::string& dns,
                            const std::string& httpPort);

} // namespace ondrel::planning
