#pragma once
// The search session both front ends run: our protocol's DiscoveryEndpoint and, beside it,
// WS-Discovery's sockets (wsd::WsdEndpoint), which find cameras and hear them come and go. It opens
// them and says in words what failed, sends a search as both protocols' searches and says what
// each sent, counts what each lost, and hands on their typed events. The window adapts it to
// queued signals (EndpointEvents), the CLI to a blocking loop (BlockingSession); neither opens
// an endpoint of its own. Everything else a user asks goes to our devices only, since a camera
// found by WS-Discovery alone has no record to name it by.

#include "IEndpoint.h"
#include "wsd/WsdEndpoint.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace ondrel {

class DeviceList;

// One search as each protocol sent it; a protocol not searched has none.
struct SearchSent {
    std::optional<SendResult> ours;
    std::optional<SendResult> probes;
    // Both in one, as combinedSearch says.
    SendResult combined() const;
};

// What came of the searches since the latest one went out, each protocol on its own: the
// replies handed on, and those the kernel dropped for want of buffer space.
struct SearchTally {
    uint64_t replies = 0;
    uint64_t cameras = 0;
    uint32_t lostReplies = 0;
    uint32_t lostCameras = 0;
    // The lost ones that may have come from devices the list does not hold yet.
    uint32_t unlisted(const DeviceList& listed) const;
    // Whether this round has heard, taken or lost, at least one reply per listed device of
    // each protocol: before that, its burst may still be on its way, and a loss the kernel
    // reports only with the next datagram may be to come.
    bool heardAsManyAsListed(const DeviceList& listed) const;
};

class SearchSession final : public IEndpoint {
public:
    // protocols: which searches a search sends and which sockets are opened: ours only with
    // Native, WS-Discovery's only with Onvif. WS-Discovery's links and adapters, when wsd
    // names none, are config's.
    explicit SearchSession(EndpointConfig config, wsd::WsdConfig wsd = {},
                           Protocols protocols = Protocols::Both);
    ~SearchSession() override;
    SearchSession(const SearchSession&) = delete;
    SearchSession& operator=(const SearchSession&) = delete;

    // Without a probing socket, WS-Discovery is left out of every later search.
    EndpointOpening open() override;
    void setHandlers(SessionHandlers handlers) override;
    SendResult sendSearch() override { return search().combined(); }
    // The search, each protocol's send apart; the tally starts over.
    SearchSent search();
    SendResult sendQueries(const Device& device) override { return m_endpoint.sendQueries(device); }
    SendResult sendSettings(const Device& device, const NetworkSettings& settings,
                            const Credentials& credentials) override {
        return m_endpoint.sendSettings(device, settings, credentials);
    }
    uint32_t lostSinceSearch() const override;
    SearchTally tally() const;
    // Why our protocol's answers stopped coming, in words; empty while they can come.
    std::string receiveProblem() const;
    void stop() override;
    DiscoveryEndpoint::State state() const override { return m_endpoint.state(); }
    uint16_t boundPort() const override { return m_endpoint.boundPort(); }
    // Settings answers that came from another host than the device asked.
    IgnoredAnswers ignoredAnswers() const { return m_endpoint.ignoredAnswers(); }
    // Whether searches probe for cameras (WS-Discovery asked for and its socket open).
    bool searchesCameras() const { return m_cameras != nullptr; }
    // The port Hello and Bye are heard on (tests bind port 0); 0 when nobody listens.
    uint16_t listenPort() const { return m_cameras ? m_cameras->listenPort() : 0; }

private:
    void openOurs(EndpointOpening& opening);
    void openCameras(EndpointOpening& opening);

    const bool m_native;
    const bool m_onvif;
    const wsd::WsdConfig m_wsdConfig;
    DiscoveryEndpoint m_endpoint;
    // Null: WS-Discovery is not searched. Only open drops it, before its thread runs.
    std::unique_ptr<wsd::WsdEndpoint> m_cameras;
    // Counted on the receive threads, started over by each search.
    std::atomic<uint64_t> m_replies{0};
    std::atomic<uint64_t> m_camerasFound{0};
};

// One search's result from our protocol's send and WS-Discovery's: sent when either went out,
// through every adapter either took, with every refusal; a send that failed whole while the
// other went out is one more refusal, so that the user still learns of it.
SendResult combinedSearch(SendResult ours, SendResult probes);

} // namespace ondrel
