#pragma once
// The tool's one network endpoint: the UDP socket, the receive thread and the request
// senders. Events reach the owner on the receive thread, one per datagram at most, in arrival
// order, through a plain callback, a typed handler that also names the adapter the datagram
// arrived on, or both.
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
// (LostSinceSearch) and hands the count along with every typed event, so that the owner can
// tell the user that the list is incomplete instead of showing it as if it were whole.

#include "core/AdapterRef.h"
#include "DeviceInfo.h"
#include "NetLinks.h"
#include "Protocol.h"

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

using SearchEventCallback = void (*)(int32_t code, int32_t length, const uint8_t* data,
                                     void* context);

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
};

inline constexpr std::string_view kNoAdapterText = "no network adapter is up: nothing was sent";

// One event as the typed handler sees it. Everything in it is valid only during the call.
struct EndpointEvent {
    uint16_t code = 0;             // kEvtSearchReply or kEvtSetConfigResult
    std::span<const uint8_t> data; // a DeviceInfo, or the 16-bit little-endian result
    AdapterRef adapter;            // where the datagram arrived; unknown for HandleDatagram
    uint32_t lostSinceSearch = 0;  // replies the kernel dropped since the last SendSearch
};

using EndpointEventHandler = std::function<void(const EndpointEvent&)>;

// Shown by the owner: the window as a message box, the CLI as an error line.
using BindFailureNotifier = std::function<void(std::string_view text, std::string_view caption)>;

inline constexpr std::string_view kBindFailureText = "bind failure";
inline constexpr std::string_view kBindFailureCaption = "Quillnet";

class UdpSocket;
class DatagramBatch;
enum class ReceiveStatus;

class CQuillnet {
public:
    enum class State { Constructed, Closed, Listening, Stopped };

    explicit CQuillnet(EndpointConfig config = {});
    virtual ~CQuillnet();
    CQuillnet(const CQuillnet&) = delete;
    CQuillnet& operator=(const CQuillnet&) = delete;

    void SetBindFailureNotifier(BindFailureNotifier notifier);

    // 1 on success, 0 on failure (a bind failure is reported through the notifier first).
    int Open();
    void SetCallback(SearchEventCallback callback, void* context);
    // Called for every event besides the plain callback; empty to remove. Same rules as the
    // callback: receive thread, one at a time, never while the endpoint holds a lock.
    void SetEventHandler(EndpointEventHandler handler);

    // Sends the search through every adapter and starts a new count of lost replies.
    SendResult SendSearch();
    // Through `via` only, if it is still up (and allowed); else through every adapter. The
    // record's account and password never leave in a query: the copy sent has them zeroed.
    SendResult SendDeviceQuery(uint16_t command, const DeviceInfo& record,
                               const AdapterRef& via = {});
    // Through `via` only, if it is still up (and allowed); else through every adapter. The
    // composed text, which holds the password, is wiped once sent.
    SendResult SendSetNetConfig(const DeviceInfo& record, const AdapterRef& via = {});

    // Classifies one datagram and raises at most one event. Returns 1.
    int HandleDatagram(const uint8_t* data, int32_t count);

    // Replies the kernel dropped for want of buffer space since the last SendSearch (since
    // Open before the first). Safe from any thread.
    uint32_t LostSinceSearch() const;
    // The receive buffer the kernel granted at Open, in bytes (0 before, or unknown).
    int ReceiveBufferBytes() const;

    // The interfaces a search goes out of now (the allow-list applied).
    NetLinks SendLinks() const;

    // Wakes the receive thread and joins it; no callback runs once this returns. Safe to
    // call more than once, and from the callback itself (then it only asks the loop to end;
    // no further callback follows the one that is running). The socket stays open, so
    // requests can still be sent; nothing is received any more.
    //
    // A callback that is running when Stop is called is waited for: Stop cannot interrupt
    // the owner's own code. An owner whose callback can block (for example on a call into
    // the user-interface thread) must be able to release that wait without the thread that
    // calls Stop, or release it before calling Stop; otherwise the two wait on each other.
    // The destructor stops the same way. Never destroy the endpoint from its own callback.
    void Stop();

    State GetState() const;
    uint16_t BoundPort() const; // the port actually bound (tests bind port 0)

private:
    struct Backlog; // datagrams taken off the socket, not yet handled
    struct LinkCache;
    struct Handlers;

    void ReceiveLoop();
    static unsigned ReceiveThreadProc(void* self);
    ReceiveStatus Take(DatagramBatch& batch, Backlog& backlog, int timeoutMs);
    void Handle(std::string_view text, uint32_t ifindex, uint32_t lost, LinkCache& cache);
    void Raise(const Handlers& handlers, uint16_t code, std::span<const uint8_t> data,
               const AdapterRef& adapter);
    Handlers TakeHandlers();
    bool BroadcastMode() const;
    std::shared_ptr<const NetLinks> RefreshLinks();
    std::shared_ptr<const NetLinks> CurrentLinks() const;
    SendResult SendPlain(const void* data, std::size_t length);
    SendResult SendThrough(const NetLinks& links, const void* data, std::size_t length);
    SendResult SendToDevice(const void* data, std::size_t length, const AdapterRef& via);
    uint32_t DropCounterNow() const;

    EndpointConfig m_config;
    // Set by a successful Open before the receive thread starts and kept until destruction,
    // so the receive thread and the senders read it without a lock.
    std::unique_ptr<UdpSocket> m_socket;
    std::atomic<uint32_t> m_stop{1};
    std::thread m_thread;
    // Lets Stop recognise a call from inside the callback, which must not join itself.
    std::atomic<std::thread::id> m_receiverId{};
    // Guards the callback pair, which the owner may replace while datagrams arrive; never
    // held while the callback runs.
    std::mutex m_callbackMutex;
    SearchEventCallback m_callback = nullptr;
    void* m_context = nullptr;
    std::shared_ptr<const EndpointEventHandler> m_handler;
    // The interfaces as last listed; replaced whole, read by both threads.
    mutable std::mutex m_linksMutex;
    std::shared_ptr<const NetLinks> m_links;
    // The socket's drop counter: the highest value seen on a datagram, and its value when the
    // current search began.
    std::atomic<uint32_t> m_dropsSeen{0};
    std::atomic<uint32_t> m_dropsAtSearch{0};
    std::atomic<int> m_receiveBufferBytes{0};
    // Serialises Open, Stop and the notifier between owner threads.
    std::mutex m_lifecycleMutex;
    BindFailureNotifier m_notifier;
    std::atomic<State> m_state{State::Constructed};
};

} // namespace ondrel
