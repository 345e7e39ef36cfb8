#pragma once
// What a simulated camera's ONVIF device service answers to one SOAP request, apart from any
// socket: the operations a tool needs to read and change a camera's network settings, each
// but GetSystemDateAndTime behind the camera's account (a UsernameToken digest whose Created
// lies within 5 s of the camera's clock), and faults in the shapes cameras send. Both clocks
// are passed in, so that a test can set the camera's time and follow a restart.

#include "SimResponder.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ondrel::sim {

struct OnvifOptions {
    // The camera answers SetNetworkDefaultGateway with success but keeps its old gateway.
    bool forgetGateway = false;
    // Each camera also answers at its link-local address (WsdComposer::linkLocalOf).
    bool linkLocal = false;
    // A camera takes a new port and address as it answers their Set, and answers only on its
    // own port.
    bool atOnce = false;
    std::chrono::seconds maxSkew{5};
};

struct OnvifReply {
    int status = 200;
    std::string body;
    // For the log: the operation, whether it was authorised, what was set or why not.
    nlohmann::ordered_json entry = nlohmann::ordered_json::object();
    // Set when the camera restarts: it is silent for this long and then says Hello.
    std::optional<std::chrono::milliseconds> restart;
};

class OnvifService {
public:
    using Clock = SimResponder::Clock;
    using WallClock = std::chrono::system_clock;

    OnvifService(SimResponder& devices, OnvifOptions options);

    // The camera that answers at this IPv4 address, unless it is restarting. Where several
    // share the address, the first of them: on a LAN, one of them wins every client's ARP.
    // With atOnce, only on the camera's own port (port 0: any).
    std::optional<std::size_t> cameraAt(std::string_view address, Clock::time_point now,
                                        uint16_t port = 0) const;
    // The request body sent to camera index; wall is the camera's clock.
    OnvifReply handle(std::size_t index, std::string_view body, Clock::time_point now,
                      WallClock::time_point wall);

private:
    struct PendingInterface {
        bool dhcp = false;
        std::string address;
        int prefixLength = 24;
    };

    SimResponder& m_devices;
    OnvifOptions m_options;
    std::vector<std::optional<PendingInterface>> m_pending;
    friend struct OnvifCall;
};

} // namespace ondrel::sim
