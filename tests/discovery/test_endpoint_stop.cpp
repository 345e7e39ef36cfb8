// Stopping the endpoint, and what it does when the system calls beneath it fail.

#include "discovery/DiscoveryEndpoint.h"

#include "test_endpoint_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <future>
#include <memory>

using namespace ondrel;
using namespace ondrel::testing;

namespace {

// Observers and fault switches behind the endpoint's socket.
std::atomic<int> g_recvCalls{0};   // recvmmsg calls entered
std::atomic<int> g_takenAtCall{0}; // the call number that last returned a datagram
std::atomic<int> g_recvError{0};   // errno for every recvmmsg while non-zero
std::atomic<int> g_wakes{0};
std::atomic<int> g_sendCalls{0};
std::atomic<int> g_sendErrors{0}; // how many sends fail, with g_sendErrno
std::atomic<int> g_sendErrno{0};
std::atomic<int> g_failSocket{0};
std::atomic<int> g_failBroadcast{0};
std::atomic<int> g_failBind{0};
std::atomic<int> g_failReceiveBuffer{0};

SocketSyscalls ObservedTable() {
    SocketSyscalls t = SocketSyscalls::system();
    t.recvmmsg = [](int fd, mmsghdr* m, unsigned n, int f, timespec* wait) -> int {
        const int call = ++g_recvCalls;
        if (g_recvError.load() != 0) {
            errno = g_recvError.load();
            return -1;
        }
        const int got = ::recvmmsg(fd, m, n, f, wait);
        if (got > 0) {
            g_takenAtCall = call;
        }
        return got;
    };
    t.write = [](int fd, const void* d, size_t n) -> ssize_t {
        ++g_wakes;
        return ::write(fd, d, n);
    };
    t.sendto = [](int fd, const void* d, size_t n, int f, const sockaddr* a,
                  socklen_t l) -> ssize_t {
        ++g_sendCalls;
        if (g_sendErrors.load() > 0) {
            --g_sendErrors;
            errno = g_sendErrno.load();
            return -1;
        }
        return ::sendto(fd, d, n, f, a, l);
    };
    t.socket = [](int d, int ty, int p) {
        return g_failSocket.load() != 0 ? (errno = g_failSocket.load(), -1) : ::socket(d, ty, p);
    };
    t.setsockopt = [](int fd, int l, int n, const void* v, socklen_t len) {
        const int fail = n == SO_BROADCAST                         ? g_failBroadcast.load()
                         : (n == SO_RCVBUF || n == SO_RCVBUFFORCE) ? g_failReceiveBuffer.load()
                                                                   : 0;
        return fail != 0 ? (errno = fail, -1) : ::setsockopt(fd, l, n, v, len);
    };
    t.bind = [](int fd, const sockaddr* a, socklen_t l) {
        return g_failBind.load() != 0 ? (errno = g_failBind.load(), -1) : ::bind(fd, a, l);
    };
    return t;
}

class EndpointStop : public ::testing::Test {
protected:
    void SetUp() override {
        for (auto* v :
             {&g_recvCalls, &g_takenAtCall, &g_recvError, &g_wakes, &g_sendCalls, &g_sendErrors,
              &g_sendErrno, &g_failSocket, &g_failBroadcast, &g_failBind, &g_failReceiveBuffer}) {
            v->store(0);
        }
    }
    std::unique_ptr<DiscoveryEndpoint> OpenEndpoint(Collector* events) {
        auto e = std::make_unique<DiscoveryEndpoint>(LoopbackConfig(peer.Port()));
        EXPECT_TRUE(e->open());
        if (events != nullptr) {
            events->Listen(*e);
        }
        return e;
    }
    SocketSyscalls table = ObservedTable();
    ScopedSyscalls scope{table};
    LoopbackPeer peer;
};

// Sends replies to a port until told to stop.
struct Stream {
    std::atomic<bool> running{true};
    std::thread thread;
    Stream(const LoopbackPeer& peer, uint16_t port) {
        thread = std::thread([this, &peer, port] {
            for (int i = 0; running.load(); ++i) {
                peer.socket.sendTo("127.0.0.1", port, AsBytes(SearchReply(i % 1000)));
            }
        });
    }
    ~Stream() {
        running = false;
        thread.join();
    }
};

} // namespace

TEST_F(EndpointStop, StopsWhileIdleAndAgain) {
    Collector events;
    auto endpoint = OpenEndpoint(&events);
    endpoint->stop();
    EXPECT_EQ(endpoint->state(), DiscoveryEndpoint::State::Stopped);
    endpoint->stop();
    peer.Send(endpoint->boundPort(), SearchReply(1));
    EXPECT_TRUE(endpoint->sendSearch()); // requests still go out once stopped
    EXPECT_EQ(peer.Take().size(), 32u);
    EXPECT_EQ(events.Count(), 0u);
}

TEST_F(EndpointStop, NoHandlerAfterStopWhileDatagramsStreamIn) {
    Collector events;
    std::atomic<bool> stopReturned{false};
    std::atomic<int> late{0};
    events.hook = [&](const Event&) { late += stopReturned.load() ? 1 : 0; };
    auto endpoint = OpenEndpoint(&events);
    {
        Stream stream(peer, endpoint->boundPort());
        ASSERT_TRUE(events.WaitFor(50));
        endpoint->stop();
        stopReturned = true;
        const std::size_t atStop = events.Count();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_EQ(events.Count(), atStop);
    }
    EXPECT_EQ(late.load(), 0);
    // Destruction while datagrams stream in, without an explicit Stop, ends as well.
    Collector other;
    auto second = OpenEndpoint(&other);
    Stream stream(peer, second->boundPort());
    ASSERT_TRUE(other.WaitFor(10));
    second.reset();
}

TEST_F(EndpointStop, StopWaitsForABlockedHandlerThenDeliversNothingMore) {
    Collector events;
    HoldFirstEvent hold(events);
    auto endpoint = OpenEndpoint(&events);
    for (int i = 0; i < 5; ++i) {
        peer.Send(endpoint->boundPort(), SearchReply(i));
    }
    hold.WaitUntilHeld();
    auto stopped = std::async(std::launch::async, [&] { endpoint->stop(); });
    ASSERT_TRUE(Eventually([] { return g_wakes.load() > 0; }));
    EXPECT_EQ(stopped.wait_for(std::chrono::milliseconds(20)), std::future_status::timeout);
    hold.Release();
    EXPECT_EQ(stopped.wait_for(kPatience), std::future_status::ready);
    // Replies queued behind the blocked call are never handed over.
    EXPECT_EQ(events.calls.load(), 1);
}

TEST_F(EndpointStop, StopFromInsideTheHandlerEndsTheLoopWithoutJoiningItself) {
    Collector events;
    DiscoveryEndpoint* self = nullptr;
    events.hook = [&](const Event&) { self->stop(); };
    auto endpoint = OpenEndpoint(&events);
    self = endpoint.get();
    for (int i = 0; i < 3; ++i) {
        peer.Send(endpoint->boundPort(), SearchReply(i));
    }
    ASSERT_TRUE(Eventually([&] { return endpoint->state() == DiscoveryEndpoint::State::Stopped; }));
    endpoint.reset();
    EXPECT_EQ(events.calls.load(), 1);
}

TEST_F(EndpointStop, WithoutHandlersEventsAreDroppedAndTheLoopGoesOn) {
    Collector events;
    auto endpoint = OpenEndpoint(nullptr);
    peer.Send(endpoint->boundPort(), "errcode:1\r\n");
    // Handled once the loop has found the socket empty and come back to wait for more.
    ASSERT_TRUE(Eventually([] { return g_takenAtCall > 0 && g_recvCalls > g_takenAtCall + 1; }));
    events.Listen(*endpoint);
    peer.Send(endpoint->boundPort(), SearchReply(5));
    ASSERT_TRUE(events.WaitFor(1));
    endpoint->stop();
    ASSERT_EQ(events.Count(), 1u);
    EXPECT_EQ(events.events[0].kind, Event::Kind::Reply);
}

TEST_F(EndpointStop, ASocketErrorEndsTheLoopForGood) {
    Collector events;
    g_recvError = EIO;
    auto endpoint = OpenEndpoint(&events);
    ASSERT_TRUE(Eventually([&] { return endpoint->state() == DiscoveryEndpoint::State::Stopped; }));
    g_recvError = 0;
    peer.Send(endpoint->boundPort(), SearchReply(1));
    EXPECT_EQ(g_recvCalls.load(), 1);
    EXPECT_EQ(events.Count(), 0u);
}

TEST_F(EndpointStop, SendFailuresAreReportedAndNotRetried) {
    auto endpoint = OpenEndpoint(nullptr);
    const Device device;
    const std::function<SendResult()> sends[] = {
        [&] { return endpoint->sendSearch(); },
        [&] { return endpoint->sendQuery(kCmdQuery1, device); },
        [&] { return endpoint->sendSettings(device, currentSettings(device), Credentials()); },
    };
    for (const auto& send : sends) {
        g_sendCalls = 0;
        g_sendErrno = ENETUNREACH;
        g_sendErrors = 1;
        const SendResult r = send();
        EXPECT_FALSE(r);
        EXPECT_EQ(r.error, ENETUNREACH);
        EXPECT_NE(r.message.find(std::strerror(ENETUNREACH)), std::string::npos) << r.message;
        EXPECT_EQ(g_sendCalls.load(), 1);
        g_sendErrno = EINTR; // interrupted before anything left: repeated, then sent
        g_sendErrors = 1;
        EXPECT_TRUE(send());
        peer.Take();
    }
}

TEST_F(EndpointStop, OpenFailsQuietlyExceptForBind) {
    struct Row {
        const char* name;
        std::atomic<int>* fault;
        int open;
        std::size_t notices;
    } rows[] = {
        {"socket", &g_failSocket, 0, 0},
        {"broadcast option", &g_failBroadcast, 0, 0},
        {"bind", &g_failBind, 0, 1},
        {"receive buffer (best effort)", &g_failReceiveBuffer, 1, 0},
    };
    for (const Row& row : rows) {
        row.fault->store(EACCES);
        DiscoveryEndpoint endpoint(LoopbackConfig(peer.Port()));
        std::size_t notices = 0;
        endpoint.setBindFailureNotifier([&](std::string_view) { ++notices; });
        EXPECT_EQ(endpoint.open(), row.open) << row.name;
        EXPECT_EQ(notices, row.notices) << row.name;
        EXPECT_EQ(endpoint.state(),
                  row.open ? DiscoveryEndpoint::State::Listening : DiscoveryEndpoint::State::Closed)
            << row.name;
        EXPECT_EQ(static_cast<bool>(endpoint.sendSearch()), row.open == 1) << row.name;
        if (row.open == 1) {
            peer.Take();
        }
        row.fault->store(0);
    }
}
