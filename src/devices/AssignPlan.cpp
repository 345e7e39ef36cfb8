#include "AssignPlan.h"

#include "devices/PlanCheck.h"
#include "devices/PlanProbe.h"
#include "devices/PlanResolve.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

namespace ondrel {

using namespace planning;

namespace {

AssignPlan refused(PlanRefusal refusal) {
    AssignPlan plan;
    plan.refusal = std::move(refusal);
    return plan;
}

// Marks the devices already at their plan, and where each ONVIF camera is reached.
void finishPlan(std::vector<PlannedDevice>& planned, const std::vector<Route>& routes,
                const std::vector<Device>& listed) {
    const ListedHosts hosts(listed);
    for (std::size_t i = 0; i < planned.size(); ++i) {
        PlannedDevice& p = planned[i];
        p.unchanged = reportsSettings(p.device, p.settings);
        p.route = routes[i];
        if (p.route == Route::Onvif) {
            p.reach = reachCamera(p.device, hosts);
        }
    }
}

struct RangeShape {
    Ipv4 first;
    Subnet subnet;
    std::vector<Route> routes;
};

// The range's values and devices checked, before any address is looked at.
OrRefusal<RangeShape> checkRange(const RangeRequest& request) {
    const std::optional<Ipv4> first = typedHost(request.firstAddress);
    if (!first) {
        return refusal::BadAddress{};
    }
    OrRefusal<Subnet> subnet = subnetOf(parseTypedIpv4(request.netMask), *first, std::nullopt);
    if (PlanRefusal* r = std::get_if<PlanRefusal>(&subnet)) {
        return std::move(*r);
    }
    RangeShape shape{*first, std::get<Subnet>(subnet), {}};
    if (std::optional<PlanRefusal> r = checkShared(request.gateway, request.dns0, request.httpPort,
                                                   shape.subnet, std::nullopt)) {
        return std::move(*r);
    }
    OrRefusal<std::vector<Route>> routes = routeAndCheck(pointers(request.chosen), request.route);
    if (PlanRefusal* r = std::get_if<PlanRefusal>(&routes)) {
        return std::move(*r);
    }
    shape.routes = std::move(std::get<std::vector<Route>>(routes));
    if (request.gateway.empty()) {
        std::vector<std::size_t> concerned;
        for (std::size_t i = 0; i < request.chosen.size(); ++i) {
            if (!gatewayFits(request.chosen[i], shape.subnet)) {
                concerned.push_back(i);
            }
        }
        if (!concerned.empty()) {
            return gatewayRefusal(pointers(request.chosen), concerned);
        }
    }
    return shape;
}

TakenAddresses takenForRange(const RangeRequest& request) {
    TakenAddresses taken;
    taken.addPcAdapters(request.pcAdapters);
    if (!request.gateway.empty()) {
        taken.addGateway(*parseIpv4(request.gateway), {});
    } else {
        for (const Device& d : request.chosen) {
            if (d.gateway.value) {
                taken.addGateway(*d.gateway.value, deviceLabel(d));
            }
        }
    }
    taken.addListed(request.listed);
    return taken;
}

// The row's address and mask, the row written over the device's own mask.
struct RowAddress {
    Ipv4 address;
    std::string mask;
};

// One row's values checked; `concerned` collects the devices whose own gateway would not fit.
OrRefusal<RowAddress> checkRow(const PlanRow& row, std::size_t i, const Device& d,
                               std::vector<std::size_t>& concerned) {
    const PlanPlace at{i, row.line, deviceLabel(d)};
    const std::optional<Ipv4> address = typedHost(row.ip);
    if (!address) {
        return refusal::BadAddress{at};
    }
    const std::string mask = !row.netMask.empty() ? row.netMask
                             : d.netMask.value    ? d.netMask.value->text()
                                                  : "";
    OrRefusal<Subnet> subnet = subnetOf(parseTypedIpv4(mask), *address, at);
    if (PlanRefusal* r = std::get_if<PlanRefusal>(&subnet)) {
        return std::move(*r);
    }
    if (std::optional<PlanRefusal> r =
            checkShared(row.gateway, row.dns0, row.httpPort, std::get<Subnet>(subnet), at)) {
        return std::move(*r);
    }
    if (row.gateway.empty() && !gatewayFits(d, std::get<Subnet>(subnet))) {
        concerned.push_back(i);
    }
    return RowAddress{*address, mask};
}

// Every row checked, in order; then the addresses others hold.
OrRefusal<std::vector<RowAddress>> checkRows(const ExplicitRequest& request,
                                             const std::vector<const Device*>& devices) {
    std::vector<RowAddress> out;
    std::vector<std::size_t> concerned;
    std::unordered_map<uint32_t, std::size_t> given;
    TakenAddresses taken;
    taken.addPcAdapters(request.pcAdapters);
    for (std::size_t i = 0; i < request.rows.size(); ++i) {
        const PlanRow& row = request.rows[i];
        const Device& d = *devices[i];
        OrRefusal<RowAddress> checked = checkRow(row, i, d, concerned);
        if (PlanRefusal* r = std::get_if<PlanRefusal>(&checked)) {
            return std::move(*r);
        }
        const RowAddress& a = out.emplace_back(std::get<RowAddress>(checked));
        if (const auto [it, added] = given.emplace(a.address.bits, i); !added) {
            return refusal::DuplicateAddress{{i, row.line, deviceLabel(d)}, it->second};
        }
        if (!row.gateway.empty()) {
            taken.addGateway(*parseIpv4(row.gateway), {});
        } else if (d.gateway.value) {
            taken.addGateway(*d.gateway.value, deviceLabel(d));
        }
    }
    if (!concerned.empty()) {
        refusal::GatewayOutsideSubnet r = gatewayRefusal(devices, concerned);
        r.at.line = request.rows[r.at.index].line;
        return r;
    }
    taken.addListed(request.listed);
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (std::optional<SkippedAddress> why = taken.find(out[i].address, devices[i])) {
            return refusal::AddressTaken{{i, request.rows[i].line, deviceLabel(*devices[i])},
                                         std::move(*why)};
        }
    }
    return out;
}

// The rows' devices and how each is reached; a refusal names its row's line.
OrRefusal<std::pair<std::vector<const Device*>, std::vector<Route>>>
resolveExplicit(const ExplicitRequest& request) {
    OrRefusal<std::vector<const Device*>> devices = resolveRows(request);
    if (PlanRefusal* r = std::get_if<PlanRefusal>(&devices)) {
        return std::move(*r);
    }
    std::vector<const Device*>& rowDevices = std::get<std::vector<const Device*>>(devices);
    OrRefusal<std::vector<Route>> routes = routeAndCheck(rowDevices, request.route);
    if (PlanRefusal* r = std::get_if<PlanRefusal>(&routes)) {
        PlanPlace* at = placeOf(*r);
        at->line = request.rows[at->index].line;
        return std::move(*r);
    }
    return std::pair{std::move(rowDevices), std::move(std::get<std::vector<Route>>(routes))};
}

} // namespace

AssignPlan planRange(const RangeRequest& request, AddressProber* prober) {
    const std::vector<Device>& chosen = request.chosen;
    if (chosen.empty()) {
        return refused(refusal::NoDevices{});
    }
    OrRefusal<RangeShape> checked = checkRange(request);
    if (PlanRefusal* r = std::get_if<PlanRefusal>(&checked)) {
        return refused(std::move(*r));
    }
    const RangeShape& shape = std::get<RangeShape>(checked);
    const TakenAddresses taken = takenForRange(request);
    const auto planned = [&](std::size_t i, Ipv4 address, AddressCheck check) {
        return PlannedDevice{chosen[i],
                             settingsFor(chosen[i], address, request.netMask, request.gateway,
                                         request.dns0, request.httpPort),
                             check,
                             false,
                             Route::Native,
                             {}};
    };
    AssignPlan plan;
    plan.devices.resize(chosen.size());
    // A device keeps an address of the range that nothing else holds; the others wait for one.
    std::vector<std::size_t> waiting;
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        const std::optional<Ipv4>& own = chosen[i].ip.value;
        if (own && own->bits >= shape.first.bits && shape.subnet.isHost(*own) &&
            own->isUsableHost() && !taken.find(*own, &chosen[i])) {
            plan.devices[i] = planned(i, *own, AddressCheck::Kept);
        } else {
            waiting.push_back(i);
        }
    }
    OrRefusal<GiveOut> out = giveOut(request, shape.first, shape.subnet, taken, waiting, prober);
    if (PlanRefusal* r = std::get_if<PlanRefusal>(&out)) {
        return refused(std::move(*r));
    }
    GiveOut& given = std::get<GiveOut>(out);
    for (const GivenAddress& g : given.given) {
        plan.devices[g.device] = planned(g.device, g.address, g.check);
    }
    plan.skipped = std::move(given.skipped);
    plan.probeError = std::move(given.probeError);
    finishPlan(plan.devices, shape.routes, request.listed);
    return plan;
}

AssignPlan planExplicit(const ExplicitRequest& request, AddressProber* prober) {
    const std::vector<PlanRow>& rows = request.rows;
    if (rows.empty()) {
        return refused(refusal::NoDevices{});
    }
    auto resolved = resolveExplicit(request);
    if (PlanRefusal* r = std::get_if<PlanRefusal>(&resolved)) {
        return refused(std::move(*r));
    }
    const auto& [devices, routes] = std::get<0>(resolved);
    OrRefusal<std::vector<RowAddress>> checked = checkRows(request, devices);
    if (PlanRefusal* r = std::get_if<PlanRefusal>(&checked)) {
        return refused(std::move(*r));
    }
    const std::vector<RowAddress>& addresses = std::get<std::vector<RowAddress>>(checked);
    AssignPlan plan;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const PlanRow& row = rows[i];
        const Ipv4 address = addresses[i].address;
        // A device keeping its own address would answer for it itself: nothing to ask.
        const AddressCheck check = devices[i]->ip.value == address ? AddressCheck::Kept
                                   : prober == nullptr             ? AddressCheck::Off
                                                                   : AddressCheck::NotChecked;
        plan.devices.push_back({*devices[i],
                                settingsFor(*devices[i], address, addresses[i].mask, row.gateway,
                                            row.dns0, row.httpPort),
                                check,
                                false,
                                Route::Native,
                                {}});
    }
    finishPlan(plan.devices, routes, request.listed);
    if (prober != nullptr) {
        if (std::optional<PlanRefusal> r = probeRows(rows, devices, *prober, plan)) {
            return refused(std::move(*r));
        }
    }
    return plan;
}

const PlanPlace* placeOf(const PlanRefusal& refusal) {
    return std::visit(
        [](const auto& r) -> const PlanPlace* {
            if constexpr (requires { r.at; }) {
                return &r.at;
            } else if constexpr (requires { r.row; }) {
                return r.row ? &*r.row : nullptr;
            } else {
                return nullptr;
            }
        },
        refusal);
}

PlanPlace* placeOf(PlanRefusal& refusal) {
    return const_cast<PlanPlace*>(placeOf(std::as_const(refusal)));
}

void sortByIdentity(std::vector<Device>& devices) {
    const auto rank = [](const Device& d) { return d.mac.value ? 0 : !d.endpoint.empty() ? 1 : 2; };
    std::stable_sort(devices.begin(), devices.end(), [&rank](const Device& a, const Device& b) {
        if (rank(a) != rank(b)) {
            return rank(a) < rank(b);
        }
        if (a.mac.value) {
            return *a.mac.value < *b.mac.value;
        }
        return a.endpoint < b.endpoint;
    });
}

bool reportsSettings(const Device& device, const NetworkSettings& settings) {
    const auto same = [](const ReportedAddress& reported, const std::string& planned) {
        const std::optional<Ipv4> value = parseIpv4(planned);
        return value ? reported.value == value : reported.text == planned;
    };
    return device.mode == settings.mode && same(device.ip, settings.ip) &&
           same(device.netMask, settings.netMask) && same(device.gateway, settings.gateway) &&
           same(device.dns0, settings.dns0) && device.httpPort == settings.httpPort;
}

std::string deviceLabel(const Device& device) {
    const std::string& identity = device.mac.empty() ? device.endpoint : device.mac.text;
    return device.name.empty() ? identity : device.name + " (" + identity + ")";
}

} // namespace ondrel
