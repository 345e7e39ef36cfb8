#include "UdpSocket.h"

#include "DatagramBatch.h"

#include <arpa/inet.h>
#include <linux/sock_diag.h>
#include <netinet/in.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <utility>

namespace ondrel {

namespace {

const SocketSyscalls kDefaultSyscalls = {
    ::socket,  ::setsockopt, ::getsockopt, ::bind,    ::getsockname, ::sendto, ::recvmsg,
    ::sendmsg, ::recvmmsg,   ::poll,       ::eventfd, ::write,       ::close,
};

std::atomic<const SocketSyscalls*> g_syscalls{&kDefaultSyscalls};

const SocketSyscalls& sys() {
    return *g_syscalls.load(std::memory_order_acquire);
}

std::string errorText(int error) {
    char buffer[128] = {};
    // The GNU variant may return a static string instead of filling the buffer.
    const char* text = strerror_r(error, buffer, sizeof buffer);
    return text != nullptr ? std::string(text) : std::string("error ") + std::to_string(error);
}

SocketStatus failure(int error, std::string_view step) {
    SocketStatus status;
    status.error = error != 0 ? error : EIO;
    status.message = std::string(step) + ": " + errorText(status.error);
    return status;
}

std::string peerText(std::string_view address, uint16_t port) {
    return std::string(address) + ":" + std::to_string(port);
}

sockaddr_in makeAddress(uint32_t hostOrderAddress, uint16_t port) {
    sockaddr_in sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    sa.sin_addr.s_addr = htonl(hostOrderAddress);
    return sa;
}

void closeQuietly(int& fd) noexcept {
    if (fd >= 0) {
        // Linux releases the descriptor even when close reports EINTR, so it is never retried.
        sys().close(fd);
        fd = -1;
    }
}

using Clock = std::chrono::steady_clock;

// What a wait for the socket came to: read again (a datagram is queued, Wake was called or
// the wait was interrupted), the deadline passed, or poll failed with `error`.
enum class WaitOutcome { Again, TimedOut, Failed };
struct Wait {
    WaitOutcome outcome = WaitOutcome::Again;
    int error = 0;
};

// Sleeps until the socket or the wake-up channel is readable, or the deadline (timeoutMs < 0:
// none) passes. A wake-up is recorded in `woken` for the caller's next look.
Wait waitReadable(int fd, int wakeFd, std::atomic<bool>& woken, Clock::time_point deadline,
                  int timeoutMs) {
    int waitMs = -1;
    if (timeoutMs >= 0) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        waitMs = static_cast<int>(std::max<decltype(left)>(left, 0));
    }
    pollfd fds[2] = {{fd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
    const int ready = sys().poll(fds, 2, waitMs);
    if (ready < 0) {
        const int error = errno;
        return error == EINTR ? Wait{} : Wait{WaitOutcome::Failed, error};
    }
    if (ready == 0) {
        return {WaitOutcome::TimedOut};
    }
    if ((fds[1].revents & POLLIN) != 0) {
        woken.store(true, std::memory_order_release);
    } else if ((fds[0].revents & (POLLERR | POLLNVAL)) != 0 && (fds[0].revents & POLLIN) == 0) {
        return {WaitOutcome::Failed, (fds[0].revents & POLLNVAL) != 0 ? EBADF : EIO};
    }
    return {};
}

} // namespace

const SocketSyscalls& SocketSyscalls::system() {
    return kDefaultSyscalls;
}

const SocketSyscalls& SocketSyscalls::current() {
    return sys();
}

const SocketSyscalls* SocketSyscalls::install(const SocketSyscalls* table) {
    return g_syscalls.exchange(table != nullptr ? table : &kDefaultSyscalls,
                               std::memory_order_acq_rel);
}

UdpSocket::~UdpSocket() noexcept {
    close();
}

UdpSocket::UdpSocket(UdpSocket&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_wakeFd(std::exchange(other.m_wakeFd, -1)),
      m_woken(other.m_woken.exchange(false)) {}

UdpSocket& UdpSocket::operator=(UdpSocket&& other) noexcept {
    if (this != &other) {
        close();
        m_fd = std::exchange(other.m_fd, -1);
        m_wakeFd = std::exchange(other.m_wakeFd, -1);
        m_woken.store(other.m_woken.exchange(false));
    }
    return *this;
}

SocketStatus UdpSocket::create() {
    close();
    const int fd = sys().socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return failure(errno, "socket");
    }
    const int wakeFd = sys().eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd < 0) {
        const int error = errno;
        int doomed = fd;
        closeQuietly(doomed);
        return failure(error, "eventfd");
    }
    m_fd = fd;
    m_wakeFd = wakeFd;
    m_woken.store(false, std::memory_order_release);
    return {};
}

SocketStatus UdpSocket::switchOn(int level, int option, const char* what) {
    if (m_fd < 0) {
        return failure(EBADF, what);
    }
    const int on = 1;
    if (sys().setsockopt(m_fd, level, option, &on, sizeof on) != 0) {
        return failure(errno, what);
    }
    return {};
}

SocketStatus UdpSocket::enableBroadcast() {
    return switchOn(SOL_SOCKET, SO_BROADCAST, "broadcast option");
}

SocketStatus UdpSocket::enablePacketInfo() {
    return switchOn(IPPROTO_IP, IP_PKTINFO, "packet information option");
}

SocketStatus UdpSocket::enableDropCounter() {
    return switchOn(SOL_SOCKET, SO_RXQ_OVFL, "drop counter option");
}

std::optional<uint32_t> UdpSocket::dropCount() const {
    if (m_fd < 0) {
        return std::nullopt;
    }
    uint32_t info[SK_MEMINFO_VARS] = {};
    socklen_t length = sizeof info;
    if (sys().getsockopt(m_fd, SOL_SOCKET, SO_MEMINFO, info, &length) != 0 ||
        length < (SK_MEMINFO_DROPS + 1) * sizeof(uint32_t)) {
        return std::nullopt;
    }
    return info[SK_MEMINFO_DROPS];
}

int UdpSocket::receiveBufferSize() const {
    int granted = 0;
    socklen_t length = sizeof granted;
    if (m_fd < 0 || sys().getsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &granted, &length) != 0) {
        return 0;
    }
    return granted;
}

int UdpSocket::raiseReceiveBuffer(int bytes) {
    if (m_fd < 0) {
        return 0;
    }
    // The forcing variant passes the system limit but needs network-admin rights (which a
    // private network lab has); the ordinary one is capped by the limit. Either may fail.
    if (sys().setsockopt(m_fd, SOL_SOCKET, SO_RCVBUFFORCE, &bytes, sizeof bytes) != 0) {
        sys().setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
    }
    int granted = 0;
    socklen_t length = sizeof granted;
    if (sys().getsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &granted, &length) != 0) {
        return 0;
    }
    return granted;
}

SocketStatus UdpSocket::enableAddressReuse() {
    const int on = 1;
    if (m_fd < 0 || sys().setsockopt(m_fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0) {
        return failure(m_fd < 0 ? EBADF : errno, "address reuse option");
    }
    return {};
}

SocketStatus UdpSocket::setMulticastInterface(uint32_t ifindex) {
    ip_mreqn request{};
    request.imr_ifindex = static_cast<int>(ifindex);
    if (m_fd < 0 ||
        sys().setsockopt(m_fd, IPPROTO_IP, IP_MULTICAST_IF, &request, sizeof request) != 0) {
        return failure(m_fd < 0 ? EBADF : errno, "multicast interface " + std::to_string(ifindex));
    }
    return {};
}

SocketStatus UdpSocket::joinGroup(uint32_t hostOrderGroup, uint32_t ifindex) {
    ip_mreqn request{};
    request.imr_multiaddr.s_addr = htonl(hostOrderGroup);
    request.imr_ifindex = static_cast<int>(ifindex);
    if (m_fd < 0 ||
        sys().setsockopt(m_fd, IPPROTO_IP, IP_ADD_MEMBERSHIP, &request, sizeof request) != 0) {
        return failure(m_fd < 0 ? EBADF : errno, "join " + formatIpv4(hostOrderGroup) +
                                                     " on interface " + std::to_string(ifindex));
    }
    return {};
}

SocketStatus UdpSocket::bind(std::string_view address, uint16_t port) {
    const std::string where = "bind " + peerText(address, port);
    if (m_fd < 0) {
        return failure(EBADF, where);
    }
    const std::optional<Ipv4> parsed = parseIpv4(address);
    if (!parsed) {
        return failure(EINVAL, where);
    }
    const sockaddr_in sa = makeAddress(parsed->bits, port);
    if (sys().bind(m_fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0) {
        return failure(errno, where);
    }
    return {};
}

uint16_t UdpSocket::localPort() const {
    if (m_fd < 0) {
        return 0;
    }
    sockaddr_in sa{};
    socklen_t length = sizeof sa;
    if (sys().getsockname(m_fd, reinterpret_cast<sockaddr*>(&sa), &length) != 0 ||
        sa.sin_family != AF_INET) {
        return 0;
    }
    return ntohs(sa.sin_port);
}

SocketStatus UdpSocket::sendTo(std::string_view address, uint16_t port,
                               std::span<const uint8_t> bytes) const {
    const std::optional<Ipv4> parsed = parseIpv4(address);
    if (!parsed) {
        return failure(EINVAL, "send to " + peerText(address, port));
    }
    return sendTo(parsed->bits, port, bytes);
}

SocketStatus UdpSocket::sendTo(uint32_t hostOrderAddress, uint16_t port,
                               std::span<const uint8_t> bytes) const {
    if (m_fd < 0) {
        return failure(EBADF, "send to " + peerText(formatIpv4(hostOrderAddress), port));
    }
    const sockaddr_in sa = makeAddress(hostOrderAddress, port);
    for (;;) {
        const ssize_t sent = sys().sendto(m_fd, bytes.data(), bytes.size(), 0,
                                          reinterpret_cast<const sockaddr*>(&sa), sizeof sa);
        if (sent >= 0) {
            return {};
        }
        if (errno != EINTR) {
            return failure(errno, "send to " + peerText(formatIpv4(hostOrderAddress), port));
        }
    }
}

SocketStatus UdpSocket::sendVia(uint32_t ifindex, uint32_t hostOrderAddress, uint16_t port,
                                std::span<const uint8_t> bytes) const {
    // No source address: the kernel takes the interface's own, or, on an interface without an
    // address, another of the PC's.
    return sendFrom(ifindex, 0, hostOrderAddress, port, bytes);
}

SocketStatus UdpSocket::sendFrom(uint32_t ifindex, uint32_t hostOrderSource,
                                 uint32_t hostOrderAddress, uint16_t port,
                                 std::span<const uint8_t> bytes) const {
    const auto where = [&] {
        return "send to " + peerText(formatIpv4(hostOrderAddress), port) + " via interface " +
               std::to_string(ifindex) +
               (hostOrderSource != 0 ? " from " + formatIpv4(hostOrderSource) : std::string());
    };
    if (m_fd < 0) {
        return failure(EBADF, where());
    }
    sockaddr_in sa = makeAddress(hostOrderAddress, port);
    iovec part{const_cast<uint8_t*>(bytes.data()), bytes.size()};
    alignas(cmsghdr) uint8_t control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
    msghdr message{};
    message.msg_name = &sa;
    message.msg_namelen = sizeof sa;
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr* c = CMSG_FIRSTHDR(&message);
    c->cmsg_level = IPPROTO_IP;
    c->cmsg_type = IP_PKTINFO;
    c->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
    in_pktinfo info{};
    info.ipi_ifindex = static_cast<int>(ifindex);
    info.ipi_spec_dst.s_addr = htonl(hostOrderSource);
    std::memcpy(CMSG_DATA(c), &info, sizeof info);
    for (;;) {
        if (sys().sendmsg(m_fd, &message, 0) >= 0) {
            return {};
        }
        if (errno != EINTR) {
            return failure(errno, where());
        }
    }
}

BatchResult UdpSocket::receiveMany(DatagramBatch& batch, int timeoutMs) const {
    BatchResult result;
    auto fail = [&result](int error, std::string_view step) {
        const SocketStatus status = failure(error, step);
        result.status = ReceiveStatus::Error;
        result.error = status.error;
        result.message = status.message;
        return result;
    };
    if (m_fd < 0) {
        return fail(EBADF, "receive");
    }
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (m_woken.load(std::memory_order_acquire)) {
            result.status = ReceiveStatus::Woken;
            return result;
        }
        batch.prepare();
        // MSG_TRUNC makes each datagram report its full length even when it is cut.
        const int got =
            sys().recvmmsg(m_fd, batch.m_headers.data(), static_cast<unsigned>(batch.capacity()),
                           MSG_DONTWAIT | MSG_TRUNC, nullptr);
        if (got > 0) {
            batch.collect(static_cast<std::size_t>(got));
            result.status = ReceiveStatus::Ok;
            result.count = batch.size();
            return result;
        }
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            return fail(errno, "receive");
        }
        const Wait wait = waitReadable(m_fd, m_wakeFd, m_woken, deadline, timeoutMs);
        if (wait.outcome == WaitOutcome::TimedOut) {
            result.status = ReceiveStatus::TimedOut;
            return result;
        }
        if (wait.outcome == WaitOutcome::Failed) {
            return fail(wait.error, "poll");
        }
    }
}

ReceiveResult UdpSocket::receive(std::span<uint8_t> buffer, int timeoutMs) const {
    ReceiveResult result;
    auto fail = [&result](int error, std::string_view step) {
        const SocketStatus status = failure(error, step);
        result.status = ReceiveStatus::Error;
        result.error = status.error;
        result.message = status.message;
        return result;
    };
    if (m_fd < 0) {
        return fail(EBADF, "receive");
    }
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (m_woken.load(std::memory_order_acquire)) {
            result.status = ReceiveStatus::Woken;
            return result;
        }
        // Try the queue first and sleep in poll only when it is empty: in a burst this costs
        // one system call per datagram, like a plain blocking receive.
        sockaddr_in from{};
        iovec part{buffer.data(), buffer.size()};
        msghdr message{};
        message.msg_name = &from;
        message.msg_namelen = sizeof from;
        message.msg_iov = &part;
        message.msg_iovlen = 1;
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        // MSG_TRUNC makes the call return the datagram's full length even when it is cut.
        const ssize_t got = sys().recvmsg(m_fd, &message, MSG_DONTWAIT | MSG_TRUNC);
        if (got >= 0) {
            for (cmsghdr* c = CMSG_FIRSTHDR(&message); c != nullptr; c = CMSG_NXTHDR(&message, c)) {
                if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
                    in_pktinfo info{};
                    std::memcpy(&info, CMSG_DATA(c), sizeof info);
                    result.ifindex = static_cast<uint32_t>(info.ipi_ifindex);
                }
            }
            result.wireLength = static_cast<std::size_t>(got);
            result.count = std::min(result.wireLength, buffer.size());
            result.senderAddress = formatIpv4(ntohl(from.sin_addr.s_addr));
            result.senderPort = ntohs(from.sin_port);
            if ((message.msg_flags & MSG_TRUNC) != 0 || result.wireLength > buffer.size()) {
                result.status = ReceiveStatus::Truncated;
            } else if (got == 0) {
                result.status = ReceiveStatus::Empty;
            } else {
                result.status = ReceiveStatus::Ok;
            }
            return result;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            return fail(errno, "receive");
        }
        const Wait wait = waitReadable(m_fd, m_wakeFd, m_woken, deadline, timeoutMs);
        if (wait.outcome == WaitOutcome::TimedOut) {
            result.status = ReceiveStatus::TimedOut;
            return result;
        }
        if (wait.outcome == WaitOutcome::Failed) {
            return fail(wait.error, "poll");
        }
        // A poll that said "readable" with an empty queue afterwards (another reader took the
        // datagram) goes back to waiting until the same deadline.
    }
}

void UdpSocket::wake() const noexcept {
    if (m_wakeFd < 0) {
        return;
    }
    m_woken.store(true, std::memory_order_release);
    const uint64_t one = 1;
    // The counter only has to become non-zero; a full counter (EAGAIN) is already readable.
    while (sys().write(m_wakeFd, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void UdpSocket::close() noexcept {
    closeQuietly(m_fd);
    closeQuietly(m_wakeFd);
    m_woken.store(false, std::memory_order_release);
}

} // namespace ondrel
