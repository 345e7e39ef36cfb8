#include "WireCheck.h"

#include "core/Mac.h"
#include "netinfo/NeighbourTable.h"

namespace ondrel {

std::optional<std::string> SystemNeighbours::linkAddressAt(uint32_t ifindex, Ipv4 address) {
    const NeighbourTable::Lookup one = NeighbourTable::find(ifindex, address);
    if (one.error.empty()) {
        return one.entry && !one.entry->linkAddress.empty() &&
                       neighbourHoldsAddress(one.entry->state)
                   ? std::optional<std::string>(one.entry->linkAddress)
                   : std::nullopt;
    }
    // A kernel that answers no single question: the whole table.
    const NeighbourReading table = NeighbourTable::read();
    for (const Neighbour& n : table.neighbours) {
        // A held entry names who answered; an unanswered resolution names nobody.
        if (n.ifindex == ifindex && n.address == address && !n.linkAddress.empty() &&
            neighbourHoldsAddress(n.state)) {
            return n.linkAddress;
        }
    }
    return std::nullopt;
}

std::string wireMismatch(const Device& camera, const CameraReach& reach,
                         NeighbourLookup& neighbours) {
    if (!reach.address || !camera.mac.value || reach.adapter.ifindex == 0) {
        return {};
    }
    const std::optional<std::string> held =
        neighbours.linkAddressAt(reach.adapter.ifindex, *reach.address);
    const std::optional<Mac> heldMac = held ? parseMac(*held) : std::nullopt;
    if (!held || heldMac == camera.mac.value) {
        return {};
    }
    return "another device answers at " + reach.address->text() + ": its MAC is " +
           (heldMac ? heldMac->text() : *held) + ", the camera's is " + camera.mac.value->text();
}

} // namespace ondrel
