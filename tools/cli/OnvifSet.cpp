#include "OnvifSet.h"

#include "flows/CameraUpdate.h"

namespace ondrel::cli {

onvif::NetworkPlan onvifPlan(const Device& device, const NetworkSettings& settings,
                             const CliOptions& o) {
    onvif::NetworkPlan plan = networkPlanFor(device, settings);
    // Only what the command line gave: the settings carry the device's own values, which a
    // camera found by WS-Discovery never told.
    plan.gateway = o.gateway;
    plan.dns = o.dns ? std::optional<std::vector<Ipv4>>(std::vector<Ipv4>{*o.dns}) : std::nullopt;
    plan.httpPort = o.port;
    return plan;
}

} // namespace ondrel::cli
