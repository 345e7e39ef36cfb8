#include "DeviceLookup.h"

#include "CliOutput.h"
#include "DeviceFormatter.h"
#include "SettingsBuilder.h"

#include <algorithm>
#include <set>

namespace ondrel::cli {

wsd::WsdConfig DeviceLookup::wsdConfig() const {
    wsd::WsdConfig config = m_o.wsd;
    config.interfaces = m_o.endpoint.interfaces;
    config.links = m_o.endpoint.links;
    return config;
}

bool DeviceLookup::openSession(BlockingSession& session) {
    const EndpointOpening opened = session.open();
    if (!opened.error.empty()) {
        error(opened.error);
        return false;
    }
    for (const std::string& warning : opened.warnings) {
        error(warning);
    }
    return true;
}

void DeviceLookup::reportIncomplete(const SearchOutcome& found) {
    if (!found.probeFailure.empty()) {
        error(found.probeFailure + ": cameras found by ONVIF alone are not shown");
    }
    if (found.lost > 0) {
        error(std::to_string(found.lost) + (found.lost == 1 ? " reply was" : " replies were") +
              " lost: the receive buffer was full. Search again, or raise net.core.rmem_max");
    }
    if (found.ignored > 0) {
        error("List full: " + std::to_string(found.ignored) +
              (found.ignored == 1 ? " more reply was" : " more replies were") + " ignored");
    }
}

void DeviceLookup::reportRefusals(std::string_view request,
                                  const std::vector<std::string>& refusals, bool sentElsewhere) {
    for (const std::string& refusal : refusals) {
        error("adapter " + refusal +
              (sentElsewhere ? " (the " + std::string(request) + " went out through the others)"
                             : std::string()));
    }
}

OrExit<Device> DeviceLookup::findDevice(BlockingSession& session, Progress& progress,
                                        bool toChange) {
    if (!openSession(session)) {
        return kExitError;
    }
    const Mac mac = m_o.macValue;
    // A device to be changed must have answered our search; the wait goes on for that answer
    // while only a camera's match has come.
    const bool byOurs = !toChange || m_o.route != RouteChoice::Onvif;
    const SearchOutcome found = session.search(
        m_o.waitMs,
        [&mac, toChange, byOurs](const Device& d) {
            return byOurs && d.mac.value == mac &&
                   (!toChange || hasProtocol(d.protocols, Protocols::Native));
        },
        progress);
    m_listed = found.devices;
    reportRefusals("search", found.refusals, found.sent);
    if (!found.ok()) {
        error(found.error);
        return kExitError;
    }
    const Device* match = SettingsBuilder::findByMac(found.devices, mac);
    if (!match) {
        // The device may be among the replies that were lost or ignored.
        reportIncomplete(found);
        error("no device with MAC " + mac.text() + " answered the search (" +
              std::to_string(found.devices.size()) + " other device" +
              (found.devices.size() == 1 ? "" : "s") + " did)");
        return kExitUsage;
    }
    return *match;
}

OrExit<std::vector<Device>> DeviceLookup::findCameras(BlockingSession& session, Progress& progress,
                                                      bool toChange) {
    if (!openSession(session)) {
        return kExitError;
    }
    const std::vector<std::string>& wanted = m_o.endpoints;
    std::set<std::string, std::less<>> seen;
    const SearchOutcome found = session.search(
        m_o.waitMs,
        [&](const Device& d) {
            if (std::find(wanted.begin(), wanted.end(), d.endpoint) != wanted.end()) {
                seen.insert(d.endpoint);
            }
            return !toChange &&
                   std::all_of(wanted.begin(), wanted.end(),
                               [&seen](const std::string& e) { return seen.contains(e); });
        },
        progress);
    m_listed = found.devices;
    reportRefusals("search", found.refusals, found.sent);
    if (!found.ok()) {
        error(found.error);
        return kExitError;
    }
    std::vector<Device> cameras;
    bool missing = false;
    for (const std::string& endpoint : wanted) {
        const auto match =
            std::find_if(found.devices.begin(), found.devices.end(),
                         [&endpoint](const Device& d) { return d.endpoint == endpoint; });
        if (match == found.devices.end()) {
            error("no camera with endpoint reference " + DeviceFormatter::printable(endpoint) +
                  " answered the search");
            missing = true;
        } else {
            cameras.push_back(*match);
        }
    }
    if (missing) {
        reportIncomplete(found);
        return kExitUsage;
    }
    return cameras;
}

} // namespace ondrel::cli
