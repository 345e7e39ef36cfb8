#pragma once
// The session's endpoint as the program runs it: our protocol's DiscoveryEndpoint.

#include "IEndpoint.h"

namespace ondrel {

class NetworkEndpoint final : public IEndpoint {
public:
    explicit NetworkEndpoint(EndpointConfig config) : m_endpoint(std::move(config)) {}

    EndpointOpening open() override;
    void setHandlers(EndpointHandlers handlers) override {
        m_endpoint.setHandlers(std::move(handlers));
    }
    SendResult sendSearch() override { return m_endpoint.sendSearch(); }
    SendResult sendQueries(const Device& device) override { return m_endpoint.sendQueries(device); }
    SendResult sendSettings(const Device& device, const NetworkSettings& settings,
                            const Credentials& credentials) override {
        return m_endpoint.sendSettings(device, settings, credentials);
    }
    uint32_t lostSinceSearch() const override { return m_endpoint.lostSinceSearch(); }
    void stop() override { m_endpoint.stop(); }
    DiscoveryEndpoint::State state() const override { return m_endpoint.state(); }
    uint16_t boundPort() const override { return m_endpoint.boundPort(); }

private:
    DiscoveryEndpoint m_endpoint;
};

} // namespace ondrel
