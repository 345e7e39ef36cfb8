#include "TakenAddresses.h"

namespace ondrel {

void TakenAddresses::addPcAdapters(const std::vector<AdapterRef>& adapters) {
    for (const AdapterRef& a : adapters) {
        if (a.hasAddress()) {
            m_holders[a.address].push_back({SkipReason::PcAddress, a.name, std::nullopt, {}});
        }
    }
}

void TakenAddresses::addGateway(Ipv4 address, std::string party) {
    if (!address.isUnspecified()) {
        m_holders[address.bits].push_back(
            {SkipReason::Gateway, std::move(party), std::nullopt, {}});
    }
}

void TakenAddresses::addListed(const std::vector<Device>& listed) {
    for (const Device& d : listed) {
        if (d.ip.value && !d.ip.value->isUnspecified()) {
            m_holders[d.ip.value->bits].push_back(
                {SkipReason::ReportedByDevice, deviceLabel(d), d.mac.value, d.endpoint});
        }
    }
}

bool TakenAddresses::isSelf(const Holder& holder, const Device& self) {
    if (holder.reason != SkipReason::ReportedByDevice) {
        return false;
    }
    if (holder.mac && self.mac.value) {
        return holder.mac == self.mac.value;
    }
    // A camera without a MAC, or its row from before its MAC was known: the endpoint
    // reference is what it is known by.
    return !holder.endpoint.empty() && holder.endpoint == self.endpoint;
}

std::optional<SkippedAddress> TakenAddresses::find(Ipv4 address, const Device* self) const {
    const auto it = m_holders.find(address.bits);
    if (it == m_holders.end()) {
        return std::nullopt;
    }
    for (const Holder& h : it->second) {
        if (self == nullptr || !isSelf(h, *self)) {
            return SkippedAddress{address, h.reason, h.party};
        }
    }
    return std::nullopt;
}

} // namespace ondrel
