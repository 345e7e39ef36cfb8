#include "core/AdapterRef.h"

#include "core/Ipv4.h"

namespace ondrel {

bool AdapterRef::Contains(uint32_t deviceIp) const {
    return HasAddress() && Ipv4Net{address, prefixLength}.Contains(deviceIp);
}

bool AdapterRef::Contains(std::string_view deviceIp) const {
    const std::optional<Ipv4> ip = parseIpv4(deviceIp);
    return ip && Contains(ip->bits);
}

std::string AdapterRef::SubnetText() const {
    if (!HasAddress()) {
        return {};
    }
    const Ipv4Net net{address, prefixLength};
    return formatIpv4(address & net.Mask()) + "/" + std::to_string(prefixLength);
}

} // namespace ondrel
