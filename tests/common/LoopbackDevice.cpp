#include "LoopbackDevice.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace ondrel::testing {

LoopbackDevice::LoopbackDevice() {
    m_fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (m_fd >= 0 && ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        socklen_t length = sizeof address;
        ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
    }
}

LoopbackDevice::~LoopbackDevice() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

bool LoopbackDevice::SendTo(uint16_t port, std::string_view datagram) const {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    to.sin_port = htons(port);
    return ::sendto(m_fd, datagram.data(), datagram.size(), 0, reinterpret_cast<sockaddr*>(&to),
                    sizeof to) == static_cast<ssize_t>(datagram.size());
}

std::vector<std::string> LoopbackDevice::Receive(int waitMs) {
    std::vector<std::string> got;
    pollfd p{m_fd, POLLIN, 0};
    while (::poll(&p, 1, waitMs) > 0) {
        char buffer[4096];
        const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
        if (n < 0) {
            break;
        }
        got.emplace_back(buffer, static_cast<std::size_t>(n));
        waitMs = 50;
    }
    return got;
}

} // namespace ondrel::testing
