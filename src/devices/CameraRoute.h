#pragma once
// Which protocol carries a device's new settings, and where an ONVIF camera is reached.
//
// Our datagram reaches every device that answered our search, whatever its address; ONVIF
// reaches a camera's device service over HTTP at one address, so cameras out of the box at one
// static factory address are one host to the LAN and HTTP would reach whichever of them it
// resolves. Such a camera is reached at an address of its own where it advertises one (a DHCP
// or link-local XAddr no other camera gives); one without is not reached at all, so that
// settings never go to its twin.

#include "core/Device.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>
#include <vector>

namespace ondrel {

// What the user asked: our datagram for every device that answered it, else ONVIF (Auto);
// or one protocol for every device.
enum class RouteChoice { Auto, Native, Onvif };

enum class Route { Native, Onvif };

// The route for a device, or why it has none, in words ("was found by ONVIF only, ...").
std::variant<Route, std::string> chooseRoute(const Device& device, RouteChoice asked);

// The identity settings are planned for: the MAC, or the endpoint reference where a camera
// gave no MAC.
std::string identityKey(const Device& device);

// Where the account may go to reach a camera's device service, or why it may not go at all.
struct CameraReach {
    std::string url;             // the device service to call; empty when unreachable
    std::optional<Ipv4> address; // the host url names
    uint16_t port = 0;
    std::string path;        // "/onvif/device_service"
    AdapterRef adapter;      // the only adapter to call it through: the one the camera answered on
    std::string unreachable; // "shares its address with 2 others: connect it alone"
    std::size_t sharing = 0; // how many others, for the window's own words

    bool reachable() const { return unreachable.empty(); }
};

// The camera's own device service: the one chosen at discovery when no other listed camera
// answers at its host (on its adapter), else an XAddr whose host no other listed camera gives.
//
// The account goes nowhere else. Anyone on the LAN may send a match in a camera's name, so a
// service is called only at the address the camera's message came from, or at one that message
// advertises on the same link (in its adapter's subnet, or link-local on that adapter: how
// cameras that share a factory address are reached), and never while a second host claims the
// camera: either of them may be the one that lies.
CameraReach reachCamera(const Device& camera, const std::vector<Device>& listed);

// The hosts the listed cameras answer at, found once for the list: reaching each of a
// thousand cameras then asks after its own hosts only, not every other camera's.
class ListedHosts {
public:
    // listed must outlive this.
    explicit ListedHosts(const std::vector<Device>& listed);
    // The cameras among listed that report host (each once).
    std::span<const std::size_t> at(Ipv4 host) const;
    const Device& device(std::size_t index) const { return m_listed[index]; }

private:
    const std::vector<Device>& m_listed;
    std::unordered_map<uint32_t, std::vector<std::size_t>> m_byHost;
};

CameraReach reachCamera(const Device& camera, const ListedHosts& hosts);

// The same rule for one URL already chosen (a read-back's, a caller's): where the account may
// go to call it, or why not. reachCamera's answer passes it unchanged.
CameraReach accountReach(const Device& camera, const std::string& url);

} // namespace ondrel
