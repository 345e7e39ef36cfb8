#include "CameraChange.h"

#include "devices/CameraRoute.h"

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
    plan.mac = device.mac;
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

CameraChanger::CameraChanger(onvif::HttpTransport& transport, const onvif::Account& account,
                             onvif::HttpTimeouts timeouts)
    : m_transport(transport), m_account(account), m_timeouts(timeouts) {}

onvif::ChangeResult CameraChanger::change(const Device& camera, const std::string& url,
                                          const onvif::NetworkPlan& plan) {
    try {
        onvif::DeviceService service(m_transport, {url, camera.adapter.name, m_timeouts},
                                     m_account);
        const onvif::ChangeResult result = onvif::applyNetworkPlan(service, plan);
        m_clockOffsets[identityKey(camera)] = service.clockOffset();
        return result;
    } catch (const std::exception& e) {
        return {onvif::ChangeOutcome::Failed, thrownWords(e), false};
    }
}

onvif::Verification CameraChanger::readBack(const Device& camera, const Device& found,
                                            const onvif::NetworkPlan& plan) {
    try {
        onvif::DeviceService service(m_transport,
                                     {found.serviceUrl, found.adapter.name, m_timeouts}, m_account);
        if (const auto offset = m_clockOffsets.find(identityKey(camera));
            offset != m_clockOffsets.end()) {
            service.setClockOffset(offset->second);
        }
        return onvif::verifyNetworkPlan(service, plan);
    } catch (const std::exception& e) {
        return {false, thrownWords(e)};
    }
}

} // namespace ondrel
