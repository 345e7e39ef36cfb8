#pragma once
// The simulated cameras on the wire, each with a MAC of its own (--onvif-own-macs). Inside a lab
// LAN's namespace every camera's addresses sit on a macvlan interface of its own, made on the
// LAN's interface with the MAC the camera announces, so that the PC's neighbour table resolves
// each camera's address to that camera's MAC, as a switch full of real cameras would. Without
// it every address the simulator answers for resolves to the LAN interface's one MAC.
//
// The namespace then answers ARP only on the interface that holds the address asked for
// (arp_ignore 1) and asks from the LAN interface's own address (arp_announce 2): else the LAN
// interface would answer for every camera too, or tell the PC a camera's address with its own
// MAC. Both are put back when the cameras leave.

#include "SimDevice.h"

#include "core/Ipv4.h"
#include "core/Mac.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ondrel::sim {

// What one camera's interface holds.
struct CameraWire {
    std::string name;
    Mac mac;
    std::vector<Ipv4> addresses; // its own, then with link-local addresses its 169.254.X.Y

    bool operator==(const CameraWire&) const = default;
};

// Whether an interface is one a simulator made for a camera ("sim<pid>.<camera>"). A broadcast
// or multicast on the LAN reaches each of them as well as the LAN's interface: what arrives
// there is a copy, and a simulator answers the LAN's own.
bool isCameraLinkName(std::string_view name);

// One entry per device, in the devices' order: none for a device whose MAC no station could
// have (unreadable, group or all zero), which keeps the LAN interface's.
std::vector<std::optional<CameraWire>> planWires(const std::vector<SimDevice>& devices,
                                                 bool linkLocal);

class CameraLinks {
public:
    CameraLinks() = default;
    CameraLinks(const CameraLinks&) = delete;
    CameraLinks& operator=(const CameraLinks&) = delete;
    ~CameraLinks();

    // Gives every camera its interface on the LAN's interface (the one up that is neither
    // loopback nor a camera's). Empty when done; else why not, with nothing left behind, and
    // the cameras answer with the LAN interface's MAC as before.
    std::string open(const std::vector<SimDevice>& devices, bool linkLocal);
    // Moves the addresses of cameras that changed theirs (a set request, a restart).
    void follow(const std::vector<SimDevice>& devices);
    bool isOpen() const { return m_socket >= 0; }
    // Devices that kept the LAN interface's MAC, by name.
    const std::vector<std::string>& skipped() const { return m_skipped; }

private:
    struct Held {
        CameraWire wire;
        int ifindex = 0;
    };

    void close();
    // 0 when the kernel accepted the request, else its errno.
    int request(std::vector<uint8_t> message);
    int addLink(const CameraWire& wire, int lower);
    int setUp(int ifindex, bool up);
    int changeAddress(uint16_t type, int ifindex, Ipv4 address);
    std::string setArp();
    void restoreArp();

    int m_socket = -1;
    uint32_t m_sequence = 0;
    bool m_linkLocal = false;
    std::vector<std::optional<Held>> m_held; // by device index
    std::vector<std::string> m_skipped;
    std::vector<std::pair<std::string, std::string>> m_arpBefore; // sysctl file, its value
};

} // namespace ondrel::sim
