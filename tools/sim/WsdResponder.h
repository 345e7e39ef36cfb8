#pragma once
// What the simulated cameras do with a WS-Discovery datagram, apart from any socket. A Probe
// that asks for nothing, or only for what a camera is (NetworkVideoTransmitter, Device), gets
// a ProbeMatches from every camera that is not restarting, each after a random delay of its own
// of up to maxDelay, as cameras spread their answers so that a thousand do not arrive at once.
// Every other message (a Hello, a Bye, an answer to someone else's probe) is only logged.
// Chance comes from a seed and the time is passed in, so that a test can follow both.

#include "SimResponder.h"
#include "WsdComposer.h"
#include "wsd/WsDiscovery.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace ondrel::sim {

struct WsdOptions {
    bool quirks = false; // the shapes of WsdQuirks; else every camera writes the plain one
    std::chrono::milliseconds maxDelay{500};
    uint64_t seed = 0;          // of the delays and the message ids
    uint64_t instanceId = 0;    // AppSequence's: this run of the simulator
    bool linkLocal = false;     // every camera lists its link-local address after its own
    bool noMacScope = false;    // no camera names its MAC in a scope
    bool shortMacScope = false; // every camera names it in MAC/, as many real ones do
};

// A message to send once its delay has passed.
struct WsdMessage {
    std::chrono::milliseconds delay{0};
    std::string bytes;
    // The camera's own address, which its answer leaves from where the simulator holds it
    // (host order; 0: the socket's own), as a camera on the wire answers from its address.
    uint32_t from = 0;
};

struct WsdResponse {
    std::vector<WsdMessage> answers;
    // For the log: kind (probe, probematches, hello, bye, unknown), decoded, and what the
    // cameras did (answered, restarting) or why the datagram was not read (note).
    nlohmann::ordered_json entry = nlohmann::ordered_json::object();
};

class WsdResponder {
public:
    using Clock = SimResponder::Clock;

    // devices: the simulated devices and their restarts, shared with our own protocol, so
    // that a camera given a new address answers with it.
    WsdResponder(const SimResponder& devices, WsdOptions options);

    WsdResponse handle(std::string_view datagram, Clock::time_point now);
    // One Hello from every camera, each after a random delay of its own.
    std::vector<WsdMessage> hellos();
    // One camera's Hello, after a restart.
    std::string hello(std::size_t index);
    // One Bye from every camera, at once: the simulator is on its way out.
    std::vector<std::string> byes();
    uint64_t probeCount() const { return m_probes; }

    // Whether a camera answers a probe for these types: none, or each one of its own two.
    static bool asksForCameras(const std::vector<wsd::QualifiedName>& types);

private:
    WsdTarget targetOf(std::size_t index) const;
    AppSequence nextSequence(std::size_t index);
    std::string nextMessageId();
    std::chrono::milliseconds nextDelay();

    const SimResponder& m_devices;
    WsdOptions m_options;
    std::vector<WsdShape> m_shapes;
    std::vector<uint64_t> m_messageNumbers;
    std::mt19937_64 m_random;
    uint64_t m_probes = 0;
};

} // namespace ondrel::sim
