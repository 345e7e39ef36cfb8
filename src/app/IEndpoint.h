#pragma once
// The network as the session uses it: open, send the requests a user asks for, and report
// replies and answers through EndpointHandlers on a thread of its own. The program's is a
// DiscoveryEndpoint (NetworkEndpoint); a test hands in one that records what is sent and
// delivers the replies and answers it is told to.

#include "discovery/DiscoveryEndpoint.h"

#include <cstdint>
#include <string>

namespace ondrel {

// What opening gave: whether the session can work, and why its port could not be bound.
struct EndpointOpening {
    // Listening, or only the port was taken: requests can still go out. False when the
    // network cannot be used at all.
    bool usable = false;
    std::string bindFailure; // the failure's text when the port could not be bound
};

class IEndpoint {
public:
    virtual ~IEndpoint() = default;

    virtual EndpointOpening open() = 0;
    // Handlers run on the endpoint's own thread; they may be replaced at any time.
    virtual void setHandlers(EndpointHandlers handlers) = 0;
    virtual SendResult sendSearch() = 0;
    // The three queries that showing a device sends.
    virtual SendResult sendQueries(const Device& device) = 0;
    virtual SendResult sendSettings(const Device& device, const NetworkSettings& settings,
                                    const Credentials& credentials) = 0;
    // Replies dropped for want of buffer space since the last search.
    virtual uint32_t lostSinceSearch() const = 0;
    // No handler runs once this returns.
    virtual void stop() = 0;

    virtual DiscoveryEndpoint::State state() const = 0;
    virtual uint16_t boundPort() const = 0;
};

} // namespace ondrel
