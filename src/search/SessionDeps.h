#pragma once
// What a session over the search needs from outside (the window's DeviceSession takes it
// whole): the protocols' addresses and ports, which of them a search uses, the periods of its
// waits, and the seams tests fill (the endpoint, the clock, the LAN prober, the worker for
// ONVIF calls). Null seams are the program's own.

#include "discovery/DiscoveryEndpoint.h"
#include "flows/CameraWorker.h"
#include "flows/SessionClock.h"
#include "netinfo/AddressProber.h"
#include "search/IEndpoint.h"
#include "wsd/WsdEndpoint.h"

#include <memory>

namespace ondrel {

struct TimerPeriods {
    int updateWaitMs = 3000;  // the wait for a device's answer to an update
    int restartTickMs = 1300; // one step of the restart progress
    int restartTicks = 33;    // steps until the progress ends with a new search
};

struct SessionDeps {
    EndpointConfig endpoint; // the protocol's addresses and ports; its links are the PC's
    // WS-Discovery's addresses and ports; its links and adapters, when it names none, are
    // the endpoint's.
    wsd::WsdConfig wsd;
    // The searches a search sends. Native: ours alone, and no WS-Discovery socket at all.
    Protocols protocols = Protocols::Both;
    TimerPeriods timers;
    std::shared_ptr<IEndpoint> endpointOverride; // null: a SearchSession on the above
    std::shared_ptr<SessionClock> clock;         // null: Qt's timers
    std::shared_ptr<AddressProber> prober;       // null: this PC's neighbour table
    std::shared_ptr<CameraWorker> cameraWorker;  // null: a thread of its own with libcurl
};

} // namespace ondrel
