#include "flows/CameraCalls.h"

namespace ondrel {

CameraCalls::CameraCalls(const Credentials& credentials) : m_account(credentials) {}

CameraCalls::~CameraCalls() {
    // The update holds the account by reference: it goes first.
    m_update.reset();
}

CameraUpdate& CameraCalls::over(onvif::HttpTransport& transport) {
    if (!m_update || m_transport != &transport) {
        m_update.emplace(transport, m_account, onvif::HttpTimeouts{}, &m_neighbours);
        m_transport = &transport;
    }
    return *m_update;
}

std::string cameraPlanProblem(const NetworkSettings& settings) {
    if (settings.mode == AddressMode::Dhcp) {
        return {};
    }
    const std::optional<Ipv4> mask = parseIpv4(settings.netMask);
    if (!mask || !isMask(*mask)) {
        return "the net mask " + settings.netMask + " is no mask; nothing was sent";
    }
    const std::optional<Ipv4> ip = parseIpv4(settings.ip);
    if (!ip || !ip->isUsableHost()) {
        return "the address " + settings.ip + " is no address; nothing was sent";
    }
    return {};
}

onvif::NetworkPlan cameraPlan(const Device& device, const NetworkSettings& settings) {
    onvif::NetworkPlan plan = networkPlanFor(device, settings);
    if (plan.gateway && plan.gateway->isUnspecified()) {
        plan.gateway.reset();
    }
    if (plan.dns && plan.dns->front().isUnspecified()) {
        plan.dns.reset();
    }
    return plan;
}

} // namespace ondrel
