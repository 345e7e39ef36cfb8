#include "HttpServer.h"

#include "core/Ipv4.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include "Substitute.h"
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>

namespace ondrel::sim {

namespace {

std::string_view reasonOf(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 413:
        return "Content Too Large";
    case 431:
        return "Request Header Fields Too Large";
    default:
        return "Internal Server Error";
    }
}

std::string addressText(const sockaddr_in& a) {
    return formatIpv4(ntohl(a.sin_addr.s_addr));
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

HttpAnswer plain(int status) {
    return HttpAnswer{status, "", "text/plain"};
}

} // namespace

HttpServer::~HttpServer() {
    for (const Listener& l : m_listeners) {
        ::close(l.fd);
    }
    for (const Connection& c : m_connections) {
        ::close(c.fd);
    }
}

SocketStatus HttpServer::listen(const std::string& address, uint16_t port) {
    if (m_listeners.empty()) {
        // Every connection is a descriptor: the usual soft limit of 1024 would refuse a thousand
        // cameras' clients long before the cap does. Raised as far as the hard limit allows.
        rlimit files{};
        if (::getrlimit(RLIMIT_NOFILE, &files) == 0) {
            const rlim_t wanted = static_cast<rlim_t>(m_limits.maxConnections) + 256;
            const rlim_t raised = std::min(files.rlim_max, std::max(files.rlim_cur, wanted));
            if (raised > files.rlim_cur) {
                files.rlim_cur = raised;
                ::setrlimit(RLIMIT_NOFILE, &files);
            }
        }
    }
    const std::optional<Ipv4> ip = parseIpv4(address);
    if (!ip) {
        return {EINVAL, "HTTP bind address " + address};
    }
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return {errno, std::string("HTTP socket: ") + std::strerror(errno)};
    }
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(ip->bits);
    a.sin_port = htons(port);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        ::listen(fd, m_limits.backlog) != 0) {
        const int error = errno;
        ::close(fd);
        return {error, substitute("HTTP bind {}:{}: {}", address, port, std::strerror(error))};
    }
    socklen_t length = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length);
    m_listeners.push_back(Listener{fd, ntohs(a.sin_port)});
    return {};
}

bool HttpServer::isListening(uint16_t port) const {
    return std::ranges::any_of(m_listeners, [port](const Listener& l) { return l.port == port; });
}

void HttpServer::addPollEntries(std::vector<pollfd>& fds) const {
    for (const Listener& l : m_listeners) {
        fds.push_back({l.fd, POLLIN, 0});
    }
    for (const Connection& c : m_connections) {
        const short events = !c.held.empty() ? 0 : c.out.empty() ? POLLIN : POLLOUT;
        fds.push_back({c.fd, events, 0});
    }
}

int HttpServer::timeoutMs(Clock::time_point now) const {
    int earliest = -1;
    for (const Connection& c : m_connections) {
        const Clock::time_point next = c.held.empty() ? c.deadline : c.readyAt;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(next - now).count();
        const int ms = static_cast<int>(std::max<decltype(left)>(left, 0));
        earliest = earliest < 0 ? ms : std::min(earliest, ms);
    }
    return earliest;
}

void HttpServer::service(const pollfd* entries, std::size_t count, Clock::time_point now,
                         const Handler& handler) {
    // The entries were taken before any connection below was added or removed.
    const std::size_t listeners = m_listeners.size();
    const std::size_t connections = std::min(m_connections.size(), count - listeners);
    for (std::size_t i = 0; i < connections; ++i) {
        Connection& c = m_connections[i];
        const short revents = entries[listeners + i].revents;
        if ((revents & (POLLERR | POLLNVAL)) != 0) {
            c.done = true;
        } else if (!c.held.empty()) {
            if (now >= c.readyAt) {
                c.out = std::move(c.held);
                c.held.clear();
                write(c, now, handler);
            }
        } else if (c.out.empty() && (revents & (POLLIN | POLLHUP)) != 0) {
            read(c, now, handler);
        } else if (!c.out.empty() && (revents & POLLOUT) != 0) {
            write(c, now, handler);
        }
        if (now >= c.deadline) {
            c.done = true;
        }
    }
    std::erase_if(m_connections, [](const Connection& c) {
        if (c.done) {
            ::close(c.fd);
        }
        return c.done;
    });
    for (std::size_t i = 0; i < listeners && i < count; ++i) {
        if ((entries[i].revents & POLLIN) != 0) {
            accept(m_listeners[i].fd, now);
        }
    }
}

void HttpServer::accept(int listener, Clock::time_point now) {
    for (;;) {
        sockaddr_in peer{};
        socklen_t length = sizeof peer;
        const int fd = ::accept4(listener, reinterpret_cast<sockaddr*>(&peer), &length,
                                 SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            return; // EAGAIN: all taken; anything else concerns that one client alone
        }
        if (m_connections.size() >= m_limits.maxConnections) {
            ::close(fd);
            continue;
        }
        sockaddr_in local{};
        length = sizeof local;
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length);
        Connection c;
        c.fd = fd;
        c.deadline = now + m_limits.deadline;
        c.localAddress = addressText(local);
        c.localPort = ntohs(local.sin_port);
        c.peer = substitute("{}:{}", addressText(peer), ntohs(peer.sin_port));
        m_connections.push_back(std::move(c));
    }
}

void HttpServer::read(Connection& c, Clock::time_point now, const Handler& handler) {
    char buffer[16 * 1024];
    for (;;) {
        const ssize_t n = ::recv(c.fd, buffer, sizeof buffer, 0);
        if (n > 0) {
            c.in.append(buffer, static_cast<std::size_t>(n));
            if (c.in.size() > m_limits.maxHead + m_limits.maxBody) {
                break;
            }
            continue;
        }
        if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
            // The client is gone or stopped sending: what came is all there is.
            parse(c, now, handler);
            if (c.out.empty()) {
                c.done = true;
            }
            return;
        }
        break;
    }
    parse(c, now, handler);
}

void HttpServer::write(Connection& c, Clock::time_point now, const Handler& handler) {
    while (c.sent < c.out.size()) {
        const ssize_t n = ::send(c.fd, c.out.data() + c.sent, c.out.size() - c.sent, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
                c.done = true;
            }
            return;
        }
        c.sent += static_cast<std::size_t>(n);
    }
    if (c.keepOpen) {
        c.keepOpen = false;
        c.out.clear();
        c.sent = 0;
        c.deadline = now + m_limits.deadline;
        if (!c.in.empty()) {
            parse(c, now, handler); // the next request came with the last one
        }
        return;
    }
    ::shutdown(c.fd, SHUT_WR);
    c.done = true;
}

void HttpServer::parse(Connection& c, Clock::time_point now, const Handler& handler) {
    const auto refuse = [&](int status) {
        c.out = compose(plain(status));
        write(c, now, handler);
    };
    const std::size_t headEnd = c.in.find("\r\n\r\n");
    if (headEnd == std::string::npos) {
        if (c.in.size() > m_limits.maxHead) {
            refuse(431);
        }
        return;
    }
    if (headEnd > m_limits.maxHead) {
        refuse(431);
        return;
    }
    const std::string_view head(c.in.data(), headEnd);
    const std::size_t lineEnd = head.find("\r\n");
    const std::string_view line = head.substr(0, lineEnd);
    const std::size_t s1 = line.find(' ');
    const std::size_t s2 = s1 == std::string_view::npos ? s1 : line.find(' ', s1 + 1);
    if (s2 == std::string_view::npos || !line.substr(s2 + 1).starts_with("HTTP/1.")) {
        refuse(400);
        return;
    }
    HttpRequest request;
    request.method = std::string(line.substr(0, s1));
    request.path = std::string(line.substr(s1 + 1, s2 - s1 - 1));
    std::optional<std::size_t> contentLength;
    bool chunked = false;
    // HTTP/1.1 keeps a connection unless told otherwise; HTTP/1.0 closes it unless told.
    bool keepOpen = line.substr(s2 + 1) == "HTTP/1.1";
    std::size_t at = lineEnd == std::string_view::npos ? head.size() : lineEnd + 2;
    while (at < head.size()) {
        std::size_t next = head.find("\r\n", at);
        next = next == std::string_view::npos ? head.size() : next;
        const std::string_view field = head.substr(at, next - at);
        at = next + 2;
        const std::size_t colon = field.find(':');
        if (colon == std::string_view::npos) {
            refuse(400);
            return;
        }
        const std::string_view name = field.substr(0, colon);
        std::string_view value = field.substr(colon + 1);
        while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) {
            value.remove_prefix(1);
        }
        while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) {
            value.remove_suffix(1);
        }
        if (equalsIgnoringCase(name, "Content-Length")) {
            std::size_t length = 0;
            const auto [end, error] =
                std::from_chars(value.data(), value.data() + value.size(), length);
            if (error != std::errc{} || end != value.data() + value.size() ||
                (contentLength && *contentLength != length)) {
                refuse(400);
                return;
            }
            contentLength = length;
        } else if (equalsIgnoringCase(name, "Transfer-Encoding")) {
            chunked = true;
        } else if (equalsIgnoringCase(name, "Connection")) {
            keepOpen = equalsIgnoringCase(value, "keep-alive") ||
                       (keepOpen && !equalsIgnoringCase(value, "close"));
        }
    }
    if (chunked) {
        refuse(400); // a device service's clients send a length; a camera's server asks for it
        return;
    }
    const std::size_t length = contentLength.value_or(0);
    if (length > m_limits.maxBody) {
        refuse(413);
        return;
    }
    if (c.in.size() - (headEnd + 4) < length) {
        return;
    }
    request.body = c.in.substr(headEnd + 4, length);
    c.in.erase(0, headEnd + 4 + length);
    c.keepOpen = keepOpen && ++c.requests < m_limits.maxRequestsPerConnection;
    request.localAddress = c.localAddress;
    request.localPort = c.localPort;
    request.peer = c.peer;
    const std::optional<HttpAnswer> answer = handler(request, now);
    if (!answer) {
        c.done = true;
        return;
    }
    if (m_limits.answerDelay.count() > 0) {
        c.held = compose(*answer, c.keepOpen);
        c.readyAt = now + m_limits.answerDelay;
        c.deadline = std::max(c.deadline, c.readyAt + m_limits.deadline);
        return;
    }
    c.out = compose(*answer, c.keepOpen);
    write(c, now, handler);
}

std::string HttpServer::compose(const HttpAnswer& answer, bool keepOpen) {
    return substitute("HTTP/1.1 {} {}\r\nContent-Type: {}\r\nContent-Length: {}\r\n"
                      "Connection: {}\r\n\r\n{}",
                      answer.status, reasonOf(answer.status), answer.contentType,
                      answer.body.size(), keepOpen ? "keep-alive" : "close", answer.body);
}

} // namespace ondrel::sim
