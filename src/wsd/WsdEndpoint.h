#pragma once
// The tool's WS-Discovery sockets, beside the DiscoveryEndpoint of our own protocol: one that
// probes (an ephemeral port; answers come back to it by unicast, from any address) and one
// that listens for Hello and Bye on the multicast group (the port shared with any WSD daemon
// already holding it). One receive thread serves both, stoppable like the DiscoveryEndpoint's;
// events reach the owner on it, as decoded cameras: nothing else leaves this folder.

#include "core/AdapterRef.h"
#include "core/Device.h"
#include "discovery/DiscoveryEndpoint.h"
#include "netinfo/NetLinks.h"
#include "wsd/WsDiscovery.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ondrel::wsd {

// Where probes go and where the listener binds. Defaults are WS-Discovery's; tests point the
// probes at loopback with a port of their own and bind the listener to one too (or none).
struct WsdConfig {
    std::string probeAddress = std::string(wsd::kMulticastAddress);
    uint16_t probePort = wsd::kPort;
    bool listen = true; // Hello and Bye
    std::string listenAddress = "0.0.0.0";
    uint16_t listenPort = wsd::kPort;
    // As EndpointConfig's: the adapters probes leave by and answers may arrive on; empty:
    // every adapter that is up, can multicast and has an IPv4 address.
    std::vector<std::string> interfaces = {};
    NetLinkLister links = {};
    int receiveBuffer = 0; // 0: the large default, capped in the lab by ONDREL_RCVBUF
    // Decodes a datagram; empty: wsd::decodeMessage. Tests make it fail as an exhausted heap
    // would.
    std::function<wsd::Decoded(std::string_view)> decode = {};
};

struct WsdOpening {
    bool probing = false;      // the probing socket is open: searches can find cameras
    bool listening = false;    // Hello and Bye reach us
    std::string listenFailure; // why not, when listening was asked for
};

// On the receive thread, in arrival order; handlers return quickly.
struct WsdHandlers {
    // Cameras from ProbeMatches to our probes and from Hellos, each decoded on the adapter it
    // arrived on. Matches that are no camera, and answers to probes not ours, never come here.
    std::function<void(std::vector<Device>&& cameras)> camerasFound;
    // A camera said Bye: its endpoint reference, and the adapter the Bye arrived on.
    std::function<void(const std::string& endpoint, const AdapterRef& adapter)> cameraLeft;
};

class WsdEndpoint {
public:
    explicit WsdEndpoint(WsdConfig config = {});
    ~WsdEndpoint();
    WsdEndpoint(const WsdEndpoint&) = delete;
    WsdEndpoint& operator=(const WsdEndpoint&) = delete;

    void setHandlers(WsdHandlers handlers);
    WsdOpening open();
    // Two probes (NetworkVideoTransmitter, Device), each with a fresh message id, each once
    // through every adapter; answers to earlier searches' probes are still taken.
    SendResult sendProbes();
    // Datagrams lost since the last sendProbes: dropped for want of buffer space, or for want
    // of memory to decode them.
    uint32_t lostSinceProbe() const;
    int receiveBufferBytes() const;
    // The port the listener holds (tests bind port 0); 0 when it does not listen.
    uint16_t listenPort() const;
    // No handler runs once this returns; safe to call more than once.
    void stop();

private:
    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace ondrel::wsd
