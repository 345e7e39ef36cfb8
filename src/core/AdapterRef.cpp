#include "core/AdapterRef.h"

#include "core/Ipv4.h"

namespace ondrel {

bool AdapterRef::contains(uint32_t deviceIp) const {
    return hasAddress() && Ipv4Net{address, prefixLength}.contains(deviceIp);
}

bool AdapterRef::contains(std::string_view deviceIp) const {
    const std::optional<Ipv4> ip = parseIpv4(deviceIp);
    return ip && contains(ip->bits);
}

std::string AdapterRef::subnetText() const {
    if (!hasAddress()) {
        return {};
    }
    const Ipv4Net net{address, prefixLength};
    return formatIpv4(address & net.mask()) + "/" + std::to_string(prefixLength);
}

} // namespace ondrel
