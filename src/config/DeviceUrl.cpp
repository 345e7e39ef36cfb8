#include "DeviceUrl.h"

#include "discovery/Ipv4Text.h"

namespace ondrel {

std::optional<std::string> DeviceUrl(const DeviceInfo& record) {
    const std::optional<uint32_t> address = ParseIpv4(FieldText(record.IP));
    if (!address) {
        return std::nullopt;
    }
    return "http://" + FormatIpv4(*address) + ":" + std::to_string(record.HttpPort.get());
}

} // namespace ondrel
