#pragma once
// A UDP/IPv4 socket that owns its descriptor, plus a wake-up channel so that a thread blocked
// in Receive can be released from another thread. This is the one place that talks to the
// operating system's socket interface; everything above it (the endpoint, the simulator, the
// command-line tool, the benchmarks) speaks in addresses, ports and byte spans.
//
// Threads: one thread may Receive while others SendTo and Wake. Create, Bind, the options and
// Close are for the owning thread before or after that phase.
//
// Addresses are dotted-decimal IPv4 text ("127.0.0.1", "0.0.0.0", "255.255.255.255").

#include "core/Ipv4.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include <poll.h>
#include <sys/socket.h>
#include <sys/types.h>

namespace ondrel {

// The outcome of a socket operation: errno (0 on success) and a readable text naming the
// failed step, for example "bind 127.0.0.1:9003: Address already in use".
struct SocketStatus {
    int error = 0;
    std::string message;

    bool ok() const { return error == 0; }
    explicit operator bool() const { return ok(); }
};

enum class ReceiveStatus {
    Ok,        // a datagram of `count` bytes is in the buffer
    Truncated, // the datagram (`wireLength` bytes) was longer than the buffer; dropped
    Empty,     // a datagram of zero bytes
    Woken,     // Wake() was called; no datagram was taken
    TimedOut,  // nothing arrived within the timeout
    Error,     // the socket failed; `error` and `message` say how
};

struct ReceiveResult {
    ReceiveStatus status = ReceiveStatus::Error;
    std::size_t count = 0;      // bytes written to the buffer
    std::size_t wireLength = 0; // the datagram's full length (larger than count if truncated)
    std::string senderAddress;  // dotted decimal; empty for Woken, TimedOut and Error
    uint16_t senderPort = 0;
    uint32_t ifindex = 0; // the interface it arrived on, with enablePacketInfo; else 0
    int error = 0;
    std::string message;
};

// The system calls behind UdpSocket. Tests install a table whose entries fail on purpose or
// observe the calls; production uses system(). Entries must behave like the POSIX calls
// they stand for (return value and errno).
struct SocketSyscalls {
    int (*socket)(int domain, int type, int protocol);
    int (*setsockopt)(int fd, int level, int name, const void* value, socklen_t length);
    int (*getsockopt)(int fd, int level, int name, void* value, socklen_t* length);
    int (*bind)(int fd, const sockaddr* address, socklen_t length);
    int (*getsockname)(int fd, sockaddr* address, socklen_t* length);
    ssize_t (*sendto)(int fd, const void* data, size_t length, int flags, const sockaddr* to,
                      socklen_t toLength);
    ssize_t (*recvmsg)(int fd, msghdr* message, int flags);
    ssize_t (*sendmsg)(int fd, const msghdr* message, int flags);
    int (*recvmmsg)(int fd, mmsghdr* messages, unsigned int count, int flags, timespec* timeout);
    int (*poll)(pollfd* fds, nfds_t count, int timeoutMs);
    int (*eventfd)(unsigned int initial, int flags);
    ssize_t (*write)(int fd, const void* data, size_t length);
    int (*close)(int fd);

    static const SocketSyscalls& system();
    // The table in use, process-wide. Install returns the previous one. The table must
    // outlive every call made through it.
    static const SocketSyscalls& current();
    static const SocketSyscalls* install(const SocketSyscalls* table);
};

class DatagramBatch;

// What one ReceiveMany call took.
struct BatchResult {
    ReceiveStatus status = ReceiveStatus::Error; // Ok (count > 0), Woken, TimedOut or Error
    std::size_t count = 0;                       // datagrams now in the batch
    int error = 0;
    std::string message;
};

class UdpSocket {
public:
    // The receive buffer the endpoint asks for, so that a burst of replies from many devices
    // waits in the kernel instead of being dropped. The kernel charges about 1.3 KB per
    // queued reply and grants twice the request: this holds some 13,000 replies.
    static constexpr int kLargeReceiveBuffer = 8 * 1024 * 1024;

    UdpSocket() = default; // not open
    ~UdpSocket() noexcept;
    UdpSocket(UdpSocket&& other) noexcept;
    UdpSocket& operator=(UdpSocket&& other) noexcept;
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    // Makes the datagram socket and its wake-up channel. Closes whatever was open before.
    SocketStatus create();
    bool isOpen() const { return m_fd >= 0; }

    SocketStatus enableBroadcast();
    // Each received datagram then says which interface it arrived on (IP_PKTINFO).
    SocketStatus enablePacketInfo();
    // Each received datagram then carries the socket's count of datagrams dropped for want of
    // buffer space so far (SO_RXQ_OVFL).
    SocketStatus enableDropCounter();
    // The socket's drop count right now, or nullopt where the kernel cannot tell. Unlike the
    // count carried by datagrams, this one also covers drops after the last datagram taken.
    std::optional<uint32_t> dropCount() const;
    // The receive buffer granted so far (twice what was asked for), or 0 if unknown.
    int receiveBufferSize() const;
    // Best effort: asks for `bytes` (beyond the system limit where permitted) and returns the
    // size the kernel actually granted, or 0 if it could not be read.
    int raiseReceiveBuffer(int bytes = kLargeReceiveBuffer);
    // Lets the port be shared with other sockets that ask the same (SO_REUSEADDR), as a
    // multicast listener must where a daemon already holds it. Before bind.
    SocketStatus enableAddressReuse();
    // Multicasts then leave through the interface with this index (IP_MULTICAST_IF). Like
    // joinGroup, safe while another thread receives: it only reads the descriptor.
    SocketStatus setMulticastInterface(uint32_t ifindex);
    // Datagrams sent to the group then arrive through the interface with this index too
    // (IP_ADD_MEMBERSHIP). Joining announces the membership on that interface's network.
    SocketStatus joinGroup(uint32_t hostOrderGroup, uint32_t ifindex);
    // Unless enableAddressReuse was asked for, a port that another socket holds fails to bind.
    SocketStatus bind(std::string_view address, uint16_t port);
    // The bound port (useful after binding port 0); 0 if not bound or unknown.
    uint16_t localPort() const;

    // Sends one datagram, once. An interrupted call is repeated (nothing was sent); any other
    // failure is returned as it is.
    SocketStatus sendTo(std::string_view address, uint16_t port,
                        std::span<const uint8_t> bytes) const;
    SocketStatus sendTo(uint32_t hostOrderAddress, uint16_t port,
                        std::span<const uint8_t> bytes) const;
    // The same, leaving through the interface with this index whatever the routing table says
    // (IP_PKTINFO); the only way to send a limited broadcast through an adapter that does not
    // carry the default route.
    SocketStatus sendVia(uint32_t ifindex, uint32_t hostOrderAddress, uint16_t port,
                         std::span<const uint8_t> bytes) const;
    // The same from a source address of this host's own (IP_PKTINFO's ipi_spec_dst), out of
    // the interface with this index (0: as routed): a wildcard socket answering for several of
    // its addresses. EINVAL when the host does not hold the source.
    SocketStatus sendFrom(uint32_t ifindex, uint32_t hostOrderSource, uint32_t hostOrderAddress,
                          uint16_t port, std::span<const uint8_t> bytes) const;

    // Waits for one datagram and copies at most buffer.size() bytes of it. timeoutMs < 0
    // waits without limit. Once Wake() has been called every later Receive returns Woken at
    // once, whether or not datagrams are queued: a wake-up is never lost and never needs a
    // second one.
    ReceiveResult receive(std::span<uint8_t> buffer, int timeoutMs = -1) const;

    // Takes as many queued datagrams as the batch holds in one system call, waiting up to
    // timeoutMs for the first one (0: only what is queued now). Wake() is honoured as by
    // Receive. Datagrams that were cut or empty are in the batch too, marked as such.
    BatchResult receiveMany(DatagramBatch& batch, int timeoutMs = -1) const;

    // Releases a blocked Receive (and all later ones). Safe from any thread and more than
    // once; does nothing on a socket that is not open.
    void wake() const noexcept;
    bool isWoken() const noexcept { return m_woken.load(std::memory_order_acquire); }

    void close() noexcept;
    int nativeHandle() const { return m_fd; }
    // Readable once wake() was called: for an owner that polls several sockets at once.
    int wakeHandle() const { return m_wakeFd; }

private:
    // Sets an on/off socket option on; what names it in the failure.
    SocketStatus switchOn(int level, int option, const char* what);
    int m_fd = -1;
    int m_wakeFd = -1;
    mutable std::atomic<bool> m_woken{false};
};

} // namespace ondrel
