#include "OnvifSet.h"

#include "InputRules.h"

namespace ondrel::cli {

onvif::NetworkPlan onvifPlan(const Device& device, const NetworkSettings& settings,
                             const CliOptions& o) {
    onvif::NetworkPlan plan;
    plan.mac = device.mac;
    plan.endpoint = device.endpoint;
    if (settings.mode == AddressMode::Static) {
        const Ipv4 ip = parseIPv4(settings.ip).value_or(Ipv4{});
        const Ipv4 mask = parseIPv4(settings.netMask).value_or(Ipv4{});
        plan.address.manual = onvif::Ipv4Prefix{ip, maskPrefix(mask)};
    }
    plan.gateway = o.gateway;
    if (o.dns) {
        plan.dns = std::vector<Ipv4>{*o.dns};
    }
    plan.httpPort = o.port;
    plan.currentHttpPort = device.httpPort != 0 ? device.httpPort : plan.currentHttpPort;
    return plan;
}

} // namespace ondrel::cli
