#pragma once
// The session's endpoint as the program runs it: our protocol's DiscoveryEndpoint and, beside
// it, WS-Discovery's sockets (WsdEndpoint), which find cameras and hear them come and go. A
// search is both protocols' searches; everything else a user asks goes to our devices only,
// since a camera found by WS-Discovery alone has no record to name it by.

#include "IEndpoint.h"
#include "onvif/WsdEndpoint.h"

#include <memory>

namespace ondrel {

class NetworkEndpoint final : public IEndpoint {
public:
    // protocols: which searches a search sends; without Onvif no WS-Discovery socket is made.
    explicit NetworkEndpoint(EndpointConfig config, WsdConfig wsd = {},
                             Protocols protocols = Protocols::Both);
    ~NetworkEndpoint() override;

    EndpointOpening open() override;
    void setHandlers(SessionHandlers handlers) override;
    SendResult sendSearch() override;
    SendResult sendQueries(const Device& device) override { return m_endpoint.sendQueries(device); }
    SendResult sendSettings(const Device& device, const NetworkSettings& settings,
                            const Credentials& credentials) override {
        return m_endpoint.sendSettings(device, settings, credentials);
    }
    uint32_t lostSinceSearch() const override;
    void stop() override;
    DiscoveryEndpoint::State state() const override { return m_endpoint.state(); }
    uint16_t boundPort() const override { return m_endpoint.boundPort(); }
    // The port Hello and Bye are heard on (tests bind port 0); 0 when nobody listens.
    uint16_t listenPort() const { return m_cameras ? m_cameras->listenPort() : 0; }

private:
    const Protocols m_protocols;
    DiscoveryEndpoint m_endpoint;
    std::unique_ptr<WsdEndpoint> m_cameras; // null: our own protocol only
};

// One search's result from our protocol's send and WS-Discovery's: sent when either went out,
// through every adapter either took, with every refusal; a send that failed whole while the
// other went out is one more refusal, so that the user still learns of it.
SendResult combinedSearch(SendResult ours, SendResult probes);

} // namespace ondrel
