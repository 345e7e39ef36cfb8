#include "PlanCheck.h"

#include "core/HttpPort.h"

#include <map>

namespace ondrel::planning {

namespace {

// A gateway or DNS server as given: "0.0.0.0" (none) or a usable address.
std::optional<Ipv4> typedServer(std::string_view text) {
    const std::optional<Ipv4> a = parseTypedIpv4(text);
    if (!a || !(a->isUnspecified() || a->isUsableHost())) {
        return std::nullopt;
    }
    return a;
}

} // namespace

std::optional<Ipv4> typedHost(std::string_view text) {
    const std::optional<Ipv4> a = parseTypedIpv4(text);
    if (!a || !a->isUsableHost()) {
        return std::nullopt;
    }
    return a;
}

OrRefusal<Subnet> subnetOf(std::optional<Ipv4> mask, Ipv4 address,
                           const std::optional<PlanPlace>& row) {
    if (!mask || !isMask(*mask)) {
        return refusal::BadNetMask{row};
    }
    const uint32_t inverted = ~mask->bits;
    if (inverted < 3) {
        return refusal::NoHostInMask{row};
    }
    Subnet subnet;
    subnet.mask = mask->bits;
    subnet.network = address.bits & subnet.mask;
    subnet.broadcast = subnet.network | inverted;
    if (!subnet.isHost(address)) {
        return refusal::AddressNotHost{row};
    }
    return subnet;
}

std::optional<PlanRefusal> checkShared(const std::string& gateway, const std::string& dns,
                                       const std::string& httpPort, const Subnet& subnet,
                                       const std::optional<PlanPlace>& row) {
    if (!gateway.empty()) {
        const std::optional<Ipv4> g = typedServer(gateway);
        if (!g || (!g->isUnspecified() && !subnet.isHost(*g))) {
            return refusal::BadGateway{row};
        }
    }
    if (!dns.empty() && !typedServer(dns)) {
        return refusal::BadDns{row};
    }
    if (!httpPort.empty()) {
        const HttpPortReading port = readHttpPort(httpPort);
        if (port.check != HttpPortCheck::Usable) {
            return refusal::BadHttpPort{row, port.check};
        }
    }
    return std::nullopt;
}

bool gatewayFits(const Device& d, const Subnet& subnet) {
    const std::optional<Ipv4>& g = d.gateway.value;
    return d.gateway.text.empty() || (g && (g->isUnspecified() || subnet.isHost(*g)));
}

refusal::GatewayOutsideSubnet gatewayRefusal(const std::vector<const Device*>& devices,
                                             const std::vector<std::size_t>& concerned) {
    const Device& first = *devices[concerned.front()];
    refusal::GatewayOutsideSubnet r{
        {concerned.front(), 0, deviceLabel(first)}, first.gateway.text, {}};
    for (std::size_t k = 1; k < concerned.size(); ++k) {
        r.others.push_back(deviceLabel(*devices[concerned[k]]));
    }
    return r;
}

// Our datagram names a device by its id, ONVIF reaches one camera and checks its MAC (or,
// without one, its endpoint reference).
std::optional<PlanRefusal> checkDevices(const std::vector<const Device*>& devices,
                                        const std::vector<Route>& routes) {
    std::map<std::string, std::size_t> identities;
    std::map<std::string, std::size_t> ids;
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const Device& d = *devices[i];
        const bool native = routes[i] == Route::Native;
        const PlanPlace at{i, 0, deviceLabel(d)};
        if (native && d.id.empty()) {
            return refusal::MissingDeviceId{at};
        }
        if (const std::string key = identityKey(d); !key.empty()) {
            if (const auto [it, added] = identities.emplace(key, i); !added) {
                return refusal::DuplicateMac{at, it->second};
            }
        }
        if (!native || d.id.empty()) {
            continue;
        }
        if (const auto [it, added] = ids.emplace(d.id, i); !added) {
            return refusal::SharedDeviceId{at, it->second};
        }
    }
    return std::nullopt;
}

NetworkSettings settingsFor(const Device& d, Ipv4 address, const std::string& netMask,
                            const std::string& gateway, const std::string& dns,
                            const std::string& httpPort) {
    NetworkSettings s = currentSettings(d);
    s.mode = AddressMode::Static;
    s.ip = address.text();
    s.netMask = netMask;
    if (!gateway.empty()) {
        s.gateway = gateway;
    }
    if (!dns.empty()) {
        s.dns0 = dns;
    }
    if (!httpPort.empty()) {
        s.httpPort = readHttpPort(httpPort).port;
    }
    return s;
}

} // namespace ondrel::planning
