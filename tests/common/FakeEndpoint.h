#pragma once
// The session's endpoint as a test plays it: every request is recorded (a settings request
// with the account and password it carried) and answered with sendResult; replies and answers
// reach the session when the test delivers them, through the handlers the session installed,
// as from a receive thread, and are taken by the session before reply or answer returns.

#include "IEndpoint.h"

#include <string>
#include <vector>

namespace ondrel::testing {

class FakeEndpoint : public IEndpoint {
public:
    struct Request {
        enum class Kind { Search, Queries, Settings } kind;
        Device device;
        NetworkSettings settings;
        std::string password;
    };

    EndpointOpening open() override;
    void setHandlers(EndpointHandlers handlers) override { m_handlers = std::move(handlers); }
    SendResult sendSearch() override;
    SendResult sendQueries(const Device& device) override;
    SendResult sendSettings(const Device& device, const NetworkSettings& settings,
                            const Credentials& credentials) override;
    uint32_t lostSinceSearch() const override { return lost; }
    void stop() override { m_stopped = true; }
    DiscoveryEndpoint::State state() const override;
    uint16_t boundPort() const override { return 0; }

    void reply(std::vector<Device> devices);
    void answer(UpdateResult result);
    std::vector<Request> sentOf(Request::Kind kind) const;

    std::vector<Request> sent;
    SendResult sendResult{true, 0, {}, {}, {}};
    EndpointOpening opening{true, {}};
    uint32_t lost = 0; // back to 0 at every search, as the kernel's count is

private:
    EndpointHandlers m_handlers;
    bool m_stopped = false;
};

} // namespace ondrel::testing
