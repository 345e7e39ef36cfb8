#include "CQuillnet.h"

#include "CPacket.h"
#include "ReplyParser.h"
#include "SetNetConfig.h"
#include "UdpSocket.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <span>
#include <system_error>
#include <utility>

namespace ondrel {

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
    socket->RaiseReceiveBuffer();
    if (!socket->Bind(m_config.bindAddress, m_config.bindPort)) {
        if (m_notifier) {
            m_notifier(kBindFailureText, kBindFailureCaption);
        }
        socket->Close();
        m_state.store(State::Closed);
        return 0;
    }
    m_socket = std::move(socket);
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

SendResult CQuillnet::SendSearch() {
    CPacket packet;
    int32_t length = 0;
    const uint8_t* data = packet.Build(kCmdSearch, 0, nullptr, 0, length);
    return SendBytes(data, static_cast<std::size_t>(length));
}

SendResult CQuillnet::SendDeviceQuery(uint16_t command, const DeviceInfo& record) {
    uint8_t copy[sizeof(DeviceInfo)];
    std::memcpy(copy, &record, sizeof copy);
    CPacket packet;
    int32_t length = 0;
    const uint8_t* data = packet.Build(command, 0, copy, sizeof copy, length);
    if (data == nullptr || length <= 0) {
        return {false, EINVAL, "the device query could not be framed"};
    }
    return SendBytes(data, static_cast<std::size_t>(length));
}

SendResult CQuillnet::SendSetNetConfig(const DeviceInfo& record) {
    SetConfigBuffer text;
    const std::size_t length = ComposeSetNetConfig(record, text);
    if (length == 0) {
        return {false, EINVAL, "the settings request could not be composed"};
    }
    return SendBytes(text.data(), length);
}

SendResult CQuillnet::SendBytes(const void* data, std::size_t length) {
    if (!m_socket || !m_socket->IsOpen()) {
        return {false, EBADF, "the endpoint has no open socket; nothing was sent"};
    }
    const SocketStatus status =
        m_socket->SendTo(m_config.destAddress, m_config.destPort,
                         std::span<const uint8_t>(static_cast<const uint8_t*>(data), length));
    return {status.ok(), status.error, status.message};
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
    SearchEventCallback callback = nullptr;
    void* context = nullptr;
    {
        std::lock_guard lock(m_callbackMutex);
        callback = m_callback;
        context = m_context;
    }
    if (callback == nullptr) {
        return 1; // nobody to tell: the event is dropped, the loop goes on
    }
    if (reply.kind == ReplyKind::SearchReply) {
        CPacket packet;
        uint16_t length = 0;
        const uint8_t* record = packet.ParseSearchReply(text, length);
        callback(kEvtSearchReply, length, record, context);
    } else {
        LeU16 result{};
        result = reply.result;
        callback(kEvtSetConfigResult, sizeof result, result.b, context);
    }
    return 1;
}

void CQuillnet::ReceiveLoop() {
    m_receiverId.store(std::this_thread::get_id());
    std::array<uint8_t, kReceiveBufferSize> buffer;
    while (m_stop.load() == 0) {
        buffer.fill(0);
        const ReceiveResult received = m_socket->Receive(buffer);
        switch (received.status) {
        case ReceiveStatus::Ok:
            // A stop that arrived while this datagram was read wins over the datagram.
            if (m_stop.load() == 0) {
                HandleDatagram(buffer.data(), static_cast<int32_t>(received.count));
            }
            break;
        case ReceiveStatus::Truncated:
        case ReceiveStatus::Empty:
        case ReceiveStatus::TimedOut:
            // Any host can send a stray datagram; it must not end discovery.
            break;
        case ReceiveStatus::Woken:
        case ReceiveStatus::Error:
            m_stop.store(1);
            break;
        }
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
