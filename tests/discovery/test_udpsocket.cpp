#include "discovery/UdpSocket.h"

#include "test_endpoint_support.h"

#include <gtest/gtest.h>

#include <fcntl.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <thread>

// Nothing here sends to the broadcast address: it appears as text only. Whatever broadcasts
// runs inside the private lab of scripts/netlab.

using namespace ondrel;
using namespace ondrel::testing;

namespace {

// Fault switches for the fake system calls: a non-zero value is the errno of the next calls
// (count > 0 limits how many fail; -1 means all).
struct Fault {
    std::atomic<int> error{0};
    std::atomic<int> count{0};
    std::atomic<int> calls{0};
    bool Trip() {
        ++calls;
        if (error.load() == 0 || count.load() == 0) {
            return false;
        }
        if (count.load() > 0) {
            --count;
        }
        errno = error.load();
        return true;
    }
    void Arm(int e, int n) {
        error = e;
        count = n;
        calls = 0;
    }
};
Fault g_socket, g_eventfd, g_setsockopt, g_recvmsg, g_poll, g_close;

SocketSyscalls FaultyTable() {
    SocketSyscalls t = SocketSyscalls::system();
    t.socket = [](int d, int ty, int p) { return g_socket.Trip() ? -1 : ::socket(d, ty, p); };
    t.eventfd = [](unsigned v, int f) {
        return g_eventfd.Trip() ? -1 : SocketSyscalls::system().eventfd(v, f);
    };
    t.setsockopt = [](int fd, int l, int n, const void* v, socklen_t len) {
        return g_setsockopt.Trip() ? -1 : ::setsockopt(fd, l, n, v, len);
    };
    t.recvmsg = [](int fd, msghdr* m, int f) -> ssize_t {
        return g_recvmsg.Trip() ? -1 : ::recvmsg(fd, m, f);
    };
    t.poll = [](pollfd* p, nfds_t n, int ms) { return g_poll.Trip() ? -1 : ::poll(p, n, ms); };
    t.close = [](int fd) {
        g_close.Trip();
        return ::close(fd);
    };
    return t;
}

class UdpSocketFaults : public ::testing::Test {
protected:
    void SetUp() override {
        for (Fault* f : {&g_socket, &g_eventfd, &g_setsockopt, &g_recvmsg, &g_poll, &g_close}) {
            f->Arm(0, 0);
        }
    }
    SocketSyscalls table = FaultyTable();
    ScopedSyscalls scope{table};
};

bool IsOpenDescriptor(int fd) {
    return fd >= 0 && ::fcntl(fd, F_GETFD) != -1;
}

} // namespace

TEST(UdpSocket, ReceivesWhatWasSentWithTheSender) {
    LoopbackPeer a, b;
    a.Send(b.Port(), "hello");
    uint8_t buffer[64] = {};
    const ReceiveResult r = b.socket.receive(buffer, 5000);
    ASSERT_EQ(r.status, ReceiveStatus::Ok) << r.message;
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), r.count), "hello");
    EXPECT_EQ(r.senderAddress, "127.0.0.1");
    EXPECT_EQ(r.senderPort, a.Port());
}

TEST(UdpSocket, ReportsTruncatedAndEmptyDatagramsBySize) {
    struct Row {
        std::size_t size;
        ReceiveStatus status;
        std::size_t count;
    } rows[] = {{0, ReceiveStatus::Empty, 0},
                {1, ReceiveStatus::Ok, 1},
                {1400, ReceiveStatus::Ok, 1400},
                {1401, ReceiveStatus::Truncated, 1400},
                {65507, ReceiveStatus::Truncated, 1400}};
    LoopbackPeer a, b;
    for (const Row& row : rows) {
        a.Send(b.Port(), std::string(row.size, 'x'));
        std::vector<uint8_t> buffer(1400);
        const ReceiveResult r = b.socket.receive(buffer, 5000);
        EXPECT_EQ(r.status, row.status) << row.size;
        EXPECT_EQ(r.count, row.count) << row.size;
        EXPECT_EQ(r.wireLength, row.size);
    }
}

TEST(UdpSocket, ATakenPortFailsToBindWithTheReason) {
    LoopbackPeer holder;
    UdpSocket second;
    ASSERT_TRUE(second.create());
    ASSERT_TRUE(second.enableBroadcast());
    const SocketStatus s = second.bind("127.0.0.1", holder.Port());
    EXPECT_EQ(s.error, EADDRINUSE);
    EXPECT_NE(s.message.find("127.0.0.1:" + std::to_string(holder.Port())), std::string::npos);
    EXPECT_NE(s.message.find(std::strerror(EADDRINUSE)), std::string::npos);
}

TEST(UdpSocket, BadAddressesAndClosedSocketsFailWithoutSending) {
    LoopbackPeer a;
    EXPECT_EQ(a.socket.sendTo("127.0.0.256", 9, AsBytes("x")).error, EINVAL);
    EXPECT_EQ(a.socket.sendTo("", 9, AsBytes("x")).error, EINVAL);
    UdpSocket closed;
    EXPECT_EQ(closed.bind("127.0.0.1", 0).error, EBADF);
    EXPECT_EQ(closed.sendTo("127.0.0.1", a.Port(), AsBytes("x")).error, EBADF);
    uint8_t buffer[8];
    EXPECT_EQ(closed.receive(buffer, 0).status, ReceiveStatus::Error);
    EXPECT_EQ(a.socket.receive(buffer, 0).status, ReceiveStatus::TimedOut);
}

TEST(UdpSocket, MovingTransfersOwnershipAndDestructionCloses) {
    LoopbackPeer sender;
    int fd = -1;
    {
        UdpSocket first;
        ASSERT_TRUE(first.create());
        ASSERT_TRUE(first.bind("127.0.0.1", 0));
        fd = first.nativeHandle();
        UdpSocket second(std::move(first));
        EXPECT_FALSE(first.isOpen());
        UdpSocket third;
        third = std::move(second);
        EXPECT_FALSE(second.isOpen());
        sender.Send(third.localPort(), "moved");
        uint8_t buffer[16];
        EXPECT_EQ(third.receive(buffer, 5000).status, ReceiveStatus::Ok);
        EXPECT_TRUE(IsOpenDescriptor(fd));
    }
    EXPECT_FALSE(IsOpenDescriptor(fd));
}

TEST(UdpSocket, WakeReleasesABlockedReceiveAndEveryLaterOne) {
    LoopbackPeer a, b;
    std::thread waker([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        b.socket.wake();
    });
    uint8_t buffer[16];
    EXPECT_EQ(b.socket.receive(buffer).status, ReceiveStatus::Woken);
    waker.join();
    a.Send(b.Port(), "queued"); // a wake-up outranks queued datagrams
    EXPECT_EQ(b.socket.receive(buffer).status, ReceiveStatus::Woken);
    EXPECT_TRUE(b.socket.isWoken());
}

TEST(Ipv4Text, ParsesAndFormats) {
    EXPECT_EQ(parseIpv4("127.0.0.1"), Ipv4{0x7F000001u});
    EXPECT_EQ(parseIpv4("255.255.255.255"), Ipv4{0xFFFFFFFFu});
    EXPECT_FALSE(parseIpv4("1.2.3"));
    EXPECT_FALSE(parseIpv4("1.2.3.4 "));
    EXPECT_EQ(formatIpv4(0x0A4D0001u), "10.77.0.1");
}

TEST_F(UdpSocketFaults, InterruptedCallsAreRepeated) {
    LoopbackPeer a, b;
    a.Send(b.Port(), "one");
    g_recvmsg.Arm(EINTR, 1);
    uint8_t buffer[16];
    EXPECT_EQ(b.socket.receive(buffer, 5000).status, ReceiveStatus::Ok);
    g_poll.Arm(EINTR, 1);
    std::thread later([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        a.Send(b.Port(), "two");
    });
    const ReceiveResult r = b.socket.receive(buffer, 5000);
    later.join();
    EXPECT_EQ(r.status, ReceiveStatus::Ok);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), r.count), "two");
}

TEST_F(UdpSocketFaults, ReceiveFailuresCarryErrnoAndText) {
    LoopbackPeer b;
    g_recvmsg.Arm(EIO, 1);
    uint8_t buffer[16];
    const ReceiveResult r = b.socket.receive(buffer, 5000);
    EXPECT_EQ(r.status, ReceiveStatus::Error);
    EXPECT_EQ(r.error, EIO);
    EXPECT_FALSE(r.message.empty());
}

TEST_F(UdpSocketFaults, CreateFailuresLeaveNothingOpen) {
    UdpSocket s;
    g_socket.Arm(EMFILE, 1);
    EXPECT_EQ(s.create().error, EMFILE);
    EXPECT_FALSE(s.isOpen());
    g_eventfd.Arm(ENFILE, 1);
    g_close.Arm(0, 0);
    EXPECT_EQ(s.create().error, ENFILE);
    EXPECT_FALSE(s.isOpen());
    EXPECT_EQ(g_close.calls, 1); // the datagram socket made before the failure
}

TEST_F(UdpSocketFaults, ReceiveBufferIsRaisedOnlyAsFarAsAllowed) {
    LoopbackPeer a;
    const int before = a.socket.raiseReceiveBuffer(0);
    g_setsockopt.Arm(EPERM, -1);
    EXPECT_EQ(a.socket.raiseReceiveBuffer(), before); // both ways refused: unchanged, no harm
    g_setsockopt.Arm(0, 0);
    EXPECT_GT(a.socket.raiseReceiveBuffer(), before);
}
