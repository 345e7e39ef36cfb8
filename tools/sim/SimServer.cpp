#include "SimServer.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>

namespace ondrel::sim {

namespace {

bool later(const auto& a, const auto& b) {
    return a.due != b.due ? a.due > b.due : a.order > b.order;
}

} // namespace

SimServer::SimServer(SimResponder& responder, WsdResponder* wsd, SimLog& log, ServerOptions options)
    : m_responder(responder), m_wsd(wsd), m_log(log), m_options(std::move(options)),
      m_start(Clock::now()) {}

SocketStatus SimServer::open() {
    const std::optional<Ipv4> replyTo = parseIpv4(m_options.replyTo);
    if (!replyTo) {
        return {EINVAL, "reply address " + m_options.replyTo};
    }
    m_replyAddress = replyTo->bits;
    if (m_options.native) {
        if (SocketStatus s = m_socket.create(); !s) {
            return s;
        }
        if (SocketStatus s = m_socket.enableBroadcast(); !s) {
            return s;
        }
        m_socket.raiseReceiveBuffer();
        if (SocketStatus s = m_socket.bind(m_options.bindAddress, m_options.listenPort); !s) {
            return s;
        }
    }
    if (m_options.wsd && m_wsd != nullptr) {
        WsdSocketOptions wsd = *m_options.wsd;
        wsd.bindAddress = m_options.bindAddress;
        return m_wsdSocket.open(wsd);
    }
    return {};
}

SocketStatus SimServer::run() {
    if (m_wsdSocket.socket().isOpen()) {
        announce(m_wsd->hellos(), Clock::now());
    }
    SocketStatus status = loop();
    if (m_wsdSocket.socket().isOpen()) {
        // What was still waiting (answers, Hellos) dies with the cameras.
        m_queue.clear();
        for (const std::string& bye : m_wsd->byes()) {
            for (const WsdSocket::Destination& d : m_wsdSocket.announceDestinations()) {
                sendOne(
                    Pending{Clock::now(), 0, Channel::Wsd, d.ifindex, d.to.address, d.to.port, bye},
                    true);
            }
        }
    }
    return status;
}

SocketStatus SimServer::loop() {
    // Larger than any datagram UDP/IPv4 can carry, so nothing that arrives is ever cut.
    std::vector<uint8_t> buffer(65536);
    for (;;) {
        if (std::optional<SocketStatus> end = sendDue()) {
            return std::move(*end);
        }
        if (finished()) {
            return {};
        }
        int timeoutMs = -1;
        if (!m_queue.empty()) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(m_queue.front().due - Clock::now());
            timeoutMs = static_cast<int>(std::max<decltype(left.count())>(left.count(), 0));
        }
        if (std::optional<SocketStatus> end = receive(buffer, timeoutMs)) {
            return std::move(*end);
        }
    }
}

std::optional<SocketStatus> SimServer::receive(std::vector<uint8_t>& buffer, int timeoutMs) {
    const UdpSocket& wsd = m_wsdSocket.socket();
    if (!m_socket.isOpen() || !wsd.isOpen()) {
        return receiveFrom(m_socket.isOpen() ? m_socket : wsd, buffer, timeoutMs);
    }
    // stop() wakes both sockets; one wake-up channel is enough to hear it.
    pollfd fds[3] = {{m_socket.nativeHandle(), POLLIN, 0},
                     {wsd.nativeHandle(), POLLIN, 0},
                     {m_socket.wakeHandle(), POLLIN, 0}};
    const int ready = SocketSyscalls::current().poll(fds, 3, timeoutMs);
    if (ready < 0 && errno != EINTR) {
        return SocketStatus{errno, std::string("poll: ") + std::strerror(errno)};
    }
    if (fds[2].revents != 0 || woken()) {
        return SocketStatus{};
    }
    for (int i = 0; i < 2 && ready > 0; ++i) {
        if (fds[i].revents == 0) {
            continue;
        }
        if (std::optional<SocketStatus> end = receiveFrom(i == 0 ? m_socket : wsd, buffer, 0)) {
            return end;
        }
    }
    return std::nullopt;
}

std::optional<SocketStatus> SimServer::receiveFrom(const UdpSocket& socket,
                                                   std::vector<uint8_t>& buffer, int timeoutMs) {
    const ReceiveResult r = socket.receive(buffer, timeoutMs);
    switch (r.status) {
    case ReceiveStatus::Woken:
        return SocketStatus{};
    case ReceiveStatus::TimedOut:
        break;
    case ReceiveStatus::Error:
        return SocketStatus{r.error != 0 ? r.error : EIO, r.message};
    case ReceiveStatus::Ok:
    case ReceiveStatus::Empty:
    case ReceiveStatus::Truncated:
        if (&socket == &m_socket) {
            handle(buffer.data(), r.count, r.senderAddress, r.senderPort);
        } else {
            handleWsd(buffer.data(), r.count, r.senderAddress, r.senderPort);
        }
        break;
    }
    return std::nullopt;
}

bool SimServer::finished() const {
    if (m_options.maxSearches == 0 || !m_queue.empty()) {
        return false;
    }
    const uint64_t searches =
        m_options.native || m_wsd == nullptr ? m_responder.searchCount() : m_wsd->probeCount();
    return searches >= m_options.maxSearches;
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
        enqueue(Pending{due, 0, Channel::Native, 0, address, port, std::move(bytes)});
    }
}

void SimServer::handleWsd(const uint8_t* data, std::size_t length, const std::string& fromAddress,
                          uint16_t fromPort) {
    const Clock::time_point now = Clock::now();
    const std::string_view text(reinterpret_cast<const char*>(data), length);
    WsdResponse response = m_wsd->handle(text, now);
    if (m_log.isOpen()) {
        nlohmann::ordered_json entry = {{"t", std::chrono::duration<double>(now - m_start).count()},
                                        {"kind", response.entry["kind"]},
                                        {"from", fromAddress + ":" + std::to_string(fromPort)},
                                        {"length", length},
                                        {"text", text}};
        for (auto& [key, value] : response.entry.items()) {
            if (key != "kind") {
                entry[key] = value;
            }
        }
        m_log.write(entry);
    }
    // Answers go back to the prober alone, whatever address it probed from.
    const uint32_t address = parseIpv4(fromAddress).value_or(Ipv4{}).bits;
    for (WsdMessage& answer : response.answers) {
        enqueue(Pending{now + answer.delay, 0, Channel::Wsd, 0, address, fromPort,
                        std::move(answer.bytes)});
    }
}

void SimServer::announce(const std::vector<WsdMessage>& messages, Clock::time_point now) {
    for (const WsdMessage& m : messages) {
        for (const WsdSocket::Destination& d : m_wsdSocket.announceDestinations()) {
            enqueue(Pending{now + m.delay, 0, Channel::Wsd, d.ifindex, d.to.address, d.to.port,
                            m.bytes});
        }
    }
}

void SimServer::enqueue(Pending item) {
    item.order = m_queued++;
    m_queue.push_back(std::move(item));
    std::push_heap(m_queue.begin(), m_queue.end(),
                   [](const Pending& a, const Pending& b) { return later(a, b); });
}

std::optional<SocketStatus> SimServer::sendDue() {
    const auto order = [](const Pending& a, const Pending& b) { return later(a, b); };
    while (!m_queue.empty() && m_queue.front().due <= Clock::now()) {
        if (woken()) {
            return SocketStatus{};
        }
        std::pop_heap(m_queue.begin(), m_queue.end(), order);
        const Pending item = std::move(m_queue.back());
        m_queue.pop_back();
        if (std::optional<SocketStatus> failed = sendOne(item, false)) {
            return failed;
        }
    }
    return std::nullopt;
}

const UdpSocket& SimServer::socketOf(Channel channel) const {
    return channel == Channel::Native ? m_socket : m_wsdSocket.socket();
}

std::optional<SocketStatus> SimServer::sendOne(const Pending& item, bool stopping) {
    const UdpSocket& socket = socketOf(item.channel);
    const auto* bytes = reinterpret_cast<const uint8_t*>(item.bytes.data());
    for (int attempt = 0;; ++attempt) {
        const std::span<const uint8_t> datagram{bytes, item.bytes.size()};
        const SocketStatus s = item.ifindex != 0
                                   ? socket.sendVia(item.ifindex, item.address, item.port, datagram)
                                   : socket.sendTo(item.address, item.port, datagram);
        if (s.ok()) {
            return std::nullopt;
        }
        // A full queue empties within moments; keep the datagram rather than lose it, so that
        // a burst measures the listener and not the simulator. Anything else is not ours to
        // mend: the datagram is skipped and the loop goes on.
        const bool busy = s.error == EAGAIN || s.error == EWOULDBLOCK || s.error == ENOBUFS;
        if (busy && attempt < 2000 && (stopping || !woken())) {
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
