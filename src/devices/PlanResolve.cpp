#include "PlanResolve.h"

#include <unordered_map>

namespace ondrel::planning {

namespace {

struct ListedIndex {
    std::unordered_map<Mac, std::size_t> byMac;
    std::unordered_map<std::string, std::size_t> byEndpoint;
};

// One device may be listed twice (a camera seen by ONVIF alone behind a second adapter): the
// row that the chosen protocol reaches, ours first, is the one planned.
ListedIndex indexListed(const std::vector<Device>& listed, RouteChoice asked) {
    const auto rank = [asked](const Device& d) {
        return std::holds_alternative<Route>(chooseRoute(d, asked))
                   ? (hasProtocol(d.protocols, Protocols::Native) ? 2 : 1)
                   : 0;
    };
    ListedIndex index;
    for (std::size_t i = 0; i < listed.size(); ++i) {
        const Device& d = listed[i];
        if (d.mac.value) {
            const auto [it, added] = index.byMac.emplace(*d.mac.value, i);
            if (!added && rank(d) > rank(listed[it->second])) {
                it->second = i;
            }
        }
        if (!d.endpoint.empty()) {
            index.byEndpoint.emplace(d.endpoint, i);
        }
    }
    return index;
}

} // namespace

std::vector<const Device*> pointers(const std::vector<Device>& devices) {
    std::vector<const Device*> out;
    for (const Device& d : devices) {
        out.push_back(&d);
    }
    return out;
}

OrRefusal<std::vector<const Device*>> resolveRows(const ExplicitRequest& request) {
    const ListedIndex index = indexListed(request.listed, request.route);
    std::vector<const Device*> devices;
    for (std::size_t i = 0; i < request.rows.size(); ++i) {
        const PlanRow& row = request.rows[i];
        if (row.mac.empty()) {
            const auto it = index.byEndpoint.find(row.endpoint);
            if (it == index.byEndpoint.end()) {
                return refusal::UnknownEndpoint{{i, row.line, row.endpoint}};
            }
            devices.push_back(&request.listed[it->second]);
            continue;
        }
        const std::optional<Mac> mac = parseMac(row.mac);
        if (!mac) {
            return refusal::BadMac{{i, row.line, row.mac}};
        }
        const auto it = index.byMac.find(*mac);
        if (it == index.byMac.end()) {
            return refusal::UnknownMac{{i, row.line, row.mac}};
        }
        devices.push_back(&request.listed[it->second]);
    }
    return devices;
}

OrRefusal<std::vector<Route>> routeAndCheck(const std::vector<const Device*>& devices,
                                            RouteChoice asked) {
    std::vector<Route> routes;
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const std::variant<Route, std::string> route = chooseRoute(*devices[i], asked);
        if (const std::string* why = std::get_if<std::string>(&route)) {
            return refusal::NoRoute{{i, 0, deviceLabel(*devices[i])}, *why};
        }
        routes.push_back(std::get<Route>(route));
    }
    if (std::optional<PlanRefusal> r = checkDevices(devices, routes)) {
        return std::move(*r);
    }
    return routes;
}

} // namespace ondrel::planning
