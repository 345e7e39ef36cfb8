// How long the endpoint takes to deliver a burst of search replies, and how many it loses,
// beside a bare receive loop on the same traffic. A "devices" thread waits for one search and
// answers with N distinct replies as fast as its socket takes them; the clock runs from the
// search until the last reply is delivered.
//
// Each burst runs with the large receive buffer the endpoint asks for and with the one a stock
// desktop grants (212,992 bytes), so that the losses of both loops show beside each other.
//
// Default: loopback unicast on ports the system picks. With --lab (only inside the private
// network lab, where ONDREL_NETLAB=1): the real ports and the real broadcast path.

#include "discovery/DiscoveryEndpoint.h"
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
        if (!m_socket.create() || !m_socket.enableBroadcast() ||
            !m_socket.bind(route.devicesAddress(), route.devicesPort())) {
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
        m_socket.wake();
        if (m_thread.joinable()) {
            m_thread.join();
        }
    }
    uint16_t Port() const { return m_socket.localPort(); }
    long SendFailures() const { return m_failures.load(); }

private:
    void Run() {
        uint8_t buffer[kReceiveBufferSize];
        for (;;) {
            const ReceiveResult r = m_socket.receive(buffer);
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
            while (!(s = m_socket.sendTo(m_replyAddress, m_replyPort, bytes)) &&
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
    long lost = 0;     // replies sent but never delivered
    long reported = 0; // what the endpoint said it lost (the bare loop says nothing)
};

std::string SearchAddress(const Route& route) {
    return route.lab ? std::string(kBroadcastAddress) : "127.0.0.1";
}

// The baseline: the same socket set-up, then nothing but recvmmsg in batches of 64 straight
// into buffers, counting.
Outcome BareLoop(const Route& route, const std::vector<std::string>& replies, int bufferBytes) {
    UdpSocket socket;
    if (!socket.create() || !socket.enableBroadcast() ||
        !socket.bind(route.listenAddress(), route.listenPort())) {
        std::fprintf(stderr, "bare loop: cannot open its socket\n");
        std::exit(1);
    }
    socket.raiseReceiveBuffer(bufferBytes);
    const timeval idle{0, static_cast<suseconds_t>(kIdle.count() * 1000)};
    setsockopt(socket.nativeHandle(), SOL_SOCKET, SO_RCVTIMEO, &idle, sizeof idle);
    Devices devices(route, replies);
    devices.Start(socket.localPort());
    const long n = static_cast<long>(replies.size());
    long received = 0;
    constexpr unsigned kBatch = 64;
    std::vector<uint8_t> buffers(kBatch * kReceiveBufferSize);
    iovec parts[kBatch];
    mmsghdr headers[kBatch];
    const Clock::time_point start = Clock::now();
    Clock::time_point last = start;
    socket.sendTo(
        SearchAddress(route), devices.Port(),
        std::span(reinterpret_cast<const uint8_t*>(kSearchText.data()), kSearchText.size()));
    while (received < n) {
        for (unsigned i = 0; i < kBatch; ++i) {
            parts[i] = iovec{buffers.data() + i * kReceiveBufferSize, kReceiveBufferSize};
            headers[i] = mmsghdr{};
            headers[i].msg_hdr.msg_iov = &parts[i];
            headers[i].msg_hdr.msg_iovlen = 1;
        }
        // Blocks for the first datagram (up to the idle timeout), then takes what is queued.
        const int got = recvmmsg(socket.nativeHandle(), headers, kBatch, MSG_WAITFORONE, nullptr);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        received += got;
        last = Clock::now();
    }
    return {std::chrono::duration<double, std::milli>(last - start).count(), n - received, 0};
}

struct Tally {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<bool> seen;
    long distinct = 0;
    Clock::time_point last;

    void Take(std::vector<Device>&& replies) {
        std::lock_guard lock(mutex);
        for (const Device& d : replies) {
            const std::size_t index =
                d.id.size() > 3 ? static_cast<std::size_t>(std::atol(d.id.c_str() + 3)) : 0;
            if (index < seen.size() && !seen[index]) {
                seen[index] = true;
                ++distinct;
                last = Clock::now();
            }
        }
        // Only the last one wakes the waiter: a wake-up per event would have the waiting
        // thread compete for the processor with the loop being measured.
        if (distinct == static_cast<long>(seen.size())) {
            changed.notify_one();
        }
    }
};

Outcome Endpoint(const Route& route, const std::vector<std::string>& replies, int bufferBytes) {
    Tally tally;
    tally.seen.assign(replies.size(), false);
    Devices devices(route, replies);
    EndpointConfig config;
    config.bindAddress = route.listenAddress();
    config.bindPort = route.listenPort();
    config.destAddress = SearchAddress(route);
    config.destPort = devices.Port();
    config.receiveBuffer = bufferBytes;
    DiscoveryEndpoint endpoint(config);
    if (!endpoint.open()) {
        std::fprintf(stderr, "endpoint: cannot open\n");
        std::exit(1);
    }
    endpoint.setHandlers(
        {[&tally](std::vector<Device>&& batch, uint32_t) { tally.Take(std::move(batch)); },
         nullptr});
    devices.Start(endpoint.boundPort());
    const long n = static_cast<long>(replies.size());
    std::unique_lock lock(tally.mutex);
    const Clock::time_point start = Clock::now();
    tally.last = start;
    lock.unlock();
    const SendResult sent = endpoint.sendSearch();
    if (!sent) {
        std::fprintf(stderr, "endpoint: search not sent: %s\n", sent.message.c_str());
    }
    lock.lock();
    for (long before = -1; tally.distinct < n && tally.distinct != before;) {
        before = tally.distinct;
        tally.changed.wait_for(lock, kIdle, [&] { return tally.distinct >= n; });
    }
    const Outcome out{std::chrono::duration<double, std::milli>(tally.last - start).count(),
                      n - tally.distinct, static_cast<long>(endpoint.lostSinceSearch())};
    lock.unlock();
    endpoint.stop();
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
    std::vector<int> sizes{1000, 10000};
    // The large buffer the endpoint asks for, and the one a stock desktop grants an
    // unprivileged program (net.core.rmem_max), which the kernel doubles.
    std::vector<int> buffers{UdpSocket::kLargeReceiveBuffer, 212992};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--lab") {
            route.lab = true;
        } else if (arg == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if ((arg == "--sizes" || arg == "--buffers") && i + 1 < argc) {
            std::vector<int>& list = arg == "--sizes" ? sizes : buffers;
            list.clear();
            std::stringstream items(argv[++i]);
            for (std::string item; std::getline(items, item, ',');) {
                list.push_back(std::max(1, std::atoi(item.c_str())));
            }
        } else {
            std::fprintf(stderr, "usage: bench_endpoint [--lab] [--runs R] [--sizes 1000,10000] "
                                 "[--buffers 8388608,212992]\n");
            return 2;
        }
    }
    const char* lab = std::getenv("ONDREL_NETLAB");
    if (route.lab && (lab == nullptr || std::string(lab) != "1")) {
        std::fprintf(stderr, "bench_endpoint: --lab broadcasts; run it inside scripts/netlab\n");
        return 2;
    }
    // The endpoint would also take a cap from the environment; here each row sets its own.
    unsetenv("ONDREL_RCVBUF");
    std::printf("route: %s\n",
                route.lab ? "lab broadcast 255.255.255.255:9003" : "loopback unicast");
    std::printf("%d runs each: median time from search to last delivery; lost summed over the "
                "runs; \"reported\" is what the endpoint counted as lost\n",
                runs);
    std::printf("%9s %9s %6s | %10s %6s | %10s %6s %8s | %6s\n", "asked", "granted", "N", "bare ms",
                "lost", "endpt ms", "lost", "reported", "ratio");
    for (int bytes : buffers) {
        UdpSocket probe;
        probe.create();
        const int granted = probe.raiseReceiveBuffer(bytes);
        probe.close();
        for (int n : sizes) {
            std::vector<std::string> replies;
            for (int i = 0; i < n; ++i) {
                replies.push_back(Reply(i));
            }
            std::vector<double> bareMs, endpointMs;
            long bareLost = 0, endpointLost = 0, reported = 0;
            for (int r = 0; r < runs; ++r) {
                const Outcome b = BareLoop(route, replies, bytes);
                const Outcome e = Endpoint(route, replies, bytes);
                bareMs.push_back(b.ms);
                endpointMs.push_back(e.ms);
                bareLost += b.lost;
                endpointLost += e.lost;
                reported += e.reported;
            }
            const double bare = Median(bareMs), ours = Median(endpointMs);
            std::printf("%9d %9d %6d | %10.2f %6ld | %10.2f %6ld %8ld | %6.2f\n", bytes, granted, n,
                        bare, bareLost, ours, endpointLost, reported, bare > 0 ? ours / bare : 0.0);
        }
    }
    return 0;
}
