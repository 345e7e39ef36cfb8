#include "DiscoveryEndpoint.h"

#include "DatagramBatch.h"
#include "DeviceInfo.h"
#include "DeviceRecord.h"
#include "Framing.h"
#include "ReplyParser.h"
#include "SetNetConfig.h"
#include "UdpSocket.h"
#include "core/SecureWipe.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <span>
#include <stdexcept>
#include <string_view>
#include <system_error>
#include <utility>

namespace ondrel {

namespace {

// Datagrams taken off the socket but not yet handled, at most: enough to hold a burst while
// its first replies are decoded, few enough that a flood cannot grow memory without bound.
constexpr std::size_t kBacklog = 4096;
// Replies decoded and handed over between two looks at the socket: a few hundred
// microseconds of work, well within what even a stock receive buffer holds.
constexpr std::size_t kHandleBetweenLooks = 64;
// Room kept for the backlog between bursts; a larger one is given back.
constexpr std::size_t kBacklogKeep = 256 * 1024;
// A reply from an interface not yet listed makes the receive thread list them again, but not
// more often than this, whatever a stray sender does.
constexpr auto kRelistEvery = std::chrono::milliseconds(200);

std::string joined(const std::vector<SendResult::Refusal>& refusals) {
    std::string text;
    for (const SendResult::Refusal& r : refusals) {
        text += (text.empty() ? "" : "; ") + r.adapter + ": " + r.reason;
    }
    return text;
}

} // namespace

// Events decoded in one stretch of handling, handed over together.
struct DiscoveryEndpoint::Delivery {
    std::vector<Device> replies;
    // On the receive thread a stop asked for meanwhile (from a handler too) wins over what is
    // not yet handed over; a datagram handed in by the owner is always reported.
    bool stopWins = true;
};

int receiveBufferRequest(int configured) {
    int bytes = configured > 0 ? configured : UdpSocket::kLargeReceiveBuffer;
    const char* lab = std::getenv("ONDREL_NETLAB");
    const char* cap = std::getenv("ONDREL_RCVBUF");
    if (lab != nullptr && std::string_view(lab) == "1" && cap != nullptr) {
        char* end = nullptr;
        const long parsed = std::strtol(cap, &end, 10);
        if (end != cap && *end == '\0' && parsed > 0) {
            bytes = static_cast<int>(std::min<long>(bytes, parsed));
        }
    }
    return bytes;
}

DiscoveryEndpoint::DiscoveryEndpoint(EndpointConfig config) : m_config(std::move(config)) {}

DiscoveryEndpoint::~DiscoveryEndpoint() {
    stop();
    m_socket.reset();
}

void DiscoveryEndpoint::setBindFailureNotifier(BindFailureNotifier notifier) {
    std::lock_guard lock(m_lifecycleMutex);
    m_notifier = std::move(notifier);
}

bool DiscoveryEndpoint::open() {
    std::lock_guard lock(m_lifecycleMutex);
    const State state = m_state.load();
    if (state == State::Listening) {
        return true;
    }
    if (state == State::Stopped) {
        return false; // the receive thread is never restarted
    }
    auto socket = std::make_unique<UdpSocket>();
    if (!socket->create() || !socket->enableBroadcast()) {
        m_state.store(State::Closed);
        return false;
    }
    // Best effort: with the system's default buffer a burst from many devices overflows it.
    m_receiveBufferBytes.store(
        socket->raiseReceiveBuffer(receiveBufferRequest(m_config.receiveBuffer)));
    // Best effort too: without them replies name no adapter and losses go uncounted.
    socket->enablePacketInfo();
    socket->enableDropCounter();
    // Shared with our other programs (the window and a script's ondrel-cli at once): devices
    // answer by broadcast, which reaches every socket that shares the port. A program that
    // holds the port without sharing it still makes this bind fail.
    socket->enableAddressReuse();
    if (!socket->bind(m_config.bindAddress, m_config.bindPort)) {
        if (m_notifier) {
            m_notifier(kBindFailureText);
        }
        socket->close();
        m_state.store(State::Closed);
        return false;
    }
    m_socket = std::move(socket);
    m_dropsAtSearch.store(dropCounterNow());
    m_undecodedAtSearch.store(m_undecoded.load());
    refreshLinks();
    m_stop.store(false);
    // Listening is published before the thread starts, so that a loop ending at once on a
    // socket error leaves the state at Stopped rather than being overwritten.
    m_state.store(State::Listening);
    try {
        m_thread = std::thread([this] { receiveLoop(); });
    } catch (const std::system_error&) {
        // Requests can still go out; nothing will be received.
        m_stop.store(true);
        m_state.store(State::Stopped);
        return false;
    }
    return true;
}

void DiscoveryEndpoint::setHandlers(EndpointHandlers handlers) {
    auto shared = std::make_shared<const EndpointHandlers>(std::move(handlers));
    std::lock_guard lock(m_handlersMutex);
    m_handlers = std::move(shared);
}

std::shared_ptr<const EndpointHandlers> DiscoveryEndpoint::currentHandlers() const {
    std::lock_guard lock(m_handlersMutex);
    return m_handlers;
}

bool DiscoveryEndpoint::broadcastMode() const {
    const std::optional<Ipv4> dest = parseIpv4(m_config.destAddress);
    return dest && dest->bits == 0xFFFFFFFFu;
}

std::shared_ptr<const NetLinks> DiscoveryEndpoint::refreshLinks() {
    auto links =
        std::make_shared<const NetLinks>(m_config.links ? m_config.links() : listSystemLinks());
    std::lock_guard lock(m_linksMutex);
    m_links = links;
    return links;
}

std::shared_ptr<const NetLinks> DiscoveryEndpoint::currentLinks() const {
    std::lock_guard lock(m_linksMutex);
    return m_links ? m_links : std::make_shared<const NetLinks>();
}

NetLinks DiscoveryEndpoint::sendLinks() const {
    const NetLinks links = m_config.links ? m_config.links() : listSystemLinks();
    return selectSendLinks(links, m_config.interfaces);
}

uint32_t DiscoveryEndpoint::dropCounterNow() const {
    if (m_socket) {
        if (const std::optional<uint32_t> now = m_socket->dropCount()) {
            return *now;
        }
    }
    return m_dropsSeen.load();
}

uint32_t DiscoveryEndpoint::lostSinceSearch() const {
    // Both are readings of one counter that only grows; unsigned subtraction survives its
    // wrap-around.
    return dropCounterNow() - m_dropsAtSearch.load() +
           (m_undecoded.load() - m_undecodedAtSearch.load());
}

int DiscoveryEndpoint::receiveBufferBytes() const {
    return m_receiveBufferBytes.load();
}

SendResult DiscoveryEndpoint::sendSearch() {
    m_dropsAtSearch.store(dropCounterNow());
    m_undecodedAtSearch.store(m_undecoded.load());
    const std::optional<Frame> frame = frameRequest(kCmdSearch);
    if (!broadcastMode()) {
        return sendPlain(frame->view());
    }
    const std::shared_ptr<const NetLinks> links = refreshLinks();
    return sendThrough(selectSendLinks(*links, m_config.interfaces), frame->view());
}

SendResult DiscoveryEndpoint::sendQuery(uint16_t command, const Device& device) {
    // A query is broadcast on the LAN: it must never carry a viewing account or password,
    // whatever a record was once prepared for.
    DeviceInfo record = recordOf(device);
    secureWipe(record.user);
    secureWipe(record.password);
    const std::optional<Frame> frame =
        frameRequest(command, std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(&record),
                                                       sizeof record));
    if (!frame) {
        return {false, EINVAL, "the device query could not be framed", {}, {}};
    }
    return sendToDevice(frame->view(), device.adapter);
}

SendResult DiscoveryEndpoint::sendQueries(const Device& device) {
    SendResult result;
    for (const uint16_t command : {kCmdQuery1, kCmdQuery2, kCmdQuery3}) {
        SendResult one = sendQuery(command, device);
        if (!one || !result.refusals.empty() || result.sentOn.empty()) {
            result = std::move(one);
        }
    }
    return result;
}

SendResult DiscoveryEndpoint::sendSettings(const Device& device, const NetworkSettings& settings,
                                           const Credentials& credentials) {
    DeviceInfo record = settingsRecord(device, settings, credentials);
    SetConfigBuffer text;
    const std::size_t length = composeSetNetConfig(record, text);
    secureWipe(record.user);
    secureWipe(record.password);
    if (length == 0) {
        secureWipe(text.data(), text.size());
        return {false, EINVAL, "the settings request could not be composed", {}, {}};
    }
    {
        const std::lock_guard lock(m_askedMutex);
        m_askedSource = device.source;
        m_askedIfindex = device.adapter.ifindex;
    }
    SendResult result = sendToDevice(
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), length),
        device.adapter);
    secureWipe(text.data(), text.size());
    return result;
}

SendResult DiscoveryEndpoint::sendToDevice(std::span<const uint8_t> bytes, const AdapterRef& via) {
    if (!broadcastMode()) {
        return sendPlain(bytes);
    }
    const std::shared_ptr<const NetLinks> links = refreshLinks();
    const NetLinks selected = selectSendLinks(*links, m_config.interfaces);
    if (via.known()) {
        const NetLink* same =
            !via.name.empty() ? findLink(selected, 0, via.name) : findLink(selected, via.ifindex);
        if (same != nullptr) {
            return sendThrough(NetLinks{*same}, bytes);
        }
    }
    // The device's adapter is gone (or was never known): it may answer on another now.
    return sendThrough(selected, bytes);
}

SendResult DiscoveryEndpoint::sendPlain(std::span<const uint8_t> bytes) {
    if (!m_socket || !m_socket->isOpen()) {
        return {false, EBADF, "the endpoint has no open socket; nothing was sent", {}, {}};
    }
    const SocketStatus status = m_socket->sendTo(m_config.destAddress, m_config.destPort, bytes);
    return {status.ok(), status.error, status.message, {}, {}};
}

SendResult DiscoveryEndpoint::sendThrough(const NetLinks& links, std::span<const uint8_t> bytes) {
    SendResult result;
    if (!m_socket || !m_socket->isOpen()) {
        return {false, EBADF, "the endpoint has no open socket; nothing was sent", {}, {}};
    }
    if (links.empty()) {
        result.error = ENETDOWN;
        result.message = m_config.interfaces.empty()
                             ? std::string(kNoAdapterText)
                             : "none of the chosen network adapters is up: nothing was sent";
        return result;
    }
    for (const NetLink& link : links) {
        result.tally(link.name,
                     m_socket->sendVia(link.ifindex, 0xFFFFFFFFu, m_config.destPort, bytes));
    }
    if (!result.settle()) {
        result.message = "no network adapter took the request: " + joined(result.refusals);
    }
    return result;
}

void DiscoveryEndpoint::deliver(Delivery& out, uint32_t lost) {
    if (out.replies.empty() || (out.stopWins && m_stop.load())) {
        return;
    }
    const std::shared_ptr<const EndpointHandlers> handlers = currentHandlers();
    if (handlers && handlers->searchReplies) {
        handlers->searchReplies(std::move(out.replies), lost);
    }
    out.replies = {};
}

// Datagrams taken off the socket and not yet handled, in arrival order, their bytes packed
// one after the other.
struct DiscoveryEndpoint::Backlog {
    struct Arrival {
        std::size_t offset = 0;
        std::size_t length = 0;
        uint32_t ifindex = 0;
        uint32_t source = 0;
    };
    std::vector<Arrival> arrivals;
    std::vector<uint8_t> bytes;
    std::size_t next = 0; // the first one not yet handled

    std::size_t pending() const { return arrivals.size() - next; }

    // Forgets what was handled, so that a flood that never lets the socket run empty does not
    // grow the backlog without end; gives back the room a burst took.
    void trim() {
        if (next == arrivals.size()) {
            arrivals.clear();
            bytes.clear();
            next = 0;
            if (bytes.capacity() > kBacklogKeep) {
                std::vector<uint8_t>().swap(bytes);
                std::vector<Arrival>().swap(arrivals);
            }
        } else if (next >= kBacklog) {
            const std::size_t cut = arrivals[next].offset;
            bytes.erase(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut));
            arrivals.erase(arrivals.begin(), arrivals.begin() + static_cast<std::ptrdiff_t>(next));
            for (Arrival& a : arrivals) {
                a.offset -= cut;
            }
            next = 0;
        }
    }
};

// The interfaces as the receive thread last looked them up.
struct DiscoveryEndpoint::LinkCache {
    std::shared_ptr<const NetLinks> links;
    std::chrono::steady_clock::time_point lastRelist{};
};

ReceiveStatus DiscoveryEndpoint::take(DatagramBatch& batch, Backlog& backlog, int timeoutMs) {
    const BatchResult got = m_socket->receiveMany(batch, timeoutMs);
    switch (got.status) {
    case ReceiveStatus::Ok:
        for (std::size_t i = 0; i < batch.size(); ++i) {
            const Datagram& d = batch[i];
            if (d.hasDropCounter) {
                m_dropsSeen.store(d.dropCounter);
            }
            // Any host can send a cut or empty datagram; it must not end discovery.
            if (d.truncated || d.bytes.empty()) {
                continue;
            }
            backlog.arrivals.push_back({backlog.bytes.size(), d.bytes.size(), d.ifindex, d.source});
            backlog.bytes.insert(backlog.bytes.end(), d.bytes.begin(), d.bytes.end());
        }
        break;
    case ReceiveStatus::Woken:
    case ReceiveStatus::Error:
        m_stop.store(true);
        break;
    case ReceiveStatus::TimedOut:
    case ReceiveStatus::Truncated:
    case ReceiveStatus::Empty:
        break;
    }
    return got.status;
}

void DiscoveryEndpoint::handle(std::string_view text, uint32_t ifindex, Ipv4 source,
                               LinkCache& cache, Delivery& out) {
    const ReplyClass reply = classifyReply(text);
    if (reply.kind == ReplyKind::Dropped) {
        return;
    }
    const NetLink* link = findLink(*cache.links, ifindex);
    const auto now = std::chrono::steady_clock::now();
    if (link == nullptr && ifindex != 0 && now - cache.lastRelist >= kRelistEvery) {
        cache.lastRelist = now;
        cache.links = refreshLinks();
        link = findLink(*cache.links, ifindex);
    }
    if (!m_config.interfaces.empty() &&
        (link == nullptr || std::find(m_config.interfaces.begin(), m_config.interfaces.end(),
                                      link->name) == m_config.interfaces.end())) {
        return; // not from an adapter the user chose
    }
    AdapterRef adapter;
    adapter.ifindex = ifindex;
    if (reply.kind == ReplyKind::SearchReply) {
        Device device = m_config.decodeReply ? m_config.decodeReply(text) : decodeSearchReply(text);
        if (link != nullptr) {
            adapter = adapterOf(*link, device.ip.value);
        }
        device.adapter = std::move(adapter);
        device.source = source;
        out.replies.push_back(std::move(device));
        return;
    }
    // Anyone on the LAN can write to our port while a set request waits: a refusal (or an
    // acceptance) from another host must not end the wait.
    if (!fromAskedDevice(ifindex, source)) {
        return;
    }
    if (link != nullptr) {
        adapter = adapterOf(*link);
    }
    // The answer follows every reply that arrived before it.
    const uint32_t lost = lostSinceSearch();
    deliver(out, lost);
    const std::shared_ptr<const EndpointHandlers> handlers = currentHandlers();
    if (handlers && handlers->updateAnswer && !(out.stopWins && m_stop.load())) {
        const UpdateAnswer answer{reply.result == 0 ? UpdateResult::Accepted
                                                    : UpdateResult::Refused,
                                  std::move(adapter), source};
        handlers->updateAnswer(answer, lost);
    }
}

// Memory running out while one datagram is read is that datagram's loss, counted with those
// the kernel dropped; the listener goes on with the next.
void DiscoveryEndpoint::handleOrCount(std::string_view text, uint32_t ifindex, Ipv4 source,
                                      LinkCache& cache, Delivery& out) {
    try {
        handle(text, ifindex, source, cache, out);
    } catch (const std::bad_alloc&) {
        ++m_undecoded;
    } catch (const std::length_error&) {
        ++m_undecoded;
    }
}

bool DiscoveryEndpoint::fromAskedDevice(uint32_t ifindex, Ipv4 source) {
    constexpr std::size_t kSourcesKept = 8;
    const std::lock_guard lock(m_askedMutex);
    if (m_askedSource.isUnspecified() ||
        (source == m_askedSource &&
         (m_askedIfindex == 0 || ifindex == 0 || ifindex == m_askedIfindex))) {
        return true;
    }
    ++m_ignored.count;
    if (m_ignored.sources.size() < kSourcesKept &&
        std::find(m_ignored.sources.begin(), m_ignored.sources.end(), source) ==
            m_ignored.sources.end()) {
        m_ignored.sources.push_back(source);
    }
    return false;
}

IgnoredAnswers DiscoveryEndpoint::ignoredAnswers() const {
    const std::lock_guard lock(m_askedMutex);
    return m_ignored;
}

std::string ignoredAnswersText(const IgnoredAnswers& ignored) {
    if (ignored.count == 0) {
        return {};
    }
    std::string hosts;
    for (const Ipv4& source : ignored.sources) {
        hosts += (hosts.empty() ? "" : ", ") + source.text();
    }
    const bool one = ignored.count == 1;
    return "ignored " + std::to_string(ignored.count) + (one ? " answer" : " answers") + " from " +
           (ignored.sources.size() == 1 ? "another host" : "other hosts") + " (" + hosts + ")";
}

void DiscoveryEndpoint::receiveLoop() {
    m_receiverId.store(std::this_thread::get_id());
    DatagramBatch batch;
    Backlog backlog;
    LinkCache cache{currentLinks(), {}};
    while (!m_stop.load()) {
        if (backlog.pending() == 0) {
            backlog.trim();
            if (take(batch, backlog, -1) != ReceiveStatus::Ok) {
                continue;
            }
        }
        // The socket first: whatever has queued meanwhile is taken off before the next
        // stretch of decoding and callbacks, so that the kernel's buffer never waits on them.
        while (backlog.pending() < kBacklog && take(batch, backlog, 0) == ReceiveStatus::Ok) {
        }
        cache.links = currentLinks(); // a search may have listed them again
        Delivery out;
        out.replies.reserve(std::min(backlog.pending(), kHandleBetweenLooks));
        for (std::size_t k = 0; k < kHandleBetweenLooks && backlog.pending() > 0; ++k) {
            // A stop that arrived while these were taken wins over the rest of them.
            if (m_stop.load()) {
                break;
            }
            const Backlog::Arrival& a = backlog.arrivals[backlog.next++];
            handleOrCount(replyText(backlog.bytes.data() + a.offset, a.length), a.ifindex,
                          Ipv4{a.source}, cache, out);
        }
        deliver(out, lostSinceSearch());
        backlog.trim();
    }
    m_state.store(State::Stopped);
}

void DiscoveryEndpoint::stop() {
    if (m_receiverId.load() == std::this_thread::get_id()) {
        // From inside a handler: the socket exists (the thread runs only after open set
        // it), and the loop ends when the handler returns. Taking the lock here could wait
        // on an owner thread that is itself joining this one.
        m_stop.store(true);
        m_socket->wake();
        return;
    }
    std::lock_guard lock(m_lifecycleMutex);
    m_stop.store(true);
    if (m_socket) {
        m_socket->wake();
    }
    if (m_thread.joinable()) {
        m_thread.join();
        m_receiverId.store(std::thread::id());
    }
    if (m_state.load() == State::Listening) {
        m_state.store(State::Stopped);
    }
}

DiscoveryEndpoint::State DiscoveryEndpoint::state() const {
    return m_state.load();
}

uint16_t DiscoveryEndpoint::boundPort() const {
    return m_socket ? m_socket->localPort() : 0;
}

void DiscoveryEndpoint::handleDatagram(std::span<const uint8_t> datagram, Ipv4 source) {
    LinkCache cache{std::make_shared<const NetLinks>(), {}};
    Delivery out;
    out.stopWins = false;
    handleOrCount(replyText(datagram.data(), datagram.size()), 0, source, cache, out);
    deliver(out, lostSinceSearch());
}

} // namespace ondrel
