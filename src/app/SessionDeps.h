#pragma once
// What a DeviceSession needs from outside: the protocol's addresses and ports and the
// periods of its waits, and the seams tests fill (the endpoint, the clock, the LAN prober).
// Null seams are the program's own.

#include "IEndpoint.h"
#include "SessionClock.h"
#include "discovery/DiscoveryEndpoint.h"
#include "netinfo/AddressProber.h"

#include <memory>

namespace ondrel {

struct TimerPeriods {
    int updateWaitMs = 3000;  // the wait for a device's answer to an update
    int restartTickMs = 1300; // one step of the restart progress
    int restartTicks = 33;    // steps until the progress ends with a new search
};

struct SessionDeps {
    EndpointConfig endpoint; // the protocol's addresses and ports; its links are the PC's
    TimerPeriods timers;
    std::shared_ptr<IEndpoint> endpointOverride; // null: a DiscoveryEndpoint on `endpoint`
    std::shared_ptr<SessionClock> clock;         // null: Qt's timers
    std::shared_ptr<AddressProber> prober;       // null: this PC's neighbour table
};

} // namespace ondrel
