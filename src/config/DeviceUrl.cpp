#include "DeviceUrl.h"

#include "core/Ipv4.h"

namespace ondrel {

std::optional<std::string> DeviceUrl(const DeviceInfo& record) {
    const std::optional<Ipv4> address = parseIpv4(FieldText(record.IP));
    if (!address) {
        return std::nullopt;
    }
    return "http://" + formatIpv4(*address) + ":" + std::to_string(record.HttpPort.get());
}

} // namespace ondrel
