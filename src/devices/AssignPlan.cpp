#include "AssignPlan.h"

#include "core/HttpPort.h"
#include "devices/TakenAddresses.h"

#include <algorithm>
#include <deque>
#include <map>
#include <unordered_map>

namespace ondrel {

namespace {

// One probe call never asks about more than this: every candidate leaves an entry in the
// kernel's neighbour table, which starts dropping entries at a thousand or so (shared with
// everything else on the PC).
constexpr std::size_t kMaxBatch = 256;

struct Subnet {
    uint32_t mask = 0;
    uint32_t network = 0;
    uint32_t broadcast = 0;

    bool isHost(Ipv4 a) const {
        return (a.bits & mask) == network && a.bits != network && a.bits != broadcast;
    }
};

PlanError refusal(PlanRefusal r, std::size_t index = 0) {
    PlanError e;
    e.refusal = r;
    e.index = index;
    return e;
}

AssignPlan refused(PlanError error) {
    AssignPlan plan;
    plan.error = std::move(error);
    return plan;
}

std::optional<Ipv4> typedHost(std::string_view text) {
    const std::optional<Ipv4> a = parseTypedIpv4(text);
    if (!a || !a->isUsableHost()) {
        return std::nullopt;
    }
    return a;
}

// The subnet of a mask and an address in it; a refusal when there is none.
PlanRefusal subnetOf(std::optional<Ipv4> maskValue, Ipv4 address, Subnet& out) {
    if (!maskValue || !isMask(*maskValue)) {
        return PlanRefusal::BadNetMask;
    }
    const uint32_t inverted = ~maskValue->bits;
    if (inverted < 3) {
        return PlanRefusal::NoHostInMask;
    }
    out.mask = maskValue->bits;
    out.network = address.bits & out.mask;
    out.broadcast = out.network | inverted;
    return out.isHost(address) ? PlanRefusal::None : PlanRefusal::AddressNotHost;
}

// A gateway or DNS server as given: "0.0.0.0" (none) or a usable address.
std::optional<Ipv4> typedServer(std::string_view text) {
    const std::optional<Ipv4> a = parseTypedIpv4(text);
    if (!a || !(a->isUnspecified() || a->isUsableHost())) {
        return std::nullopt;
    }
    return a;
}

// The values every device of the plan takes where given; a refusal for a bad one.
PlanError checkShared(const std::string& gateway, const std::string& dns,
                      const std::string& httpPort, const Subnet& subnet, std::size_t index) {
    if (!gateway.empty()) {
        const std::optional<Ipv4> g = typedServer(gateway);
        if (!g || (!g->isUnspecified() && !subnet.isHost(*g))) {
            return refusal(PlanRefusal::BadGateway, index);
        }
    }
    if (!dns.empty() && !typedServer(dns)) {
        return refusal(PlanRefusal::BadDns, index);
    }
    if (!httpPort.empty()) {
        const HttpPortReading port = readHttpPort(httpPort);
        if (port.check != HttpPortCheck::Usable) {
            PlanError e = refusal(PlanRefusal::BadHttpPort, index);
            e.detail = static_cast<int>(port.check);
            return e;
        }
    }
    return {};
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

// Without a gateway given a device keeps its own, which must then be none or a host of its new
// subnet: a device set apart from its gateway answers its own subnet only.
bool gatewayFits(const Device& d, const Subnet& subnet) {
    const std::optional<Ipv4>& g = d.gateway.value;
    return d.gateway.text.empty() || (g && (g->isUnspecified() || subnet.isHost(*g)));
}

// One refusal naming every device concerned (indexes into `devices`), the first in front.
PlanError gatewayRefusal(const std::vector<const Device*>& devices,
                         const std::vector<std::size_t>& concerned) {
    const Device& first = *devices[concerned.front()];
    PlanError e = refusal(PlanRefusal::GatewayOutsideSubnet, concerned.front());
    e.party = deviceLabel(first);
    e.gateway = first.gateway.text;
    for (std::size_t k = 1; k < concerned.size(); ++k) {
        e.others.push_back(deviceLabel(*devices[concerned[k]]));
    }
    return e;
}

// The protocol each device is reached by, or a refusal naming the first it cannot reach.
PlanError routeAll(const std::vector<const Device*>& devices, RouteChoice asked,
                   std::vector<Route>& routes) {
    routes.clear();
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const std::variant<Route, std::string> route = chooseRoute(*devices[i], asked);
        if (const std::string* why = std::get_if<std::string>(&route)) {
            PlanError e = refusal(PlanRefusal::NoRoute, i);
            e.party = deviceLabel(*devices[i]);
            e.why = *why;
            return e;
        }
        routes.push_back(std::get<Route>(route));
    }
    return {};
}

// Refuses a set of devices the requests could not tell apart: our datagram names a device by
// its id, ONVIF reaches one camera and checks its MAC (or, without one, its endpoint reference).
PlanError checkDevices(const std::vector<const Device*>& devices,
                       const std::vector<Route>& routes) {
    std::map<std::string, std::size_t> identities;
    std::map<std::string, std::size_t> ids;
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const Device& d = *devices[i];
        const bool native = routes[i] == Route::Native;
        if (native && d.id.empty()) {
            PlanError e = refusal(PlanRefusal::MissingDeviceId, i);
            e.party = deviceLabel(d);
            return e;
        }
        const std::string key = identityKey(d);
        for (auto [map, k, clash] :
             {std::tuple{&identities, key, PlanRefusal::DuplicateMac},
              std::tuple{&ids, native ? d.id : std::string(), PlanRefusal::SharedDeviceId}}) {
            if (k.empty()) {
                continue;
            }
            const auto [it, added] = map->emplace(k, i);
            if (!added) {
                PlanError e = refusal(clash, i);
                e.other = it->second;
                e.party = deviceLabel(d);
                return e;
            }
        }
    }
    return {};
}

// Checks the devices and finds their routes: the first refusal, if any.
PlanError checkAndRoute(const std::vector<const Device*>& devices, RouteChoice asked,
                        std::vector<Route>& routes) {
    if (PlanError e = routeAll(devices, asked, routes); e.refusal != PlanRefusal::None) {
        return e;
    }
    return checkDevices(devices, routes);
}

std::vector<const Device*> pointers(const std::vector<Device>& devices) {
    std::vector<const Device*> out;
    for (const Device& d : devices) {
        out.push_back(&d);
    }
    return out;
}

AddressCheck checkOf(const ProbeResult& r) {
    switch (r.outcome) {
    case ProbeOutcome::Free:
        return AddressCheck::Free;
    case ProbeOutcome::Failed:
        return AddressCheck::Failed;
    case ProbeOutcome::InUse:
    case ProbeOutcome::NotChecked:
        break;
    }
    return AddressCheck::NotChecked;
}

} // namespace

namespace {

// The addresses of a range plan, upward from its first, met one at a time; those the prober is
// to be asked about are asked in batches ahead of their turn.
class Candidates {
public:
    struct Entry {
        Ipv4 address;
        std::optional<SkippedAddress> taken; // known before asking
        bool asked = false;
        std::vector<std::pair<AdapterRef, ProbeResult>> answers;
    };

    Candidates(Ipv4 first, const Subnet& subnet, const TakenAddresses& taken)
        : m_next(first.bits), m_subnet(subnet), m_taken(taken) {}

    // Null when the subnet has no address left.
    Entry* front() {
        if (m_queue.empty() && !generate()) {
            return nullptr;
        }
        return &m_queue.front();
    }
    void pop() { m_queue.pop_front(); }

    // Asks about the next `count` addresses not known to be taken, on every adapter among
    // `adapters` whose subnet holds them.
    void ask(AddressProber& prober, std::size_t count, const std::vector<AdapterRef>& adapters) {
        std::vector<ProbeRequest> requests;
        std::vector<std::size_t> owners;
        std::size_t collected = 0;
        for (std::size_t i = 0; collected < count; ++i) {
            if (i == m_queue.size() && !generate()) {
                break;
            }
            Entry& e = m_queue[i];
            if (e.taken || e.asked) {
                continue;
            }
            e.asked = true;
            ++collected;
            for (const AdapterRef& a : adapters) {
                if (a.ifindex != 0 && a.hasAddress() && a.contains(e.address.bits)) {
                    requests.push_back({e.address, a});
                    owners.push_back(i);
                }
            }
        }
        if (requests.empty()) {
            return;
        }
        std::vector<ProbeResult> results = prober.probe(requests);
        results.resize(requests.size(), {ProbeOutcome::Failed, "the prober gave no answer"});
        for (std::size_t r = 0; r < requests.size(); ++r) {
            m_queue[owners[r]].answers.emplace_back(requests[r].adapter, std::move(results[r]));
        }
    }

private:
    bool generate() {
        const Ipv4 a{m_next};
        if (m_done || !m_subnet.isHost(a) || !a.isUsableHost()) {
            m_done = true;
            return false;
        }
        ++m_next; // at most the broadcast address: no overflow
        m_queue.push_back({a, m_taken.find(a), false, {}});
        return true;
    }

    uint32_t m_next;
    bool m_done = false;
    Subnet m_subnet;
    const TakenAddresses& m_taken;
    std::deque<Entry> m_queue;
};

// The adapters of the devices still waiting for an address (indexes into `devices`).
std::vector<AdapterRef> distinctAdapters(const std::vector<Device>& devices,
                                         const std::vector<std::size_t>& waiting,
                                         std::size_t from) {
    std::vector<AdapterRef> out;
    for (std::size_t k = from; k < waiting.size(); ++k) {
        const AdapterRef& a = devices[waiting[k]].adapter;
        if (std::find(out.begin(), out.end(), a) == out.end()) {
            out.push_back(a);
        }
    }
    return out;
}

// Marks the devices already at their plan, and where each ONVIF camera is reached.
void finishPlan(std::vector<PlannedDevice>& planned, const std::vector<Route>& routes,
                const std::vector<Device>& listed) {
    for (std::size_t i = 0; i < planned.size(); ++i) {
        PlannedDevice& p = planned[i];
        p.unchanged = reportsSettings(p.device, p.settings);
        p.route = routes[i];
        if (p.route == Route::Onvif) {
            p.reach = reachCamera(p.device, listed);
        }
    }
}

} // namespace

AssignPlan planRange(const RangeRequest& request, AddressProber* prober) {
    const std::vector<Device>& chosen = request.chosen;
    if (chosen.empty()) {
        return refused(refusal(PlanRefusal::NoDevices));
    }
    const std::optional<Ipv4> first = typedHost(request.firstAddress);
    if (!first) {
        return refused(refusal(PlanRefusal::BadAddress));
    }
    Subnet subnet;
    if (const PlanRefusal r = subnetOf(parseTypedIpv4(request.netMask), *first, subnet);
        r != PlanRefusal::None) {
        return refused(refusal(r));
    }
    if (PlanError e = checkShared(request.gateway, request.dns0, request.httpPort, subnet, 0);
        e.refusal != PlanRefusal::None) {
        return refused(std::move(e));
    }
    std::vector<Route> routes;
    if (PlanError e = checkAndRoute(pointers(chosen), request.route, routes);
        e.refusal != PlanRefusal::None) {
        return refused(std::move(e));
    }
    if (request.gateway.empty()) {
        std::vector<std::size_t> concerned;
        for (std::size_t i = 0; i < chosen.size(); ++i) {
            if (!gatewayFits(chosen[i], subnet)) {
                concerned.push_back(i);
            }
        }
        if (!concerned.empty()) {
            return refused(gatewayRefusal(pointers(chosen), concerned));
        }
    }

    TakenAddresses taken;
    taken.addPcAdapters(request.pcAdapters);
    if (!request.gateway.empty()) {
        taken.addGateway(*parseIpv4(request.gateway), {});
    } else {
        for (const Device& d : chosen) {
            if (d.gateway.value) {
                taken.addGateway(*d.gateway.value, deviceLabel(d));
            }
        }
    }
    taken.addListed(request.listed);

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
        if (own && own->bits >= first->bits && subnet.isHost(*own) && own->isUsableHost() &&
            !taken.find(*own, &chosen[i])) {
            plan.devices[i] = planned(i, *own, AddressCheck::Kept);
        } else {
            waiting.push_back(i);
        }
    }

    Candidates candidates(*first, subnet, taken);
    for (std::size_t k = 0; k < waiting.size();) {
        const std::size_t i = waiting[k];
        Candidates::Entry* e = candidates.front();
        if (e == nullptr) {
            PlanError error = refusal(PlanRefusal::OutOfAddresses, i);
            error.party = deviceLabel(chosen[i]);
            return refused(std::move(error));
        }
        if (e->taken) {
            plan.skipped.push_back(*e->taken);
            candidates.pop();
            continue;
        }
        if (prober != nullptr && !e->asked) {
            // A quarter more than the devices still waiting, and a few: a handful of taken
            // addresses must not cost a second wait.
            const std::size_t left = waiting.size() - k;
            candidates.ask(*prober, std::min(kMaxBatch, left + left / 4 + 8),
                           distinctAdapters(chosen, waiting, k));
            e = candidates.front(); // asking grows the queue
        }
        const auto inUse = std::find_if(e->answers.begin(), e->answers.end(), [](const auto& a) {
            return a.second.outcome == ProbeOutcome::InUse;
        });
        if (inUse != e->answers.end()) {
            plan.skipped.push_back({e->address, SkipReason::InUse, inUse->second.detail});
            candidates.pop();
            continue;
        }
        AddressCheck check = prober == nullptr ? AddressCheck::Off : AddressCheck::NotChecked;
        for (const auto& [adapter, result] : e->answers) {
            if (adapter == chosen[i].adapter) {
                check = checkOf(result);
                if (check == AddressCheck::Failed && plan.probeError.empty()) {
                    plan.probeError = result.detail;
                }
            }
        }
        plan.devices[i] = planned(i, e->address, check);
        candidates.pop();
        ++k;
    }
    finishPlan(plan.devices, routes, request.listed);
    return plan;
}

AssignPlan planExplicit(const ExplicitRequest& request, AddressProber* prober) {
    const std::vector<PlanRow>& rows = request.rows;
    if (rows.empty()) {
        return refused(refusal(PlanRefusal::NoDevices));
    }
    const auto rowError = [&](PlanRefusal r, std::size_t i, std::string party) {
        PlanError e = refusal(r, i);
        e.line = rows[i].line;
        e.party = std::move(party);
        return e;
    };

    // One device may be listed twice (a camera seen by ONVIF alone behind a second adapter):
    // the row that the chosen protocol reaches, ours first, is the one planned.
    const auto better = [&request](const Device& candidate, const Device& held) {
        const auto rank = [&request](const Device& d) {
            return std::holds_alternative<Route>(chooseRoute(d, request.route))
                       ? (hasProtocol(d.protocols, Protocols::Native) ? 2 : 1)
                       : 0;
        };
        return rank(candidate) > rank(held);
    };
    std::unordered_map<Mac, std::size_t> byMac;
    std::unordered_map<std::string, std::size_t> byEndpoint;
    for (std::size_t i = 0; i < request.listed.size(); ++i) {
        const Device& d = request.listed[i];
        if (d.mac.value) {
            const auto [it, added] = byMac.emplace(*d.mac.value, i);
            if (!added && better(d, request.listed[it->second])) {
                it->second = i;
            }
        }
        if (!d.endpoint.empty()) {
            byEndpoint.emplace(d.endpoint, i);
        }
    }
    std::vector<const Device*> devices;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].mac.empty()) {
            const auto it = byEndpoint.find(rows[i].endpoint);
            if (it == byEndpoint.end()) {
                return refused(rowError(PlanRefusal::UnknownEndpoint, i, rows[i].endpoint));
            }
            devices.push_back(&request.listed[it->second]);
            continue;
        }
        const std::optional<Mac> mac = parseMac(rows[i].mac);
        if (!mac) {
            return refused(rowError(PlanRefusal::BadMac, i, rows[i].mac));
        }
        const auto it = byMac.find(*mac);
        if (it == byMac.end()) {
            return refused(rowError(PlanRefusal::UnknownMac, i, rows[i].mac));
        }
        devices.push_back(&request.listed[it->second]);
    }
    std::vector<Route> routes;
    if (PlanError e = checkAndRoute(devices, request.route, routes);
        e.refusal != PlanRefusal::None) {
        e.line = rows[e.index].line;
        return refused(std::move(e));
    }

    std::vector<Ipv4> addresses;
    std::vector<std::string> masks;
    std::vector<std::size_t> gatewayConcerns;
    std::unordered_map<uint32_t, std::size_t> given;
    TakenAddresses taken;
    taken.addPcAdapters(request.pcAdapters);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const PlanRow& row = rows[i];
        const Device& d = *devices[i];
        const std::optional<Ipv4> address = typedHost(row.ip);
        if (!address) {
            return refused(rowError(PlanRefusal::BadAddress, i, deviceLabel(d)));
        }
        const std::string mask = !row.netMask.empty() ? row.netMask
                                 : d.netMask.value    ? d.netMask.value->text()
                                                      : "";
        Subnet subnet;
        if (const PlanRefusal r = subnetOf(parseTypedIpv4(mask), *address, subnet);
            r != PlanRefusal::None) {
            return refused(rowError(r, i, deviceLabel(d)));
        }
        if (PlanError e = checkShared(row.gateway, row.dns0, row.httpPort, subnet, i);
            e.refusal != PlanRefusal::None) {
            e.line = row.line;
            e.party = deviceLabel(d);
            return refused(std::move(e));
        }
        if (row.gateway.empty() && !gatewayFits(d, subnet)) {
            gatewayConcerns.push_back(i);
        }
        if (const auto [it, added] = given.emplace(address->bits, i); !added) {
            PlanError e = rowError(PlanRefusal::DuplicateAddress, i, deviceLabel(d));
            e.other = it->second;
            return refused(std::move(e));
        }
        if (!row.gateway.empty()) {
            taken.addGateway(*parseIpv4(row.gateway), {});
        } else if (d.gateway.value) {
            taken.addGateway(*d.gateway.value, deviceLabel(d));
        }
        addresses.push_back(*address);
        masks.push_back(mask);
    }
    if (!gatewayConcerns.empty()) {
        PlanError e = gatewayRefusal(devices, gatewayConcerns);
        e.line = rows[e.index].line;
        return refused(std::move(e));
    }
    taken.addListed(request.listed);

    const auto takenError = [&](std::size_t i, SkippedAddress why) {
        PlanError e = rowError(PlanRefusal::AddressTaken, i, deviceLabel(*devices[i]));
        e.taken = std::move(why);
        return refused(std::move(e));
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (auto why = taken.find(addresses[i], devices[i])) {
            return takenError(i, std::move(*why));
        }
    }

    AssignPlan plan;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const PlanRow& row = rows[i];
        // A device keeping its own address would answer for it itself: nothing to ask.
        const AddressCheck check = devices[i]->ip.value == addresses[i] ? AddressCheck::Kept
                                   : prober == nullptr                  ? AddressCheck::Off
                                                                        : AddressCheck::NotChecked;
        plan.devices.push_back(
            {*devices[i],
             settingsFor(*devices[i], addresses[i], masks[i], row.gateway, row.dns0, row.httpPort),
             check,
             false,
             Route::Native,
             {}});
    }
    finishPlan(plan.devices, routes, request.listed);
    if (prober == nullptr) {
        return plan;
    }
    std::vector<ProbeRequest> requests;
    std::vector<std::size_t> owners;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const AdapterRef& a = devices[i]->adapter;
        if (plan.devices[i].check != AddressCheck::Kept && a.ifindex != 0 && a.hasAddress() &&
            a.contains(addresses[i].bits)) {
            requests.push_back({addresses[i], a});
            owners.push_back(i);
        }
    }
    for (std::size_t from = 0; from < requests.size(); from += kMaxBatch) {
        const std::size_t to = std::min(requests.size(), from + kMaxBatch);
        std::vector<ProbeResult> results =
            prober->probe({requests.begin() + static_cast<std::ptrdiff_t>(from),
                           requests.begin() + static_cast<std::ptrdiff_t>(to)});
        results.resize(to - from, {ProbeOutcome::Failed, "the prober gave no answer"});
        for (std::size_t r = 0; r < results.size(); ++r) {
            const std::size_t i = owners[from + r];
            if (results[r].outcome == ProbeOutcome::InUse) {
                return takenError(i, {addresses[i], SkipReason::InUse, results[r].detail});
            }
            plan.devices[i].check = checkOf(results[r]);
            if (results[r].outcome == ProbeOutcome::Failed && plan.probeError.empty()) {
                plan.probeError = results[r].detail;
            }
        }
    }
    return plan;
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
