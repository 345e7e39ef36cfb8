#include "AdapterRef.h"

#include "Ipv4Text.h"

namespace ondrel {

bool AdapterRef::Contains(uint32_t deviceIp) const {
    return HasAddress() && Ipv4Net{address, prefixLength}.Contains(deviceIp);
}

bool AdapterRef::Contains(std::string_view deviceIp) const {
    const std::optional<uint32_t> ip = ParseIpv4(deviceIp);
    return ip && Contains(*ip);
}

std::string AdapterRef::SubnetText() const {
    if (!HasAddress()) {
        return {};
    }
    const Ipv4Net net{address, prefixLength};
    return FormatIpv4(address & net.Mask()) + "/" + std::to_string(prefixLength);
}

std::string AdapterRef::AddressText() const {
    return HasAddress() ? FormatIpv4(address) : std::string();
}

} // namespace ondrel
