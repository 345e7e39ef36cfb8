#include "CameraRoute.h"

#include "onvif/WsDiscovery.h"

#include <algorithm>
#include <optional>
#include <sstream>

namespace ondrel {

namespace {

std::vector<std::string> xaddrsOf(const Device& d) {
    std::vector<std::string> out;
    std::istringstream in(d.xaddrs);
    for (std::string url; in >> url;) {
        out.push_back(url);
    }
    if (out.empty() && !d.serviceUrl.empty()) {
        out.push_back(d.serviceUrl);
    }
    return out;
}

std::optional<Ipv4> hostOf(std::string_view url) {
    const std::optional<wsd::XaddrHost> host = wsd::ipv4Host(url);
    return host ? std::optional<Ipv4>(host->ip) : std::nullopt;
}

bool sameCamera(const Device& a, const Device& b) {
    return identityKey(a) == identityKey(b) && a.endpoint == b.endpoint;
}

} // namespace

std::variant<Route, std::string> chooseRoute(const Device& device, RouteChoice asked) {
    const bool native = hasProtocol(device.protocols, Protocols::Native);
    const bool onvif =
        hasProtocol(device.protocols, Protocols::Onvif) && !device.serviceUrl.empty();
    switch (asked) {
    case RouteChoice::Auto:
        if (native) {
            return Route::Native;
        }
        if (onvif) {
            return Route::Onvif;
        }
        return std::string("gave no ONVIF device service to change it through");
    case RouteChoice::Native:
        if (native) {
            return Route::Native;
        }
        return std::string("was found by ONVIF only, not by our own protocol (--protocol native)");
    case RouteChoice::Onvif:
        if (onvif) {
            return Route::Onvif;
        }
        return std::string("gave no ONVIF device service (--protocol onvif)");
    }
    return std::string("has no protocol to change it through");
}

std::string identityKey(const Device& device) {
    return device.mac.value ? device.mac.value->text() : device.endpoint;
}

CameraReach reachCamera(const Device& camera, const std::vector<Device>& listed) {
    // The hosts every other camera on the same LAN answers at.
    std::vector<uint32_t> others;
    std::size_t sharing = 0;
    const std::optional<Ipv4> chosen = hostOf(camera.serviceUrl);
    for (const Device& d : listed) {
        if (!hasProtocol(d.protocols, Protocols::Onvif) || sameCamera(d, camera) ||
            !(d.adapter == camera.adapter)) {
            continue;
        }
        bool shares = false;
        for (const std::string& url : xaddrsOf(d)) {
            if (const std::optional<Ipv4> host = hostOf(url)) {
                others.push_back(host->bits);
                shares = shares || host == chosen;
            }
        }
        sharing += shares ? 1 : 0;
    }
    const auto own = [&others](const std::string& url) {
        const std::optional<Ipv4> host = hostOf(url);
        return host && std::find(others.begin(), others.end(), host->bits) == others.end();
    };
    if (own(camera.serviceUrl)) {
        return {camera.serviceUrl, {}};
    }
    for (const std::string& url : xaddrsOf(camera)) {
        if (own(url)) {
            return {url, {}};
        }
    }
    if (sharing == 0) {
        return {camera.serviceUrl, {}}; // a host no parse reads: the call itself will say so
    }
    return {{},
            "shares its address with " + std::to_string(sharing) +
                (sharing == 1 ? " other" : " others") + ": connect it alone"};
}

} // namespace ondrel
