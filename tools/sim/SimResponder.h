#pragma once
// What the simulated devices do with one request, apart from any socket: which datagrams go
// back, in which order, and how each device's state changes. Time is passed in, so a restart
// can be followed without waiting for it.

#include "ReplyComposer.h"
#include "RequestParser.h"
#include "SimDevice.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace ondrel::sim {

struct ResponderOptions {
    std::vector<Fault> faults; // sent once each, ahead of the replies to every search
    uint32_t duplicates = 0;   // extra copies of every device's reply
    // Compose every reply once, ahead of the first search, so that a burst goes out without
    // composing time between datagrams; AppUpTime then stays at its value when composed.
    bool precompose = false;
};

struct Response {
    std::vector<std::string> datagrams;                                // in sending order
    nlohmann::ordered_json outcome = nlohmann::ordered_json::object(); // added to the log entry
};

class SimResponder {
public:
    using Clock = std::chrono::steady_clock;

    SimResponder(std::vector<SimDevice> devices, ResponderOptions options, Clock::time_point start);

    Response handle(const SimRequest& request, Clock::time_point now);

    const std::vector<SimDevice>& devices() const { return m_devices; }
    // For the ONVIF device service, which changes a camera's settings in its own way.
    SimDevice& device(std::size_t index) { return m_devices[index]; }
    // The camera goes silent for its restart delay and then answers with its current settings.
    void restart(std::size_t index, Clock::time_point now);
    bool isRestarting(std::size_t index, Clock::time_point now) const;
    uint64_t searchCount() const { return m_searches; }

private:
    struct State {
        Clock::time_point bootedAt; // end of the last restart; uptime counts from here
        std::string reply;          // when precomposed
    };

    Response onSearch(Clock::time_point now);
    Response onSetConfig(const SimRequest& request, Clock::time_point now);
    Response onQuery(const SimRequest& request) const;
    // Empty when the request's values can be applied, else why the device refuses them.
    static std::string validate(const SimRequest& request);
    static void apply(const SimRequest& request, SimDevice& device);
    std::string replyOf(std::size_t index, Clock::time_point now) const;

    std::vector<SimDevice> m_devices;
    std::vector<State> m_states;
    ResponderOptions m_options;
    uint64_t m_searches = 0;
};

} // namespace ondrel::sim
