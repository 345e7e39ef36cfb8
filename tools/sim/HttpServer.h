#pragma once
// The simulator's HTTP/1.1 side, run from its one poll loop: non-blocking listeners and
// connections, kept open between requests as a camera's web server keeps them unless the
// client asks to close (a bounded number of requests each). A request head
// over 8 KiB or a body over 64 KiB is refused, and a connection that has not sent its whole
// request within its deadline is closed, so that a slow or garbage client holds nothing but its
// own descriptor while the others are served. An answer delay (a camera's think time) holds
// each answer back without holding up any other connection.

#include "discovery/UdpSocket.h"

#include <poll.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ondrel::sim {

struct HttpRequest {
    std::string method;
    std::string path;
    std::string body;
    std::string localAddress; // where the connection arrived: tells the cameras apart
    uint16_t localPort = 0;
    std::string peer; // address:port
};

struct HttpAnswer {
    int status = 200;
    std::string body;
    std::string contentType = "application/soap+xml; charset=utf-8";
};

struct HttpLimits {
    std::size_t maxHead = 8 * 1024;
    std::size_t maxBody = 64 * 1024;
    std::chrono::milliseconds deadline{5000};
    // A thousand cameras read at once by a client that opens them all together: every one of
    // them is queued and served rather than dropped into a SYN retry a second later. The
    // kernel caps the backlog at net.core.somaxconn.
    std::size_t maxConnections = 4096;
    int backlog = 4096;
    std::size_t maxRequestsPerConnection = 100;
    // Each answer waits this long before it is sent, the other connections served meanwhile.
    std::chrono::milliseconds answerDelay{0};
};

class HttpServer {
public:
    using Clock = std::chrono::steady_clock;
    // nullopt: the connection is closed without an answer (a camera that is not there).
    using Handler = std::function<std::optional<HttpAnswer>(const HttpRequest&, Clock::time_point)>;

    explicit HttpServer(HttpLimits limits = {}) : m_limits(limits) {}
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Listens on address:port (0: the system picks); a failure names the step.
    SocketStatus listen(const std::string& address, uint16_t port);
    bool isListening(uint16_t port) const;
    // The port of the first listener.
    uint16_t port() const { return m_listeners.empty() ? 0 : m_listeners.front().port; }

    // Appends what the loop must poll; service() takes the same entries back.
    void addPollEntries(std::vector<pollfd>& fds) const;
    // Milliseconds until the earliest deadline, -1 when nothing waits.
    int timeoutMs(Clock::time_point now) const;
    void service(const pollfd* entries, std::size_t count, Clock::time_point now,
                 const Handler& handler);

    static std::string compose(const HttpAnswer& answer, bool keepOpen = false);

private:
    struct Listener {
        int fd = -1;
        uint16_t port = 0;
    };
    struct Connection {
        int fd = -1;
        Clock::time_point deadline;
        std::string in;
        std::string out;
        std::string held; // an answer waiting out the delay
        Clock::time_point readyAt;
        std::size_t sent = 0;
        std::size_t requests = 0;
        bool keepOpen = false; // once the answer is out, the connection waits for the next
        std::string localAddress;
        uint16_t localPort = 0;
        std::string peer;
        bool done = false;
    };

    void accept(int listener, Clock::time_point now);
    void read(Connection& c, Clock::time_point now, const Handler& handler);
    void write(Connection& c, Clock::time_point now, const Handler& handler);
    // Parses what has arrived; once the request is whole (or cannot be), c.out is set.
    void parse(Connection& c, Clock::time_point now, const Handler& handler);

    HttpLimits m_limits;
    std::vector<Listener> m_listeners;
    std::vector<Connection> m_connections;
};

} // namespace ondrel::sim
