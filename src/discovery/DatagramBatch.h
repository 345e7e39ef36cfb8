#pragma once
// Room for many datagrams taken off a socket in one system call (recvmmsg), each with what
// the kernel said about it: the interface it arrived on and the socket's drop counter. The
// buffers are allocated once and reused; nothing is cleared between calls, since a datagram
// is read only up to its own length.

#include "Protocol.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include <netinet/in.h>
#include <sys/socket.h>

namespace ondrel {

struct Datagram {
    std::span<const uint8_t> bytes; // at most the slot size; valid until the next receive
    std::size_t wireLength = 0;     // the datagram's full length
    bool truncated = false;         // longer than the slot: cut, to be dropped
    uint32_t ifindex = 0;           // the interface it arrived on; 0 when not told
    uint32_t source = 0;            // the sender's IPv4 address, host byte order
    bool hasDropCounter = false;
    uint32_t dropCounter = 0; // the socket's drops so far when this one was queued
};

class DatagramBatch {
public:
    static constexpr std::size_t kDefaultSlots = 64;

    explicit DatagramBatch(std::size_t slots = kDefaultSlots,
                           std::size_t slotSize = kReceiveBufferSize);
    DatagramBatch(const DatagramBatch&) = delete;
    DatagramBatch& operator=(const DatagramBatch&) = delete;

    std::size_t capacity() const { return m_headers.size(); }
    std::size_t size() const { return m_count; }
    const Datagram& operator[](std::size_t i) const { return m_datagrams[i]; }

private:
    friend class UdpSocket;
    // Points every header at its slot again (the kernel rewrites lengths) before a call.
    void prepare();
    // Reads what the kernel wrote for the first `count` headers.
    void collect(std::size_t count);

    // Room for IP_PKTINFO and SO_RXQ_OVFL, with the alignment the kernel's macros expect.
    static constexpr std::size_t kControlSize = 64;

    std::size_t m_slotSize;
    std::unique_ptr<uint8_t[]> m_data;
    std::vector<uint8_t> m_control;
    std::vector<iovec> m_iov;
    std::vector<sockaddr_in> m_senders;
    std::vector<mmsghdr> m_headers;
    std::vector<Datagram> m_datagrams;
    std::size_t m_count = 0;
};

} // namespace ondrel
