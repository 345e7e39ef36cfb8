#include "CameraRoute.h"

#include "wsd/WsDiscovery.h"

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

CameraReach refused(std::string why) {
    CameraReach reach;
    reach.unreachable = std::move(why);
    return reach;
}

constexpr uint32_t kLinkLocalNet = 0xA9FE0000u; // 169.254/16

std::string claimedText(std::string_view claims) {
    std::vector<std::string_view> hosts;
    while (!claims.empty()) {
        const std::size_t end = std::min(claims.find(' '), claims.size());
        hosts.push_back(claims.substr(0, end));
        claims.remove_prefix(std::min(end + 1, claims.size()));
    }
    std::string out = "claimed by ";
    for (std::size_t i = 0; i < hosts.size(); ++i) {
        out += i == 0 ? "" : i + 1 == hosts.size() ? " and " : ", ";
        out += hosts[i];
    }
    return out;
}

// The path of an http(s) URL: what follows its host and port; "/" when it names none.
std::string pathOf(std::string_view url) {
    const std::size_t scheme = url.find("://");
    const std::size_t slash = url.find('/', scheme == std::string_view::npos ? 0 : scheme + 3);
    return slash == std::string_view::npos ? "/" : std::string(url.substr(slash));
}

// The account may go to url: its host sent the camera's message, or the message advertises it
// on the link it arrived by. Never elsewhere, so that a match sent in a camera's name cannot
// point the account at a third host.
CameraReach onLink(const Device& camera, const std::string& url) {
    const std::optional<wsd::XaddrHost> host = wsd::ipv4Host(url);
    if (!host) {
        return refused("gave no IPv4 device service to change it through");
    }
    const std::optional<Ipv4> sender = parseIpv4(camera.sentFrom);
    const std::vector<std::string> xaddrs = xaddrsOf(camera);
    const bool advertised = std::find(xaddrs.begin(), xaddrs.end(), url) != xaddrs.end();
    const bool onLink = camera.adapter.known() && (camera.adapter.contains(host->ip.bits) ||
                                                   (host->ip.bits & 0xFFFF0000u) == kLinkLocalNet);
    if (!(sender == host->ip) && !(advertised && onLink)) {
        return refused("answers from " +
                       (camera.sentFrom.empty() ? std::string("nowhere known") : camera.sentFrom) +
                       " but names " + host->ip.text() +
                       " as its service, off this adapter's link: the account is not "
                       "sent there");
    }
    return {url, host->ip, host->port, pathOf(url), camera.adapter, {}};
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

CameraReach accountReach(const Device& camera, const std::string& url) {
    if (!camera.claims.empty()) {
        return refused(claimedText(camera.claims));
    }
    return onLink(camera, url);
}

ListedHosts::ListedHosts(const std::vector<Device>& listed) : m_listed(listed) {
    for (std::size_t i = 0; i < listed.size(); ++i) {
        if (!hasProtocol(listed[i].protocols, Protocols::Onvif)) {
            continue;
        }
        for (const std::string& url : xaddrsOf(listed[i])) {
            if (const std::optional<Ipv4> host = hostOf(url)) {
                std::vector<std::size_t>& cameras = m_byHost[host->bits];
                if (cameras.empty() || cameras.back() != i) {
                    cameras.push_back(i);
                }
            }
        }
    }
}

std::span<const std::size_t> ListedHosts::at(Ipv4 host) const {
    const auto found = m_byHost.find(host.bits);
    return found == m_byHost.end() ? std::span<const std::size_t>() : found->second;
}

CameraReach reachCamera(const Device& camera, const std::vector<Device>& listed) {
    return reachCamera(camera, ListedHosts(listed));
}

CameraReach reachCamera(const Device& camera, const ListedHosts& hosts) {
    if (!camera.claims.empty()) {
        return refused(claimedText(camera.claims));
    }
    // How many other cameras on the same LAN answer at a host.
    const auto othersAt = [&](std::optional<Ipv4> host) {
        std::size_t others = 0;
        for (const std::size_t i : host ? hosts.at(*host) : std::span<const std::size_t>()) {
            const Device& d = hosts.device(i);
            others += !sameCamera(d, camera) && d.adapter == camera.adapter ? 1 : 0;
        }
        return others;
    };
    const std::size_t sharing = othersAt(hostOf(camera.serviceUrl));
    const auto own = [&](const std::string& url) {
        const std::optional<Ipv4> host = hostOf(url);
        return host && othersAt(host) == 0;
    };
    std::optional<std::string> url;
    if (own(camera.serviceUrl)) {
        url = camera.serviceUrl;
    }
    for (const std::vector<std::string> xaddrs = xaddrsOf(camera); !url && !xaddrs.empty();) {
        const auto found = std::find_if(xaddrs.begin(), xaddrs.end(), own);
        if (found == xaddrs.end()) {
            break;
        }
        url = *found;
    }
    if (!url && sharing != 0) {
        CameraReach shared = refused("shares its address with " + std::to_string(sharing) +
                                     (sharing == 1 ? " other" : " others") + ": connect it alone");
        shared.sharing = sharing;
        return shared;
    }
    return onLink(camera, url.value_or(camera.serviceUrl));
}

} // namespace ondrel
