#pragma once
// The network as a front end's session uses it: open, send the requests a user asks for, and
// report replies, answers and cameras through SessionHandlers on threads of its own. The
// program's is a SearchSession (our protocol's DiscoveryEndpoint with WS-Discovery's sockets
// beside it); a window test hands in one that records what is sent and delivers the replies,
// answers and cameras it is told to.

#include "discovery/DiscoveryEndpoint.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ondrel {

// What opening gave: whether the session can work, why a port could not be taken, and the
// same in words for a front end that prints them.
struct EndpointOpening {
    // Listening, or only the port was taken: requests can still go out. False when the
    // network cannot be used at all.
    bool usable = false;
    std::string bindFailure; // the failure's text when the port could not be bound
    // Why Hello and Bye cannot be heard, when they were to be: searches still find cameras.
    std::string listenFailure;
    // Why no answer to a search can come ("bind failure", ...): a front end that waits for
    // answers stops here. Empty when answers can come.
    std::string error = {};
    // What the searches will miss, each a sentence of its own ("Port 3702 is in use: ...").
    std::vector<std::string> warnings = {};
};

// Our protocol's events, and what WS-Discovery's sockets hear: cameras that answered a probe
// or said Hello, and a camera's endpoint reference when it said Bye (with the adapter the Bye
// came by). Each runs on the thread of the socket that heard it, in arrival order.
struct SessionHandlers : EndpointHandlers {
    std::function<void(std::vector<Device>&& cameras, uint32_t lostSinceSearch)> camerasFound;
    std::function<void(const std::string& endpoint, const AdapterRef& adapter)> cameraLeft;
};

class IEndpoint {
public:
    virtual ~IEndpoint() = default;

    virtual EndpointOpening open() = 0;
    // Handlers run on the endpoint's own thread; they may be replaced at any time.
    virtual void setHandlers(SessionHandlers handlers) = 0;
    // Our own search and, unless the session was given our protocol only, WS-Discovery's
    // probes.
    virtual SendResult sendSearch() = 0;
    // The three queries that showing a device sends.
    virtual SendResult sendQueries(const Device& device) = 0;
    virtual SendResult sendSettings(const Device& device, const NetworkSettings& settings,
                                    const Credentials& credentials) = 0;
    // Replies and matches dropped for want of buffer space since the last search.
    virtual uint32_t lostSinceSearch() const = 0;
    // No handler runs once this returns.
    virtual void stop() = 0;

    virtual DiscoveryEndpoint::State state() const = 0;
    virtual uint16_t boundPort() const = 0;
};

} // namespace ondrel
