#include "CameraUpdate.h"

#include "wsd/WsDiscovery.h"

#include <exception>
#include <new>

namespace ondrel {

namespace {

// Whatever a camera's answers make throw (an allocation they made fail) ends that camera's
// calls with a reason; the batch goes on with the next camera.
std::string thrownWords(const std::exception& e) {
    if (dynamic_cast<const std::bad_alloc*>(&e) != nullptr) {
        return "out of memory during the camera's calls";
    }
    return std::string("the camera's calls failed: ") + e.what();
}

} // namespace

onvif::NetworkPlan networkPlanFor(const Device& device, const NetworkSettings& settings) {
    onvif::NetworkPlan plan;
    plan.mac = device.mac.value;
    plan.endpoint = device.endpoint;
    if (settings.mode == AddressMode::Static) {
        const Ipv4 ip = parseIpv4(settings.ip).value_or(Ipv4{});
        const Ipv4 mask = parseIpv4(settings.netMask).value_or(Ipv4{});
        plan.address.manual = onvif::Ipv4Prefix{ip, maskPrefix(mask)};
    }
    plan.gateway = parseIpv4(settings.gateway);
    if (const std::optional<Ipv4> dns = parseIpv4(settings.dns0)) {
        plan.dns = std::vector<Ipv4>{*dns};
    }
    plan.currentHttpPort = device.httpPort != 0 ? device.httpPort : plan.currentHttpPort;
    if (settings.httpPort != 0) {
        plan.httpPort = settings.httpPort;
    }
    return plan;
}

std::optional<Ipv4> plannedAddress(const onvif::NetworkPlan& plan) {
    return plan.address.manual ? std::optional(plan.address.manual->address) : std::nullopt;
}

bool isSameCameraAt(const Device& camera, std::optional<Ipv4> planned, const Device& candidate) {
    if (!hasProtocol(candidate.protocols, Protocols::Onvif) || candidate.serviceUrl.empty()) {
        return false;
    }
    if (planned && candidate.ip.value != planned) {
        return false;
    }
    // A camera's MAC is its identity wherever both tell one; its endpoint reference otherwise,
    // never a MAC guessed from it.
    if (camera.mac.value && candidate.mac.value) {
        return camera.mac.value == candidate.mac.value;
    }
    return !camera.endpoint.empty() && candidate.endpoint == camera.endpoint;
}

CameraUpdate::CameraUpdate(onvif::HttpTransport& transport, const Credentials& account,
                           onvif::HttpTimeouts timeouts, NeighbourLookup* neighbours)
    : m_transport(transport), m_account(account), m_timeouts(timeouts), m_neighbours(neighbours) {}

onvif::AccountGate CameraUpdate::gateFor(const Device& camera, const CameraReach& reach) {
    if (m_neighbours == nullptr) {
        return {};
    }
    return [this, &camera, &reach] { return wireMismatch(camera, reach, *m_neighbours); };
}

onvif::ChangeResult CameraUpdate::change(const Device& camera, const CameraReach& reach,
                                         const onvif::NetworkPlan& plan) {
    if (reach.sharing != 0) {
        return {onvif::ChangeOutcome::Unreachable, reach.unreachable, false};
    }
    // The rule is asked again for the very URL about to be called, whoever chose it.
    const CameraReach allowed = reach.reachable() ? accountReach(camera, reach.url) : reach;
    if (!allowed.reachable()) {
        return {onvif::ChangeOutcome::Failed, allowed.unreachable, false};
    }
    try {
        onvif::DeviceService service(m_transport, {allowed.url, allowed.adapter.name, m_timeouts},
                                     m_account);
        const onvif::ChangeResult result =
            onvif::applyNetworkPlan(service, plan, gateFor(camera, allowed));
        m_clockOffsets[identityKey(camera)] = service.clockOffset();
        return result;
    } catch (const std::exception& e) {
        return {onvif::ChangeOutcome::Failed, thrownWords(e), false};
    }
}

onvif::Verification CameraUpdate::readBack(const Device& camera, const Device& found,
                                           const onvif::NetworkPlan& plan) {
    // Where the camera was found again: its identity was matched, its host is checked here.
    const CameraReach reach = accountReach(found, found.serviceUrl);
    if (!reach.reachable()) {
        return {false, reach.unreachable};
    }
    // The wire is checked against the MAC known before the change: the found camera's own word
    // is what is in doubt.
    Device known = found;
    known.mac = camera.mac.value ? camera.mac : found.mac;
    try {
        onvif::DeviceService service(m_transport,
                                     {found.serviceUrl, reach.adapter.name, m_timeouts}, m_account);
        if (const auto offset = m_clockOffsets.find(identityKey(camera));
            offset != m_clockOffsets.end()) {
            service.setClockOffset(offset->second);
        }
        return onvif::verifyNetworkPlan(service, plan, gateFor(known, reach));
    } catch (const std::exception& e) {
        return {false, thrownWords(e)};
    }
}

} // namespace ondrel
