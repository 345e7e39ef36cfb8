// How long the endpoint takes to deliver a burst of search replies, and how many it loses,
// beside a bare receive loop on the same traffic. A "devices" thread waits for one search and
// answers with N distinct replies as fast as its socket takes them; the clock runs from the
// search until the last reply is delivered.
//
// Default: loopback unicast on ports the system picks. With --lab (only inside the private
// network lab, where ONDREL_NETLAB=1): the real ports and the real broadcast path.

#include "discovery/CQuillnet.h"
#include "discovery/ReplyParser.h"
#include "discovery/UdpSocket.h"

#include <sys/socket.h>
#include <sys/time.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

using namespace ondrel;
using Clock = std::chrono::steady_clock;

namespace {

constexpr auto kIdle = std::chrono::milliseconds(500); // no progress this long: the rest is lost

struct Route {
    bool lab = false;
    std::string listenAddress() const { return lab ? "0.0.0.0" : "127.0.0.1"; }
    uint16_t listenPort() const { return lab ? kToolPort : 0; }
    std::string devicesAddress() const { return lab ? "0.0.0.0" : "127.0.0.1"; }
    uint16_t devicesPort() const { return lab ? kDevicePort : 0; }
    std::string replyAddress() const { return lab ? std::string(kBroadcastAddress) : "127.0.0.1"; }
};

std::string Reply(int n) {
    char text[640];
    std::snprintf(
        text, sizeof text,
        "IPCamSearchReply\r\nVersion:1\r\nnSeq:1\r\nDevName:Bench-%05d\r\n"
        "DevId:BN-%06d\r\nCableConnect:1\r\nWifiConnect:0\r\nIP:10.%d.%d.%d\r\n"
        "NetMask:255.0.0.0\r\nGateWay:10.77.0.1\r\nDNS0:10.77.0.2\r\nDNS1:10.77.0.3\r\n"
        "MacEth0:02:00:00:%02X:%02X:%02X\r\nIPMethod:1\r\nPort:80\r\n"
        "WebVersion:1.0.0.1\r\nAppVersion:2.0.0.1\r\nAppUpTime:0000000000000000042\r\n\r\n",
        n, n, 100 + n / 65536, (n / 256) % 256, n % 256, (n >> 16) & 0xFF, (n >> 8) & 0xFF,
        n & 0xFF);
    return text;
}

// Plays N devices: waits for the search, then answers with every reply back to back.
class Devices {
public:
    Devices(const Route& route, const std::vector<std::string>& replies)
        : m_replies(replies), m_replyAddress(route.replyAddress()) {
        if (!m_socket.Create() || !m_socket.EnableBroadcast() ||
            !m_socket.Bind(route.devicesAddress(), route.devicesPort())) {
            std::fprintf(stderr, "devices: cannot open their socket\n");
            std::exit(1);
        }
    }
    // Answers go to replyPort, known only once the listener is bound.
    void Start(uint16_t replyPort) {
        m_replyPort = replyPort;
        m_thread = std::thread([this] { Run(); });
    }
    ~Devices() {
        m_socket.Wake();
        if (m_thread.joinable()) {
            m_thread.join();
        }
    }
    uint16_t Port() const { return m_socket.LocalPort(); }
    long SendFailures() const { return m_failures.load(); }

private:
    void Run() {
        uint8_t buffer[kReceiveBufferSize];
        for (;;) {
            const ReceiveResult r = m_socket.Receive(buffer);
            if (r.status == ReceiveStatus::Woken || r.status == ReceiveStatus::Error) {
                return;
            }
            if (r.status == ReceiveStatus::Ok &&
                std::string_view(reinterpret_cast<char*>(buffer), r.count) == kSearchText) {
                break;
            }
        }
        for (const std::string& reply : m_replies) {
            const auto bytes =
                std::span(reinterpret_cast<const uint8_t*>(reply.data()), reply.size());
            // A full device queue (ENOBUFS) is waited out, as a device would.
            SocketStatus s;
            while (!(s = m_socket.SendTo(m_replyAddress, m_replyPort, bytes)) &&
                   s.error == ENOBUFS) {
                std::this_thread::yield();
            }
            if (!s) {
                ++m_failures;
            }
        }
    }

    const std::vector<std::string>& m_replies;
    std::string m_replyAddress;
    uint16_t m_replyPort = 0;
    UdpSocket m_socket;
    std::thread m_thread;
    std::atomic<long> m_failures{0};
};

struct Outcome {
    double ms = 0;
    long lost = 0;
};

std::string SearchAddress(const Route& route) {
    return route.lab ? std::string(kBroadcastAddress) : "127.0.0.1";
}

// The baseline: the same socket set-up, then nothing but a blocking recv per datagram.
Outcome BareLoop(const Route& route, const std::vector<std::string>& replies) {
    UdpSocket socket;
    if (!socket.Create() || !socket.EnableBroadcast() ||
        !socket.Bind(route.listenAddress(), route.listenPort())) {
        std::fprintf(stderr, "bare loop: cannot open its socket\n");
        std::exit(1);
    }
    socket.RaiseReceiveBuffer();
    const timeval idle{0, static_cast<suseconds_t>(kIdle.count() * 1000)};
    setsockopt(socket.NativeHandle(), SOL_SOCKET, SO_RCVTIMEO, &idle, sizeof idle);
    Devices devices(route, replies);
    devices.Start(socket.LocalPort());
    const long n = static_cast<long>(replies.size());
    long received = 0;
    uint8_t buffer[kReceiveBufferSize];
    const Clock::time_point start = Clock::now();
    Clock::time_point last = start;
    socket.SendTo(
        SearchAddress(route), devices.Port(),
        std::span(reinterpret_cast<const uint8_t*>(kSearchText.data()), kSearchText.size()));
    while (received < n) {
        const ssize_t got = recv(socket.NativeHandle(), buffer, sizeof buffer, 0);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            break;
        }
        ++received;
        last = Clock::now();
    }
    return {std::chrono::duration<double, std::milli>(last - start).count(), n - received};
}

struct Tally {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<bool> seen;
    long distinct = 0;
    Clock::time_point last;

    static void Callback(int32_t code, int32_t length, const uint8_t* data, void* context) {
        auto* self = static_cast<Tally*>(context);
        if (code != kEvtSearchReply || length != static_cast<int32_t>(sizeof(DeviceInfo))) {
            return;
        }
        DeviceInfo d;
        std::memcpy(&d, data, sizeof d);
        const std::size_t index = static_cast<std::size_t>(std::atol(d.DevId + 3));
        std::lock_guard lock(self->mutex);
        if (index < self->seen.size() && !self->seen[index]) {
            self->seen[index] = true;
            ++self->distinct;
            self->last = Clock::now();
            // Only the last one wakes the waiter: a wake-up per event would have the waiting
            // thread compete for the processor with the loop being measured.
            if (self->distinct == static_cast<long>(self->seen.size())) {
                self->changed.notify_one();
            }
        }
    }
};

Outcome Endpoint(const Route& route, const std::vector<std::string>& replies) {
    Tally tally;
    tally.seen.assign(replies.size(), false);
    Devices devices(route, replies);
    EndpointConfig config;
    config.bindAddress = route.listenAddress();
    config.bindPort = route.listenPort();
    config.destAddress = SearchAddress(route);
    config.destPort = devices.Port();
    CQuillnet endpoint(config);
    if (endpoint.Open() != 1) {
        std::fprintf(stderr, "endpoint: cannot open\n");
        std::exit(1);
    }
    endpoint.SetCallback(&Tally::Callback, &tally);
    devices.Start(endpoint.BoundPort());
    const long n = static_cast<long>(replies.size());
    std::unique_lock lock(tally.mutex);
    const Clock::time_point start = Clock::now();
    tally.last = start;
    lock.unlock();
    const SendResult sent = endpoint.SendSearch();
    if (!sent) {
        std::fprintf(stderr, "endpoint: search not sent: %s\n", sent.message.c_str());
    }
    lock.lock();
    for (long before = -1; tally.distinct < n && tally.distinct != before;) {
        before = tally.distinct;
        tally.changed.wait_for(lock, kIdle, [&] { return tally.distinct >= n; });
    }
    const Outcome out{std::chrono::duration<double, std::milli>(tally.last - start).count(),
                      n - tally.distinct};
    lock.unlock();
    endpoint.Stop();
    return out;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    Route route;
    int runs = 5;
    std::vector<int> sizes{100, 1000, 10000};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--lab") {
            route.lab = true;
        } else if (arg == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--sizes" && i + 1 < argc) {
            sizes.clear();
            std::stringstream list(argv[++i]);
            for (std::string item; std::getline(list, item, ',');) {
                sizes.push_back(std::max(1, std::atoi(item.c_str())));
            }
        } else {
            std::fprintf(stderr,
                         "usage: bench_endpoint [--lab] [--runs R] [--sizes 100,1000,10000]\n");
            return 2;
        }
    }
    const char* lab = std::getenv("ONDREL_NETLAB");
    if (route.lab && (lab == nullptr || std::string(lab) != "1")) {
        std::fprintf(stderr, "bench_endpoint: --lab broadcasts; run it inside scripts/netlab\n");
        return 2;
    }
    UdpSocket probe;
    probe.Create();
    std::printf("route: %s; receive buffer granted: %d bytes\n",
                route.lab ? "lab broadcast 255.255.255.255:9003" : "loopback unicast",
                probe.RaiseReceiveBuffer());
    probe.Close();
    std::printf("%d runs each: median time from search to last delivery, lost summed\n", runs);
    std::printf("%8s | %12s %6s | %12s %6s | %6s\n", "N", "bare ms", "lost", "endpoint ms", "lost",
                "ratio");
    for (int n : sizes) {
        std::vector<std::string> replies;
        for (int i = 0; i < n; ++i) {
            replies.push_back(Reply(i));
        }
        std::vector<double> bareMs, endpointMs;
        long bareLost = 0, endpointLost = 0;
        for (int r = 0; r < runs; ++r) {
            const Outcome b = BareLoop(route, replies);
            const Outcome e = Endpoint(route, replies);
            bareMs.push_back(b.ms);
            endpointMs.push_back(e.ms);
            bareLost += b.lost;
            endpointLost += e.lost;
        }
        const double bare = Median(bareMs), ours = Median(endpointMs);
        std::printf("%8d | %12.2f %6ld | %12.2f %6ld | %6.2f\n", n, bare, bareLost, ours,
                    endpointLost, bare > 0 ? ours / bare : 0.0);
    }
    return 0;
}
