#include "CQuillnet.h"

#include "CPacket.h"
#include "DatagramBatch.h"
#include "ReplyParser.h"
#include "core/SecureWipe.h"
#include "SetNetConfig.h"
#include "UdpSocket.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <span>
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

// The receive buffer to ask for: the configured or large default, capped inside the network
// lab by ONDREL_RCVBUF so that the lab can play a stock desktop.
int ReceiveBufferRequest(const EndpointConfig& config) {
    int bytes = config.receiveBuffer > 0 ? config.receiveBuffer : UdpSocket::kLargeReceiveBuffer;
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

std::string Joined(const std::vector<SendResult::Refusal>& refusals) {
    std::string text;
    for (const SendResult::Refusal& r : refusals) {
        text += (text.empty() ? "" : "; ") + r.adapter + ": " + r.reason;
    }
    return text;
}

} // namespace

struct CQuillnet::Handlers {
    SearchEventCallback callback = nullptr;
    void* context = nullptr;
    std::shared_ptr<const EndpointEventHandler> handler;
    uint32_t lost = 0;
    bool Any() const { return callback != nullptr || handler != nullptr; }
};

CQuillnet::CQuillnet(EndpointConfig config) : m_config(std::move(config)) {}

CQuillnet::~CQuillnet() {
    Stop();
    m_socket.reset();
}

void CQuillnet::SetBindFailureNotifier(BindFailureNotifier notifier) {
    std::lock_guard lock(m_lifecycleMutex);
    m_notifier = std::move(notifier);
}

int CQuillnet::Open() {
    std::lock_guard lock(m_lifecycleMutex);
    const State state = m_state.load();
    if (state == State::Listening) {
        return 1;
    }
    if (state == State::Stopped) {
        return 0; // the receive thread is never restarted
    }
    auto socket = std::make_unique<UdpSocket>();
    if (!socket->Create() || !socket->EnableBroadcast()) {
        m_state.store(State::Closed);
        return 0;
    }
    // Best effort: with the system's default buffer a burst from many devices overflows it.
    m_receiveBufferBytes.store(socket->RaiseReceiveBuffer(ReceiveBufferRequest(m_config)));
    // Best effort too: without them replies name no adapter and losses go uncounted.
    socket->EnablePacketInfo();
    socket->EnableDropCounter();
    if (!socket->Bind(m_config.bindAddress, m_config.bindPort)) {
        if (m_notifier) {
            m_notifier(kBindFailureText, kBindFailureCaption);
        }
        socket->Close();
        m_state.store(State::Closed);
        return 0;
    }
    m_socket = std::move(socket);
    m_dropsAtSearch.store(DropCounterNow());
    RefreshLinks();
    m_stop.store(0);
    // Listening is published before the thread starts, so that a loop ending at once on a
    // socket error leaves the state at Stopped rather than being overwritten.
    m_state.store(State::Listening);
    try {
        m_thread = std::thread([this] { ReceiveThreadProc(this); });
    } catch (const std::system_error&) {
        // Requests can still go out; nothing will be received.
        m_stop.store(1);
        m_state.store(State::Stopped);
        return 0;
    }
    return 1;
}

void CQuillnet::SetCallback(SearchEventCallback callback, void* context) {
    std::lock_guard lock(m_callbackMutex);
    m_callback = callback;
    m_context = context;
}

void CQuillnet::SetEventHandler(EndpointEventHandler handler) {
    auto shared =
        handler ? std::make_shared<const EndpointEventHandler>(std::move(handler)) : nullptr;
    std::lock_guard lock(m_callbackMutex);
    m_handler = std::move(shared);
}

CQuillnet::Handlers CQuillnet::TakeHandlers() {
    std::lock_guard lock(m_callbackMutex);
    return Handlers{m_callback, m_context, m_handler, 0};
}

bool CQuillnet::BroadcastMode() const {
    const std::optional<Ipv4> dest = parseIpv4(m_config.destAddress);
    return dest && dest->bits == 0xFFFFFFFFu;
}

std::shared_ptr<const NetLinks> CQuillnet::RefreshLinks() {
    auto links =
        std::make_shared<const NetLinks>(m_config.links ? m_config.links() : ListSystemLinks());
    std::lock_guard lock(m_linksMutex);
    m_links = links;
    return links;
}

std::shared_ptr<const NetLinks> CQuillnet::CurrentLinks() const {
    std::lock_guard lock(m_linksMutex);
    return m_links ? m_links : std::make_shared<const NetLinks>();
}

NetLinks CQuillnet::SendLinks() const {
    const NetLinks links = m_config.links ? m_config.links() : ListSystemLinks();
    return SelectSendLinks(links, m_config.interfaces);
}

uint32_t CQuillnet::DropCounterNow() const {
    if (m_socket) {
        if (const std::optional<uint32_t> now = m_socket->DropCount()) {
            return *now;
        }
    }
    return m_dropsSeen.load();
}

uint32_t CQuillnet::LostSinceSearch() const {
    // Both are readings of one counter that only grows; unsigned subtraction survives its
    // wrap-around.
    return DropCounterNow() - m_dropsAtSearch.load();
}

int CQuillnet::ReceiveBufferBytes() const {
    return m_receiveBufferBytes.load();
}

SendResult CQuillnet::SendSearch() {
    m_dropsAtSearch.store(DropCounterNow());
    CPacket packet;
    int32_t length = 0;
    const uint8_t* data = packet.Build(kCmdSearch, 0, nullptr, 0, length);
    if (!BroadcastMode()) {
        return SendPlain(data, static_cast<std::size_t>(length));
    }
    const std::shared_ptr<const NetLinks> links = RefreshLinks();
    return SendThrough(SelectSendLinks(*links, m_config.interfaces), data,
                       static_cast<std::size_t>(length));
}

SendResult CQuillnet::SendDeviceQuery(uint16_t command, const DeviceInfo& record,
                                      const AdapterRef& via) {
    uint8_t copy[sizeof(DeviceInfo)];
    std::memcpy(copy, &record, sizeof copy);
    // A query is broadcast on the LAN: it must not carry the viewing account and password
    // that a record prepared for an update holds.
    std::memset(copy + offsetof(DeviceInfo, User), 0, sizeof record.User);
    std::memset(copy + offsetof(DeviceInfo, Password), 0, sizeof record.Password);
    CPacket packet;
    int32_t length = 0;
    const uint8_t* data = packet.Build(command, 0, copy, sizeof copy, length);
    if (data == nullptr || length <= 0) {
        return {false, EINVAL, "the device query could not be framed", {}, {}};
    }
    return SendToDevice(data, static_cast<std::size_t>(length), via);
}

SendResult CQuillnet::SendSetNetConfig(const DeviceInfo& record, const AdapterRef& via) {
    SetConfigBuffer text;
    const std::size_t length = ComposeSetNetConfig(record, text);
    if (length == 0) {
        SecureWipe(text.data(), text.size());
        return {false, EINVAL, "the settings request could not be composed", {}, {}};
    }
    SendResult result = SendToDevice(text.data(), length, via);
    SecureWipe(text.data(), text.size());
    return result;
}

SendResult CQuillnet::SendToDevice(const void* data, std::size_t length, const AdapterRef& via) {
    if (!BroadcastMode()) {
        return SendPlain(data, length);
    }
    const std::shared_ptr<const NetLinks> links = RefreshLinks();
    const NetLinks selected = SelectSendLinks(*links, m_config.interfaces);
    if (via.Known()) {
        const NetLink* same =
            !via.name.empty() ? FindLink(selected, 0, via.name) : FindLink(selected, via.ifindex);
        if (same != nullptr) {
            return SendThrough(NetLinks{*same}, data, length);
        }
    }
    // The device's adapter is gone (or was never known): it may answer on another now.
    return SendThrough(selected, data, length);
}

SendResult CQuillnet::SendPlain(const void* data, std::size_t length) {
    if (!m_socket || !m_socket->IsOpen()) {
        return {false, EBADF, "the endpoint has no open socket; nothing was sent", {}, {}};
    }
    const SocketStatus status =
        m_socket->SendTo(m_config.destAddress, m_config.destPort,
                         std::span<const uint8_t>(static_cast<const uint8_t*>(data), length));
    return {status.ok(), status.error, status.message, {}, {}};
}

SendResult CQuillnet::SendThrough(const NetLinks& links, const void* data, std::size_t length) {
    SendResult result;
    if (!m_socket || !m_socket->IsOpen()) {
        return {false, EBADF, "the endpoint has no open socket; nothing was sent", {}, {}};
    }
    if (links.empty()) {
        result.error = ENETDOWN;
        result.message = m_config.interfaces.empty()
                             ? std::string(kNoAdapterText)
                             : "none of the chosen network adapters is up: nothing was sent";
        return result;
    }
    const auto bytes = std::span<const uint8_t>(static_cast<const uint8_t*>(data), length);
    for (const NetLink& link : links) {
        const SocketStatus status =
            m_socket->SendVia(link.ifindex, 0xFFFFFFFFu, m_config.destPort, bytes);
        if (status) {
            result.sentOn.push_back(link.name);
        } else {
            result.refusals.push_back({link.name, status.error, status.message});
        }
    }
    result.ok = !result.sentOn.empty();
    if (!result.ok) {
        result.error = result.refusals.back().error;
        result.message = "no network adapter took the request: " + Joined(result.refusals);
    }
    return result;
}

void CQuillnet::Raise(const Handlers& handlers, uint16_t code, std::span<const uint8_t> data,
                      const AdapterRef& adapter) {
    if (handlers.callback != nullptr) {
        handlers.callback(code, static_cast<int32_t>(data.size()), data.data(), handlers.context);
    }
    if (handlers.handler) {
        (*handlers.handler)(EndpointEvent{code, data, adapter, handlers.lost});
    }
}

int CQuillnet::HandleDatagram(const uint8_t* data, int32_t count) {
    if (data == nullptr || count <= 0) {
        return 1;
    }
    const std::string_view text = ReplyText(data, static_cast<std::size_t>(count));
    const ReplyClass reply = ClassifyReply(text);
    if (reply.kind == ReplyKind::Dropped) {
        return 1;
    }
    Handlers handlers = TakeHandlers();
    if (!handlers.Any()) {
        return 1; // nobody to tell: the event is dropped, the loop goes on
    }
    handlers.lost = LostSinceSearch();
    if (reply.kind == ReplyKind::SearchReply) {
        CPacket packet;
        uint16_t length = 0;
        const uint8_t* record = packet.ParseSearchReply(text, length);
        Raise(handlers, kEvtSearchReply, std::span<const uint8_t>(record, length), {});
    } else {
        LeU16 result{};
        result = reply.result;
        Raise(handlers, kEvtSetConfigResult, std::span<const uint8_t>(result.b), {});
    }
    return 1;
}

// Datagrams taken off the socket and not yet handled, in arrival order, their bytes packed
// one after the other.
struct CQuillnet::Backlog {
    struct Arrival {
        std::size_t offset = 0;
        std::size_t length = 0;
        uint32_t ifindex = 0;
    };
    std::vector<Arrival> arrivals;
    std::vector<uint8_t> bytes;
    std::size_t next = 0; // the first one not yet handled

    std::size_t Pending() const { return arrivals.size() - next; }

    // Forgets what was handled, so that a flood that never lets the socket run empty does not
    // grow the backlog without end; gives back the room a burst took.
    void Trim() {
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
struct CQuillnet::LinkCache {
    std::shared_ptr<const NetLinks> links;
    std::chrono::steady_clock::time_point lastRelist{};
};

ReceiveStatus CQuillnet::Take(DatagramBatch& batch, Backlog& backlog, int timeoutMs) {
    const BatchResult got = m_socket->ReceiveMany(batch, timeoutMs);
    switch (got.status) {
    case ReceiveStatus::Ok:
        for (std::size_t i = 0; i < batch.Size(); ++i) {
            const Datagram& d = batch[i];
            if (d.hasDropCounter) {
                m_dropsSeen.store(d.dropCounter);
            }
            // Any host can send a cut or empty datagram; it must not end discovery.
            if (d.truncated || d.bytes.empty()) {
                continue;
            }
            backlog.arrivals.push_back({backlog.bytes.size(), d.bytes.size(), d.ifindex});
            backlog.bytes.insert(backlog.bytes.end(), d.bytes.begin(), d.bytes.end());
        }
        break;
    case ReceiveStatus::Woken:
    case ReceiveStatus::Error:
        m_stop.store(1);
        break;
    case ReceiveStatus::TimedOut:
    case ReceiveStatus::Truncated:
    case ReceiveStatus::Empty:
        break;
    }
    return got.status;
}

void CQuillnet::Handle(std::string_view text, uint32_t ifindex, uint32_t lost, LinkCache& cache) {
    const ReplyClass reply = ClassifyReply(text);
    if (reply.kind == ReplyKind::Dropped) {
        return;
    }
    const NetLink* link = FindLink(*cache.links, ifindex);
    const auto now = std::chrono::steady_clock::now();
    if (link == nullptr && ifindex != 0 && now - cache.lastRelist >= kRelistEvery) {
        cache.lastRelist = now;
        cache.links = RefreshLinks();
        link = FindLink(*cache.links, ifindex);
    }
    if (!m_config.interfaces.empty() &&
        (link == nullptr || std::find(m_config.interfaces.begin(), m_config.interfaces.end(),
                                      link->name) == m_config.interfaces.end())) {
        return; // not from an adapter the user chose
    }
    Handlers handlers = TakeHandlers();
    if (!handlers.Any()) {
        return; // nobody to tell: the event is dropped, the loop goes on
    }
    handlers.lost = lost;
    AdapterRef adapter;
    adapter.ifindex = ifindex;
    if (reply.kind == ReplyKind::SearchReply) {
        const DeviceInfo record = DecodeSearchReply(text);
        if (link != nullptr) {
            adapter = AdapterOf(*link, parseIpv4(FieldText(record.IP)));
        }
        Raise(handlers, kEvtSearchReply,
              std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(&record), sizeof record),
              adapter);
    } else {
        if (link != nullptr) {
            adapter = AdapterOf(*link);
        }
        LeU16 result{};
        result = reply.result;
        Raise(handlers, kEvtSetConfigResult, std::span<const uint8_t>(result.b), adapter);
    }
}

void CQuillnet::ReceiveLoop() {
    m_receiverId.store(std::this_thread::get_id());
    DatagramBatch batch;
    Backlog backlog;
    LinkCache cache{CurrentLinks(), {}};
    while (m_stop.load() == 0) {
        if (backlog.Pending() == 0) {
            backlog.Trim();
            if (Take(batch, backlog, -1) != ReceiveStatus::Ok) {
                continue;
            }
        }
        // The socket first: whatever has queued meanwhile is taken off before the next
        // stretch of decoding and callbacks, so that the kernel's buffer never waits on them.
        while (backlog.Pending() < kBacklog && Take(batch, backlog, 0) == ReceiveStatus::Ok) {
        }
        const uint32_t lost = LostSinceSearch();
        cache.links = CurrentLinks(); // a search may have listed them again
        for (std::size_t k = 0; k < kHandleBetweenLooks && backlog.Pending() > 0; ++k) {
            // A stop that arrived while these were taken wins over the rest of them.
            if (m_stop.load() != 0) {
                break;
            }
            const Backlog::Arrival& a = backlog.arrivals[backlog.next++];
            Handle(ReplyText(backlog.bytes.data() + a.offset, a.length), a.ifindex, lost, cache);
        }
        backlog.Trim();
    }
    m_state.store(State::Stopped);
}

unsigned CQuillnet::ReceiveThreadProc(void* self) {
    if (self != nullptr) {
        static_cast<CQuillnet*>(self)->ReceiveLoop();
    }
    return 0;
}

void CQuillnet::Stop() {
    if (m_receiverId.load() == std::this_thread::get_id()) {
        // From inside the callback: the socket exists (the thread runs only after Open set
        // it), and the loop ends when the callback returns. Taking the lock here could wait
        // on an owner thread that is itself joining this one.
        m_stop.store(1);
        m_socket->Wake();
        return;
    }
    std::lock_guard lock(m_lifecycleMutex);
    m_stop.store(1);
    if (m_socket) {
        m_socket->Wake();
    }
    if (m_thread.joinable()) {
        m_thread.join();
        m_receiverId.store(std::thread::id());
    }
    if (m_state.load() == State::Listening) {
        m_state.store(State::Stopped);
    }
}

CQuillnet::State CQuillnet::GetState() const {
    return m_state.load();
}

uint16_t CQuillnet::BoundPort() const {
    return m_socket ? m_socket->LocalPort() : 0;
}

} // namespace ondrel
