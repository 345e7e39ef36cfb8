#include "WireCheck.h"

#include "netinfo/NeighbourTable.h"
#include "onvif/WsDiscovery.h"

namespace ondrel {

std::optional<std::string> SystemNeighbours::linkAddressAt(uint32_t ifindex, Ipv4 address) {
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
    if (!reach.address || camera.mac.empty() || reach.adapter.ifindex == 0) {
        return {};
    }
    const std::optional<std::string> held =
        neighbours.linkAddressAt(reach.adapter.ifindex, *reach.address);
    if (!held || sameMac(*held, camera.mac)) {
        return {};
    }
    const auto written = [](const std::string& mac) {
        return wsd::normalisedMac(mac).value_or(mac);
    };
    return "another device answers at " + reach.address->text() + ": its MAC is " + written(*held) +
           ", the camera's is " + written(camera.mac);
}

} // namespace ondrel
