#include "SimServer.h"

#include <cerrno>
#include <cstdio>
#include <thread>
#include <vector>

namespace ondrel::sim {

SimServer::SimServer(SimResponder& responder, SimLog& log, ServerOptions options)
    : m_responder(responder), m_log(log), m_options(std::move(options)), m_start(Clock::now()) {}

SocketStatus SimServer::open() {
    const std::optional<Ipv4> replyTo = parseIpv4(m_options.replyTo);
    if (!replyTo) {
        return {EINVAL, "reply address " + m_options.replyTo};
    }
    m_replyAddress = replyTo->bits;
    if (SocketStatus s = m_socket.create(); !s) {
        return s;
    }
    if (SocketStatus s = m_socket.enableBroadcast(); !s) {
        return s;
    }
    m_socket.raiseReceiveBuffer();
    return m_socket.bind(m_options.bindAddress, m_options.listenPort);
}

SocketStatus SimServer::run() {
    // Larger than any datagram UDP/IPv4 can carry, so nothing that arrives is ever cut.
    std::vector<uint8_t> buffer(65536);
    for (;;) {
        if (std::optional<SocketStatus> end = sendDue()) {
            return std::move(*end);
        }
        if (m_options.maxSearches != 0 && m_responder.searchCount() >= m_options.maxSearches &&
            m_queue.empty()) {
            return {};
        }
        int timeoutMs = -1;
        if (!m_queue.empty()) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(m_queue.front().due - Clock::now());
            timeoutMs = static_cast<int>(std::max<decltype(left.count())>(left.count(), 0));
        }
        const ReceiveResult r = m_socket.receive(buffer, timeoutMs);
        switch (r.status) {
        case ReceiveStatus::Woken:
            return {};
        case ReceiveStatus::TimedOut:
            break;
        case ReceiveStatus::Error:
            return {r.error != 0 ? r.error : EIO, r.message};
        case ReceiveStatus::Ok:
        case ReceiveStatus::Empty:
        case ReceiveStatus::Truncated:
            handle(buffer.data(), r.count, r.senderAddress, r.senderPort);
            break;
        }
    }
}

void SimServer::handle(const uint8_t* data, std::size_t length, const std::string& fromAddress,
                       uint16_t fromPort) {
    const Clock::time_point now = Clock::now();
    const SimRequest request = RequestParser::parse(data, length);
    Response response = m_responder.handle(request, now);
    if (m_log.isOpen()) {
        const std::string from = fromAddress + ":" + std::to_string(fromPort);
        const double seconds = std::chrono::duration<double>(now - m_start).count();
        nlohmann::ordered_json entry = SimLog::entry(request, data, length, from, seconds);
        for (auto& [key, value] : response.outcome.items()) {
            entry[key] = value;
        }
        m_log.write(entry);
    }
    uint32_t address = m_replyAddress;
    uint16_t port = m_options.replyPort.value_or(9003);
    if (m_options.unicast) {
        address = parseIpv4(fromAddress).value_or(Ipv4{m_replyAddress}).bits;
        port = m_options.replyPort.value_or(fromPort);
    }
    const Clock::time_point due = now + std::chrono::milliseconds(m_options.delayMs);
    for (std::string& bytes : response.datagrams) {
        m_queue.push_back(Pending{due, address, port, std::move(bytes)});
    }
}

std::optional<SocketStatus> SimServer::sendDue() {
    while (!m_queue.empty() && m_queue.front().due <= Clock::now()) {
        if (m_socket.isWoken()) {
            return SocketStatus{};
        }
        if (std::optional<SocketStatus> failed = sendOne(m_queue.front())) {
            return failed;
        }
        m_queue.pop_front();
    }
    return std::nullopt;
}

std::optional<SocketStatus> SimServer::sendOne(const Pending& item) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(item.bytes.data());
    for (int attempt = 0;; ++attempt) {
        const SocketStatus s = m_socket.sendTo(item.address, item.port, {bytes, item.bytes.size()});
        if (s.ok()) {
            return std::nullopt;
        }
        // A full queue empties within moments; keep the datagram rather than lose it, so that
        // a burst measures the listener and not the simulator. Anything else is not ours to
        // mend: the datagram is skipped and the loop goes on.
        const bool busy = s.error == EAGAIN || s.error == EWOULDBLOCK || s.error == ENOBUFS;
        if (busy && attempt < 2000 && !m_socket.isWoken()) {
            std::this_thread::sleep_for(std::chrono::microseconds(500));
            continue;
        }
        if (s.error == EBADF) {
            return s;
        }
        if (m_sendFailures++ == 0) {
            std::fprintf(stderr, "ondrel-sim: %s (reported once)\n", s.message.c_str());
        }
        return std::nullopt;
    }
}

} // namespace ondrel::sim
