#include "DeviceUrl.h"

namespace ondrel {

std::optional<std::string> deviceUrl(const Device& device) {
    const std::optional<Ipv4> address = device.ip.usable();
    if (!address) {
        return std::nullopt;
    }
    return "http://" + address->text() + ":" + std::to_string(device.httpPort);
}

std::optional<std::string> pageUrl(const Device& device) {
    const std::optional<Ipv4> address = device.ip.usable();
    if (!address || device.protocols != Protocols::Onvif) {
        return deviceUrl(device);
    }
    return "http://" + address->text() +
           (device.httpPort == 80 ? "" : ":" + std::to_string(device.httpPort)) + "/";
}

} // namespace ondrel
