#include "DatagramBatch.h"

#include <netinet/in.h>

#include <algorithm>
#include <cstring>

namespace ondrel {

DatagramBatch::DatagramBatch(std::size_t slots, std::size_t slotSize)
    : m_slotSize(std::max<std::size_t>(slotSize, 1)),
      // Left uninitialised: a slot's pages are only taken once the kernel writes a datagram
      // into them, so room for the largest datagram costs nothing until one arrives.
      m_data(new uint8_t[std::max<std::size_t>(slots, 1) * m_slotSize]),
      m_control(std::max<std::size_t>(slots, 1) * kControlSize),
      m_iov(std::max<std::size_t>(slots, 1)), m_senders(std::max<std::size_t>(slots, 1)),
      m_headers(std::max<std::size_t>(slots, 1)), m_datagrams(std::max<std::size_t>(slots, 1)) {}

void DatagramBatch::prepare() {
    m_count = 0;
    for (std::size_t i = 0; i < m_headers.size(); ++i) {
        m_iov[i] = iovec{m_data.get() + i * m_slotSize, m_slotSize};
        msghdr& h = m_headers[i].msg_hdr;
        std::memset(&m_headers[i], 0, sizeof m_headers[i]);
        h.msg_iov = &m_iov[i];
        h.msg_iovlen = 1;
        h.msg_name = &m_senders[i];
        h.msg_namelen = sizeof m_senders[i];
        h.msg_control = m_control.data() + i * kControlSize;
        h.msg_controllen = kControlSize;
    }
}

void DatagramBatch::collect(std::size_t count) {
    m_count = std::min(count, m_headers.size());
    for (std::size_t i = 0; i < m_count; ++i) {
        msghdr& h = m_headers[i].msg_hdr;
        Datagram& d = m_datagrams[i];
        d.wireLength = m_headers[i].msg_len;
        d.truncated = (h.msg_flags & MSG_TRUNC) != 0 || d.wireLength > m_slotSize;
        d.bytes = std::span<const uint8_t>(m_data.get() + i * m_slotSize,
                                           std::min(d.wireLength, m_slotSize));
        d.ifindex = 0;
        d.source = h.msg_namelen >= sizeof(sockaddr_in) && m_senders[i].sin_family == AF_INET
                       ? ntohl(m_senders[i].sin_addr.s_addr)
                       : 0;
        d.hasDropCounter = false;
        d.dropCounter = 0;
        for (cmsghdr* c = CMSG_FIRSTHDR(&h); c != nullptr; c = CMSG_NXTHDR(&h, c)) {
            if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO &&
                c->cmsg_len >= CMSG_LEN(sizeof(in_pktinfo))) {
                in_pktinfo info;
                std::memcpy(&info, CMSG_DATA(c), sizeof info);
                d.ifindex = static_cast<uint32_t>(info.ipi_ifindex);
            } else if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SO_RXQ_OVFL &&
                       c->cmsg_len >= CMSG_LEN(sizeof(uint32_t))) {
                std::memcpy(&d.dropCounter, CMSG_DATA(c), sizeof d.dropCounter);
                d.hasDropCounter = true;
            }
        }
    }
}

} // namespace ondrel
