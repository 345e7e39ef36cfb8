#include "SimServer.h"

#include <net/if.h>
#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <thread>

namespace ondrel::sim {

namespace {

bool later(const auto& a, const auto& b) {
    return a.due != b.due ? a.due > b.due : a.order > b.order;
}

} // namespace

SimServer::SimServer(SimResponder& responder, WsdResponder* wsd, SimLog& log, ServerOptions options,
                     OnvifService* onvif)
    : m_responder(responder), m_wsd(wsd), m_onvif(onvif), m_log(log), m_options(std::move(options)),
      m_http(HttpLimits{.answerDelay = m_options.onvifLatency}), m_start(Clock::now()) {}

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
        if (SocketStatus s = m_socket.enablePacketInfo(); !s) {
            return s;
        }
        m_socket.raiseReceiveBuffer();
        if (SocketStatus s = m_socket.bind(m_options.bindAddress, m_options.listenPort); !s) {
            return s;
        }
    }
    if (m_options.onvifHttp && m_onvif != nullptr) {
        std::vector<uint16_t> ports;
        if (m_options.onvifHttpPort) {
            ports.push_back(*m_options.onvifHttpPort);
        } else {
            for (const SimDevice& d : m_responder.devices()) {
                if (std::ranges::find(ports, d.httpPort) == ports.end()) {
                    ports.push_back(d.httpPort);
                }
            }
        }
        for (const uint16_t p : ports) {
            if (SocketStatus s = m_http.listen(m_options.bindAddress, p); !s) {
                // The one port asked for is the caller's to have; a camera's own port may be
                // another program's (or another simulator's), and discovery still works.
                if (m_options.onvifHttpPort) {
                    return s;
                }
                m_warnings.push_back(s.message + ": no device service on this port");
            }
        }
    }
    if (m_options.wsd && m_wsd != nullptr) {
        WsdSocketOptions wsd = *m_options.wsd;
        wsd.bindAddress = m_options.bindAddress;
        SocketStatus s = m_wsdSocket.open(wsd);
        m_warnings.insert(m_warnings.end(), m_wsdSocket.warnings().begin(),
                          m_wsdSocket.warnings().end());
        return s;
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
    std::vector<pollfd> fds;
    std::vector<const UdpSocket*> sockets;
    for (const UdpSocket* s : std::initializer_list<const UdpSocket*>{&m_socket, &wsd}) {
        if (s->isOpen()) {
            fds.push_back({s->nativeHandle(), POLLIN, 0});
            sockets.push_back(s);
        }
    }
    // stop() wakes both sockets; one wake-up channel is enough to hear it.
    fds.push_back({sockets.front()->wakeHandle(), POLLIN, 0});
    const std::size_t httpFirst = fds.size();
    m_http.addPollEntries(fds);
    const int httpTimeout = m_http.timeoutMs(Clock::now());
    if (httpTimeout >= 0) {
        timeoutMs = timeoutMs < 0 ? httpTimeout : std::min(timeoutMs, httpTimeout);
    }
    const int ready =
        SocketSyscalls::current().poll(fds.data(), static_cast<nfds_t>(fds.size()), timeoutMs);
    if (ready < 0 && errno != EINTR) {
        return SocketStatus{errno, std::string("poll: ") + std::strerror(errno)};
    }
    if (fds[httpFirst - 1].revents != 0 || woken()) {
        return SocketStatus{};
    }
    for (std::size_t i = 0; i < sockets.size() && ready > 0; ++i) {
        if (fds[i].revents == 0) {
            continue;
        }
        if (std::optional<SocketStatus> end = receiveFrom(*sockets[i], buffer, 0)) {
            return end;
        }
    }
    m_http.service(fds.data() + httpFirst, fds.size() - httpFirst, Clock::now(),
                   [this](const HttpRequest& request, Clock::time_point now) {
                       return handleHttp(request, now);
                   });
    return std::nullopt;
}

std::optional<HttpAnswer> SimServer::handleHttp(const HttpRequest& request, Clock::time_point now) {
    static constexpr std::string_view kPath = "/onvif/device_service";
    nlohmann::ordered_json entry = {{"t", std::chrono::duration<double>(now - m_start).count()},
                                    {"kind", "http"},
                                    {"from", request.peer},
                                    {"to", request.localAddress},
                                    {"port", request.localPort},
                                    {"method", request.method},
                                    {"path", request.path}};
    std::optional<std::size_t> index;
    bool ours = request.path == kPath;
    if (ours) {
        index = m_onvif->cameraAt(request.localAddress, now,
                                  m_options.onvifHttpPort ? 0 : request.localPort);
    } else if (request.path.starts_with(std::string(kPath) + "/")) {
        const std::string_view number = std::string_view(request.path).substr(kPath.size() + 1);
        std::size_t n = 0;
        const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), n);
        ours = error == std::errc{} && end == number.data() + number.size() &&
               n < m_responder.devices().size();
        if (ours && !m_responder.isRestarting(n, now)) {
            index = n;
        }
    }
    std::optional<HttpAnswer> answer;
    if (!ours) {
        answer = HttpAnswer{404, "", "text/plain"};
    } else if (!index) {
        entry["note"] = "no camera answers here";
    } else if (request.method != "POST") {
        answer = HttpAnswer{405, "", "text/plain"};
    } else {
        OnvifReply reply =
            m_onvif->handle(*index, request.body, now, OnvifService::WallClock::now());
        if (m_links != nullptr) {
            m_links->follow(m_responder.devices());
        }
        entry["index"] = *index;
        entry["status"] = reply.status;
        for (auto& [key, value] : reply.entry.items()) {
            entry[key] = value;
        }
        if (reply.restart && m_wsdSocket.socket().isOpen()) {
            announce({WsdMessage{*reply.restart, m_wsd->hello(*index)}}, now);
        }
        const uint16_t port = m_responder.devices()[*index].httpPort;
        if (!m_options.onvifHttpPort && !m_http.isListening(port)) {
            if (SocketStatus s = m_http.listen(m_options.bindAddress, port); !s) {
                entry["note"] = s.message;
            }
        }
        answer = HttpAnswer{reply.status, std::move(reply.body)};
    }
    if (answer) {
        entry["status"] = answer->status;
    }
    entry["length"] = request.body.size();
    entry["text"] = request.body;
    m_log.write(entry);
    return answer;
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
        if (heardOnCameraLink(r.ifindex)) {
            break;
        }
        if (&socket == &m_socket) {
            handle(buffer.data(), r.count, r.senderAddress, r.senderPort);
        } else {
            handleWsd(buffer.data(), r.count, r.senderAddress, r.senderPort);
        }
        break;
    }
    return std::nullopt;
}

bool SimServer::heardOnCameraLink(uint32_t ifindex) {
    if (ifindex == 0) {
        return false;
    }
    const auto known = m_cameraLinks.find(ifindex);
    if (known != m_cameraLinks.end()) {
        return known->second;
    }
    char name[IF_NAMESIZE] = {};
    const bool camera = ::if_indextoname(ifindex, name) != nullptr && isCameraLinkName(name);
    m_cameraLinks.emplace(ifindex, camera);
    return camera;
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
    if (m_links != nullptr) {
        m_links->follow(m_responder.devices());
    }
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
                        std::move(answer.bytes), answer.from});
    }
}

void SimServer::announce(const std::vector<WsdMessage>& messages, Clock::time_point now) {
    for (const WsdMessage& m : messages) {
        for (const WsdSocket::Destination& d : m_wsdSocket.announceDestinations()) {
            enqueue(Pending{now + m.delay, 0, Channel::Wsd, d.ifindex, d.to.address, d.to.port,
                            m.bytes, m.from});
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
        SocketStatus s;
        if (item.from != 0 && m_ownSources) {
            // From the camera's own address, where this namespace holds it (the lab's local
            // route for the cameras); where it does not, from the socket's own as before.
            s = socket.sendFrom(item.ifindex, item.from, item.address, item.port, datagram);
            const bool held =
                s.ok() || s.error == EAGAIN || s.error == EWOULDBLOCK || s.error == ENOBUFS;
            if (!held) {
                m_ownSources = false;
                continue;
            }
        } else if (item.ifindex != 0) {
            s = socket.sendVia(item.ifindex, item.address, item.port, datagram);
        } else {
            s = socket.sendTo(item.address, item.port, datagram);
        }
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
