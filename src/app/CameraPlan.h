#pragma once
// What the window asks of a camera it reaches over ONVIF: the form's settings as the plan the
// device service applies, and the account the calls carry, wiped when its last holder lets go
// (a job still in flight on the worker is such a holder).

#include "core/Device.h"
#include "onvif/NetworkChange.h"

#include <string>

namespace ondrel {

struct HeldAccount {
    onvif::Account account;

    explicit HeldAccount(const Credentials& credentials)
        : account{credentials.user, credentials.password} {}
    HeldAccount(const HeldAccount&) = delete;
    HeldAccount& operator=(const HeldAccount&) = delete;
    ~HeldAccount();
};

// The address (or DHCP) always; the gateway and DNS where the form gives an address (a camera
// found by WS-Discovery told neither, and a blank field leaves its own); the HTTP port, sent
// only where it differs from the one the camera serves.
// A fixed address needs a mask whose one bits run from the top: ONVIF sends a prefix length, and
// a camera found by WS-Discovery told none that a blank field could keep. Empty when the plan
// can be made, else why not.
std::string cameraPlanProblem(const NetworkSettings& settings);
onvif::NetworkPlan cameraPlan(const Device& device, const NetworkSettings& settings);

} // namespace ondrel
