#pragma once
// One camera's address change over ONVIF, in the order that keeps it reachable: the clock
// first (tokens carry the camera's time), then its identity, then the gateway, DNS and HTTP
// port, and the interface's address last, since the camera may leave its old address at once;
// a restart when the camera says it needs one. Each call goes where the camera answered the one
// before; a call that finds no HTTP server there, after a change of port or address, is sent
// once more where that change put the camera, and the calls after it follow it there. Afterwards,
// the same camera at its new address is read back and every value sent compared, so that a setting
// the camera took but did not keep is caught.

#include "DeviceService.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ondrel::onvif {

struct NetworkPlan {
    // The MAC the settings were planned for; none where the camera gave none, and then its
    // first enabled interface is taken, once the camera's endpoint reference (when it tells
    // it) is the one planned for.
    std::optional<Mac> mac;
    std::string endpoint;
    Ipv4Setting address;
    std::optional<Ipv4> gateway;          // none: left as it is
    std::optional<std::vector<Ipv4>> dns; // none: left as it is
    // Sent only when it differs from the port the camera serves now.
    std::optional<std::uint16_t> httpPort;
    std::uint16_t currentHttpPort = 80;
};

enum class ChangeOutcome {
    Unchanged, // the camera already has every planned value; nothing was set
    Accepted,
    Refused, // the account or password is wrong
    Failed,  // anything else, in words
    // Not reached alone: another listed camera answers at its address; nothing was sent.
    Unreachable,
};

struct ChangeResult {
    ChangeOutcome outcome = ChangeOutcome::Failed;
    std::string words;       // why, for Failed
    bool rebootSent = false; // the camera restarts to take the change
};

// Asked after the clock is read (the one call that carries no account, and that makes the PC
// resolve the camera's address on the wire) and before any call that carries it: why the
// account must not go, or empty when it may.
using AccountGate = std::function<std::string()>;

ChangeResult applyNetworkPlan(DeviceService& camera, const NetworkPlan& plan,
                              const AccountGate& gate = {});

struct Verification {
    bool verified = false;
    // What differs or why nothing could be read, e.g. "gateway 10.1.0.1 reads 192.168.1.1".
    std::string words;
};

// Reads the camera back (the service pointed at its new address) and compares.
Verification verifyNetworkPlan(DeviceService& camera, const NetworkPlan& plan,
                               const AccountGate& gate = {});

} // namespace ondrel::onvif
