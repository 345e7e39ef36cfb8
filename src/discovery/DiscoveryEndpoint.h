#pragma once
// The tool's one network endpoint: the UDP socket, the receive thread and the request
// senders. Events reach the owner on the receive thread, one per datagram at most, in arrival
// order, as typed events: devices decoded from search replies, and answers to settings requests.
//
// Every adapter: a search goes out once through each interface that is up, has carrier, can
// broadcast and is not loopback (IP_PKTINFO names it; Linux would otherwise use the default
// route's interface only). A request for one device goes out only through the adapter the
// device last answered on, and through every adapter only when that one is gone. When the
// destination is not the limited broadcast (tests on loopback with ports of their own, or a
// directed broadcast), each request is sent once, plainly, and the routing table decides.
//
// Bursts: the receive thread takes datagrams off the socket in batches and decodes and calls
// back only once the socket is empty (or a large backlog has built up), so that a burst of
// replies from many devices drains as fast as a bare receive loop. The kernel still drops what
// its buffer cannot hold; the endpoint counts those drops since the current search began
// (lostSinceSearch) and hands the count along with every typed event, so that the owner can
// tell the user that the list is incomplete instead of showing it as if it were whole.

#include "Protocol.h"
#include "UdpSocket.h"
#include "core/AdapterRef.h"
#include "core/Device.h"
#include "netinfo/NetLinks.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace ondrel {

// Where the endpoint binds and where it sends. Defaults are the protocol's; tests point both
// at loopback with ports of their own.
struct EndpointConfig {
    std::string bindAddress = "0.0.0.0";
    uint16_t bindPort = kToolPort;
    std::string destAddress = std::string(kBroadcastAddress);
    uint16_t destPort = kDevicePort;
    // Interface names that requests may leave by and replies may arrive on; empty: every
    // adapter. A reply that arrives on another interface is dropped.
    std::vector<std::string> interfaces = {};
    // Lists the PC's interfaces; empty: the system's. Tests inject a table of their own.
    NetLinkLister links = {};
    // The receive buffer to ask for, in bytes; 0: the large default. Inside the network lab
    // (ONDREL_NETLAB=1) ONDREL_RCVBUF caps it, so that a benchmark or test can reproduce the
    // buffer a stock desktop grants (net.core.rmem_max 212,992) without a change of code.
    int receiveBuffer = 0;
    // Decodes a search reply; empty: the protocol's decoder. Tests make it fail as an
    // exhausted heap would.
    std::function<Device(std::string_view)> decodeReply = {};
};

// Whether a request was handed to the network, and through which adapters.
struct SendResult {
    struct Refusal {
        std::string adapter; // interface name
        int error = 0;
        std::string reason; // "send to ...: Network is unreachable"
    };

    bool ok = false; // at least one adapter took it (or, sent plainly, the socket did)
    int error = 0;   // when nothing was sent: errno of the (last) failure
    std::string message;
    std::vector<std::string> sentOn; // adapters that took it; empty when sent plainly
    std::vector<Refusal> refusals;   // adapters that refused it, each with its reason
    explicit operator bool() const { return ok; }

    // One adapter's part: taken, or refused with its reason.
    void tally(const std::string& adapter, const SocketStatus& status) {
        if (status) {
            sentOn.push_back(adapter);
        } else {
            refusals.push_back({adapter, status.error, status.message});
        }
    }
    // Once every adapter had its part: whether one took it; if none did, error is the last
    // refusal's (the message is the caller's to word).
    bool settle() {
        ok = !sentOn.empty();
        if (!ok && !refusals.empty()) {
            error = refusals.back().error;
        }
        return ok;
    }
};

inline constexpr std::string_view kNoAdapterText = "no network adapter is up: nothing was sent";

// The receive buffer to ask for: `configured`, or the large default for 0; inside the network
// lab (ONDREL_NETLAB=1) capped by ONDREL_RCVBUF, so that the lab can play a stock desktop.
int receiveBufferRequest(int configured);

enum class UpdateResult { Accepted, Refused };

// A device's answer to a settings request. It names no device: the adapter it arrived on and
// its sender's address are all that is known of it. Only an answer from where the device's
// search reply came from, on its adapter, is handed on; others are counted (ignoredAnswers).
struct UpdateAnswer {
    UpdateResult result = UpdateResult::Refused;
    AdapterRef adapter;
    Ipv4 source;
};

// Answers to settings requests that came from another host than the device asked, or on another
// adapter, since the endpoint opened: ignored, the wait goes on.
struct IgnoredAnswers {
    uint32_t count = 0;
    std::vector<Ipv4> sources; // each sender once, in order of arrival (at most a few)
};

// "ignored 1 answer from another host (10.77.0.66)"; empty when none was ignored.
std::string ignoredAnswersText(const IgnoredAnswers& ignored);

// What the endpoint tells its owner, on the receive thread, in arrival order. Search replies
// come in batches (every reply decoded since the last batch, exact repeats included: the
// owner's list knows which devices it has); an update answer comes after the replies that
// arrived before it. lostSinceSearch: replies lost since the last sendSearch (dropped by the
// kernel, or left undecoded for want of memory).
// Handlers must return quickly and must never wait for the thread that stops the endpoint.
struct EndpointHandlers {
    std::function<void(std::vector<Device>&& replies, uint32_t lostSinceSearch)> searchReplies;
    std::function<void(const UpdateAnswer& answer, uint32_t lostSinceSearch)> updateAnswer;
};

// Shown by the owner: the window as a message box with a caption of its own, the CLI as an
// error line.
using BindFailureNotifier = std::function<void(std::string_view text)>;

inline constexpr std::string_view kBindFailureText = "bind failure";

class DiscoveryEndpoint {
public:
    enum class State { Constructed, Closed, Listening, Stopped };

    explicit DiscoveryEndpoint(EndpointConfig config = {});
    ~DiscoveryEndpoint();
    DiscoveryEndpoint(const DiscoveryEndpoint&) = delete;
    DiscoveryEndpoint& operator=(const DiscoveryEndpoint&) = delete;

    void setBindFailureNotifier(BindFailureNotifier notifier);
    // May be replaced at any time; a batch already taken is delivered to the handlers it was
    // taken with.
    void setHandlers(EndpointHandlers handlers);

    // Binds and starts the receive thread. False on failure (a bind failure is reported
    // through the notifier first).
    bool open();

    // Sends the search through every adapter and starts a new count of lost replies.
    SendResult sendSearch();
    // One device query (kCmdQuery1..3) carrying the device's record as received, through the
    // adapter it answered on if that is still up (and allowed), else through every adapter.
    SendResult sendQuery(uint16_t command, const Device& device);
    // The three queries a selection sends, in order; the last refusal wins the result.
    SendResult sendQueries(const Device& device);
    // A settings request for the device, through its adapter as a query goes. The composed
    // text, which holds the password, is wiped once sent.
    SendResult sendSettings(const Device& device, const NetworkSettings& settings,
                            const Credentials& credentials);

    // Classifies one datagram as if it had arrived from `source` with no adapter known, and
    // raises at most one event, on the calling thread.
    void handleDatagram(std::span<const uint8_t> datagram, Ipv4 source = {});

    IgnoredAnswers ignoredAnswers() const;

    // Replies lost since the last sendSearch (since open before the first): those the kernel
    // dropped for want of buffer space, and those dropped for want of memory to decode them.
    // Safe from any thread.
    uint32_t lostSinceSearch() const;
    // The receive buffer the kernel granted at open, in bytes (0 before, or unknown).
    int receiveBufferBytes() const;

    // The interfaces a search goes out of now (the allow-list applied).
    NetLinks sendLinks() const;

    // Wakes the receive thread and joins it; no handler runs once this returns. Safe to call
    // more than once, and from a handler itself (then it only asks the loop to end). The
    // socket stays open, so requests can still be sent; nothing is received any more.
    // A handler that is running when stop is called is waited for: a handler must never wait
    // for the thread that calls stop. The destructor stops the same way. Never destroy the
    // endpoint from its own handler.
    void stop();

    State state() const;
    uint16_t boundPort() const; // the port actually bound (tests bind port 0)

private:
    struct Backlog; // datagrams taken off the socket, not yet handled
    struct LinkCache;
    struct Delivery; // events decoded in one stretch, not yet handed over

    void receiveLoop();
    ReceiveStatus take(DatagramBatch& batch, Backlog& backlog, int timeoutMs);
    void handle(std::string_view text, uint32_t ifindex, Ipv4 source, LinkCache& cache,
                Delivery& out);
    // Whether an update answer comes from the device last asked (counted when it does not).
    bool fromAskedDevice(uint32_t ifindex, Ipv4 source);
    void handleOrCount(std::string_view text, uint32_t ifindex, Ipv4 source, LinkCache& cache,
                       Delivery& out);
    void deliver(Delivery& out, uint32_t lost);
    std::shared_ptr<const EndpointHandlers> currentHandlers() const;
    bool broadcastMode() const;
    std::shared_ptr<const NetLinks> refreshLinks();
    std::shared_ptr<const NetLinks> currentLinks() const;
    SendResult sendPlain(std::span<const uint8_t> bytes);
    SendResult sendThrough(const NetLinks& links, std::span<const uint8_t> bytes);
    SendResult sendToDevice(std::span<const uint8_t> bytes, const AdapterRef& via);
    uint32_t dropCounterNow() const;

    EndpointConfig m_config;
    // Set by a successful open before the receive thread starts and kept until destruction,
    // so the receive thread and the senders read it without a lock.
    std::unique_ptr<UdpSocket> m_socket;
    std::atomic<bool> m_stop{true};
    std::thread m_thread;
    // Lets stop recognise a call from inside a handler, which must not join itself.
    std::atomic<std::thread::id> m_receiverId{};
    // Guards the handlers, which the owner may replace while datagrams arrive; never held
    // while a handler runs.
    mutable std::mutex m_handlersMutex;
    std::shared_ptr<const EndpointHandlers> m_handlers;
    // The interfaces as last listed; replaced whole, read by both threads.
    mutable std::mutex m_linksMutex;
    std::shared_ptr<const NetLinks> m_links;
    // The socket's drop counter: the highest value seen on a datagram, and its value when the
    // current search began.
    std::atomic<uint32_t> m_dropsSeen{0};
    std::atomic<uint32_t> m_dropsAtSearch{0};
    // Datagrams dropped because memory ran out while they were decoded, and when the current
    // search began.
    std::atomic<uint32_t> m_undecoded{0};
    std::atomic<uint32_t> m_undecodedAtSearch{0};
    std::atomic<int> m_receiveBufferBytes{0};
    // The device the last settings request went to: where its answer must come from (a source
    // of 0: a device that never answered a search here, whose answer cannot be told apart).
    mutable std::mutex m_askedMutex;
    Ipv4 m_askedSource;
    uint32_t m_askedIfindex = 0;
    IgnoredAnswers m_ignored;
    // Serialises open, stop and the notifier between owner threads.
    std::mutex m_lifecycleMutex;
    BindFailureNotifier m_notifier;
    std::atomic<State> m_state{State::Constructed};
};

} // namespace ondrel
