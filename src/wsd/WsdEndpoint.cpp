#include "WsdEndpoint.h"

#include "discovery/DatagramBatch.h"
#include "discovery/UdpSocket.h"

#include <poll.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <deque>
#include <mutex>
#include <new>
#include <set>
#include <stdexcept>
#include <system_error>
#include <thread>

namespace ondrel::wsd {

namespace {

// Our probes' message ids, the latest first: answers to a search a few searches back still
// count, and a stranger's answers never grow the set.
constexpr std::size_t kRememberedProbes = 64;
// One byte more than a message may have, so that a larger datagram arrives cut and is refused.
constexpr std::size_t kSlotBytes = wsd::kMaxMessageBytes + 1;
constexpr std::size_t kSlots = 16;
// Cameras decoded between two handovers, at most, while a burst is drained.
constexpr std::size_t kHandOverEvery = 256;
constexpr auto kRelistEvery = std::chrono::milliseconds(200);

bool isMulticast(uint32_t address) {
    return (address >> 28) == 0xE;
}

bool allowed(const NetLink& link, const std::vector<std::string>& allow) {
    return allow.empty() || std::find(allow.begin(), allow.end(), link.name) != allow.end();
}

// The adapters a probe leaves by: up, with carrier, able to multicast, with an IPv4 address.
NetLinks probeLinks(const NetLinks& links, const std::vector<std::string>& allow) {
    NetLinks chosen;
    for (const NetLink& link : links) {
        const bool up = (link.flags & kLinkUp) != 0;
        const bool carrier = (link.flags & (kLinkRunning | kLinkLowerUp)) != 0;
        const bool multicast = (link.flags & kLinkMulticast) != 0;
        const bool excluded = (link.flags & (kLinkLoopback | kLinkSlave)) != 0;
        if (up && carrier && multicast && !excluded && !link.addresses.empty() &&
            link.ifindex != 0 && allowed(link, allow)) {
            chosen.push_back(link);
        }
    }
    return chosen;
}

std::span<const uint8_t> bytesOf(const std::string& text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

} // namespace

struct WsdEndpoint::State {
    WsdConfig config;
    UdpSocket probe;
    UdpSocket listener;
    WsdOpening opening;
    bool opened = false;
    uint32_t group = parseIpv4(wsd::kMulticastAddress)->bits;

    std::mutex lifecycleMutex; // open and stop, between owner threads
    std::thread thread;
    std::atomic<bool> stop{true};
    std::atomic<std::thread::id> receiverId{};

    mutable std::mutex handlersMutex;
    std::shared_ptr<const WsdHandlers> handlers;
    mutable std::mutex linksMutex;
    std::shared_ptr<const NetLinks> links;
    mutable std::mutex probesMutex;
    std::deque<std::string> probeIds;
    // Probes go out one adapter at a time with IP_MULTICAST_IF set for each: never two at once.
    std::mutex sendMutex;
    std::set<uint32_t> joined; // interfaces the listener joined the group on

    std::atomic<uint32_t> dropsSeen{0};
    std::atomic<uint32_t> dropsAtProbe{0};
    // Datagrams dropped because memory ran out while they were read, and when the current
    // search began.
    std::atomic<uint32_t> undecoded{0};
    std::atomic<uint32_t> undecodedAtProbe{0};
    std::atomic<int> receiveBuffer{0};

    struct LinkCache {
        std::shared_ptr<const NetLinks> links;
        std::chrono::steady_clock::time_point lastRelist{};
    };

    explicit State(WsdConfig c) : config(std::move(c)) {}

    std::shared_ptr<const NetLinks> refreshLinks() {
        auto now =
            std::make_shared<const NetLinks>(config.links ? config.links() : listSystemLinks());
        std::lock_guard lock(linksMutex);
        links = now;
        return now;
    }
    std::shared_ptr<const NetLinks> currentLinks() const {
        std::lock_guard lock(linksMutex);
        return links ? links : std::make_shared<const NetLinks>();
    }
    std::shared_ptr<const WsdHandlers> currentHandlers() const {
        std::lock_guard lock(handlersMutex);
        return handlers;
    }
    uint32_t dropCounterNow() const { return probe.dropCount().value_or(dropsSeen.load()); }
    void remember(const std::string& id) {
        std::lock_guard lock(probesMutex);
        probeIds.push_front(id);
        if (probeIds.size() > kRememberedProbes) {
            probeIds.pop_back();
        }
    }
    bool ours(const std::string& relatesTo) const {
        std::lock_guard lock(probesMutex);
        return !relatesTo.empty() &&
               std::find(probeIds.begin(), probeIds.end(), relatesTo) != probeIds.end();
    }

    // Joins the group on every adapter a probe would leave by that has not been joined yet,
    // so that an adapter plugged in later hears Hellos from the next search on. Only a
    // listener on the wildcard address joins: one bound to a single address is a test's.
    void joinGroups(const NetLinks& chosen) {
        if (!opening.listening || config.listenAddress != "0.0.0.0") {
            return;
        }
        for (const NetLink& link : chosen) {
            if (joined.count(link.ifindex) != 0) {
                continue;
            }
            const SocketStatus status = listener.joinGroup(group, link.ifindex);
            if (status || status.error == EADDRINUSE) {
                joined.insert(link.ifindex);
            }
        }
    }

    void open();
    void receiveLoop();
    bool drain(UdpSocket& socket, DatagramBatch& batch, LinkCache& cache,
               std::vector<Device>& found);
    void handle(const Datagram& datagram, LinkCache& cache, std::vector<Device>& found);
    void handleOrCount(const Datagram& datagram, LinkCache& cache, std::vector<Device>& found);
    void handOver(std::vector<Device>& found);
};

void WsdEndpoint::State::open() {
    opened = true;
    SocketStatus status = probe.create();
    if (status) {
        // Best effort, as for our own protocol's socket: a burst of answers must wait in the
        // kernel, each interface must be named, and every loss counted.
        receiveBuffer.store(probe.raiseReceiveBuffer(receiveBufferRequest(config.receiveBuffer)));
        probe.enablePacketInfo();
        probe.enableDropCounter();
        status = probe.bind("0.0.0.0", 0);
    }
    if (!status) {
        probe.close();
        opening.listenFailure = status.message;
        return;
    }
    opening.probing = true;
    if (config.listen) {
        status = listener.create();
        if (status) {
            listener.raiseReceiveBuffer(receiveBufferRequest(0));
            listener.enablePacketInfo();
            status = listener.enableAddressReuse();
        }
        if (status) {
            status = listener.bind(config.listenAddress, config.listenPort);
        }
        if (status) {
            opening.listening = true;
        } else {
            listener.close();
            opening.listenFailure = status.message;
        }
    }
    {
        std::lock_guard lock(sendMutex);
        joinGroups(probeLinks(*refreshLinks(), config.interfaces));
    }
    dropsAtProbe.store(dropCounterNow());
    stop.store(false);
    try {
        thread = std::thread([this] { receiveLoop(); });
    } catch (const std::system_error&) {
        // Probes still go out; nothing comes back.
        stop.store(true);
    }
}

void WsdEndpoint::State::handOver(std::vector<Device>& found) {
    if (found.empty() || stop.load()) {
        return;
    }
    const std::shared_ptr<const WsdHandlers> h = currentHandlers();
    if (h && h->camerasFound) {
        h->camerasFound(std::move(found));
    }
    found = {};
}

void WsdEndpoint::State::handle(const Datagram& datagram, LinkCache& cache,
                                std::vector<Device>& found) {
    if (datagram.truncated || datagram.bytes.empty()) {
        return; // larger than any message we read, or nothing at all
    }
    const std::string_view bytes(reinterpret_cast<const char*>(datagram.bytes.data()),
                                 datagram.bytes.size());
    wsd::Decoded decoded = config.decode ? config.decode(bytes) : wsd::decodeMessage(bytes);
    wsd::Message* message = std::get_if<wsd::Message>(&decoded);
    if (message == nullptr || message->kind == wsd::MessageKind::Probe ||
        (message->kind == wsd::MessageKind::ProbeMatches && !ours(message->relatesTo))) {
        return;
    }
    const NetLink* link = findLink(*cache.links, datagram.ifindex);
    const auto now = std::chrono::steady_clock::now();
    if (link == nullptr && datagram.ifindex != 0 && now - cache.lastRelist >= kRelistEvery) {
        cache.lastRelist = now;
        cache.links = refreshLinks();
        link = findLink(*cache.links, datagram.ifindex);
    }
    if (!config.interfaces.empty() && (link == nullptr || !allowed(*link, config.interfaces))) {
        return;
    }
    AdapterRef adapter;
    adapter.ifindex = datagram.ifindex;
    if (link != nullptr) {
        adapter = adapterOf(*link);
    }
    if (message->kind == wsd::MessageKind::Bye) {
        // What arrived before the Bye is handed over before it.
        handOver(found);
        const std::shared_ptr<const WsdHandlers> h = currentHandlers();
        for (const wsd::Match& match : message->matches) {
            if (h && h->cameraLeft && !stop.load()) {
                h->cameraLeft(match.endpoint, adapter);
            }
        }
        return;
    }
    const Ipv4 source{datagram.source};
    for (const wsd::Match& match : message->matches) {
        if (!wsd::isCamera(match)) {
            continue;
        }
        Device device = wsd::cameraDevice(match, adapter, source);
        // An adapter with several addresses: the one whose subnet holds the camera.
        if (link != nullptr) {
            const AdapterRef better = adapterOf(*link, device.ip.value);
            if (better != adapter) {
                device = wsd::cameraDevice(match, better, source);
            }
        }
        device.announced = message->kind == wsd::MessageKind::Hello;
        found.push_back(std::move(device));
    }
}

// Memory running out while one datagram is read is that datagram's loss, counted with those
// the kernel dropped; the listener goes on with the next. The cameras of earlier datagrams
// stay in `found`.
void WsdEndpoint::State::handleOrCount(const Datagram& datagram, LinkCache& cache,
                                       std::vector<Device>& found) {
    try {
        handle(datagram, cache, found);
    } catch (const std::bad_alloc&) {
        ++undecoded;
    } catch (const std::length_error&) {
        ++undecoded;
    }
}

bool WsdEndpoint::State::drain(UdpSocket& socket, DatagramBatch& batch, LinkCache& cache,
                               std::vector<Device>& found) {
    const BatchResult got = socket.receiveMany(batch, 0);
    if (got.status == ReceiveStatus::Woken || got.status == ReceiveStatus::Error) {
        stop.store(true);
        return false;
    }
    if (got.status != ReceiveStatus::Ok) {
        return false;
    }
    for (std::size_t i = 0; i < batch.size() && !stop.load(); ++i) {
        if (&socket == &probe && batch[i].hasDropCounter) {
            dropsSeen.store(batch[i].dropCounter);
        }
        handleOrCount(batch[i], cache, found);
        if (found.size() >= kHandOverEvery) {
            handOver(found);
        }
    }
    return true;
}

void WsdEndpoint::State::receiveLoop() {
    receiverId.store(std::this_thread::get_id());
    DatagramBatch batch(kSlots, kSlotBytes);
    LinkCache cache{currentLinks(), {}};
    std::vector<Device> found;
    while (!stop.load()) {
        pollfd fds[3] = {{probe.nativeHandle(), POLLIN, 0},
                         {probe.wakeHandle(), POLLIN, 0},
                         {listener.nativeHandle(), POLLIN, 0}};
        const nfds_t count = opening.listening ? 3 : 2;
        if (SocketSyscalls::current().poll(fds, count, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        if ((fds[1].revents & POLLIN) != 0) {
            break;
        }
        cache.links = currentLinks(); // a search may have listed them again
        // Both sockets until neither has anything left, then what was found goes over at once.
        for (bool more = true; more && !stop.load();) {
            more = drain(probe, batch, cache, found);
            if (opening.listening) {
                more = drain(listener, batch, cache, found) || more;
            }
        }
        handOver(found);
    }
    stop.store(true);
}

WsdEndpoint::WsdEndpoint(WsdConfig config) : m_state(std::make_unique<State>(std::move(config))) {}

WsdEndpoint::~WsdEndpoint() {
    stop();
}

void WsdEndpoint::setHandlers(WsdHandlers handlers) {
    auto shared = std::make_shared<const WsdHandlers>(std::move(handlers));
    std::lock_guard lock(m_state->handlersMutex);
    m_state->handlers = std::move(shared);
}

WsdOpening WsdEndpoint::open() {
    std::lock_guard lock(m_state->lifecycleMutex);
    if (!m_state->opened) {
        m_state->open();
    }
    return m_state->opening;
}

SendResult WsdEndpoint::sendProbes() {
    State& s = *m_state;
    std::lock_guard lock(s.sendMutex);
    if (!s.opening.probing) {
        return {false, EBADF, "the WS-Discovery socket is not open; nothing was sent", {}, {}};
    }
    s.dropsAtProbe.store(s.dropCounterNow());
    s.undecodedAtProbe.store(s.undecoded.load());
    std::vector<std::string> probes;
    for (const wsd::ProbeType type :
         {wsd::ProbeType::NetworkVideoTransmitter, wsd::ProbeType::Device}) {
        const std::string id = wsd::newMessageId();
        // Known before it leaves: an answer may come back before the send returns.
        s.remember(id);
        probes.push_back(wsd::probeMessage(id, type));
    }
    const std::optional<Ipv4> destination = parseIpv4(s.config.probeAddress);
    if (!destination) {
        return {false, EINVAL, "no IPv4 address to probe: " + s.config.probeAddress, {}, {}};
    }
    SendResult result;
    if (!isMulticast(destination->bits)) {
        result.ok = true;
        for (const std::string& probe : probes) {
            const SocketStatus status =
                s.probe.sendTo(destination->bits, s.config.probePort, bytesOf(probe));
            if (!status) {
                result = {false, status.error, status.message, {}, {}};
            }
        }
        return result;
    }
    const NetLinks chosen = probeLinks(*s.refreshLinks(), s.config.interfaces);
    s.joinGroups(chosen);
    if (chosen.empty()) {
        return {false, ENETDOWN, std::string(kNoAdapterText), {}, {}};
    }
    for (const NetLink& link : chosen) {
        SocketStatus status = s.probe.setMulticastInterface(link.ifindex);
        for (std::size_t i = 0; status && i < probes.size(); ++i) {
            status = s.probe.sendTo(destination->bits, s.config.probePort, bytesOf(probes[i]));
        }
        result.tally(link.name, status);
    }
    if (!result.settle()) {
        result.message = "no network adapter took the probe: " + result.refusals.back().reason;
    }
    return result;
}

uint32_t WsdEndpoint::lostSinceProbe() const {
    // Readings of one counter that only grows; unsigned subtraction survives its wrap-around.
    return m_state->dropCounterNow() - m_state->dropsAtProbe.load() +
           (m_state->undecoded.load() - m_state->undecodedAtProbe.load());
}

int WsdEndpoint::receiveBufferBytes() const {
    return m_state->receiveBuffer.load();
}

uint16_t WsdEndpoint::listenPort() const {
    return m_state->opening.listening ? m_state->listener.localPort() : 0;
}

void WsdEndpoint::stop() {
    State& s = *m_state;
    if (s.receiverId.load() == std::this_thread::get_id()) {
        // From inside a handler: the loop ends when it returns; joining here would wait on
        // itself.
        s.stop.store(true);
        s.probe.wake();
        return;
    }
    std::lock_guard lock(s.lifecycleMutex);
    s.stop.store(true);
    s.probe.wake();
    if (s.thread.joinable()) {
        s.thread.join();
        s.receiverId.store(std::thread::id());
    }
}

} // namespace ondrel::wsd
