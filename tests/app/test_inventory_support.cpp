#include "test_inventory_support.h"

#include "discovery/Protocol.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace ondrel::inventory_test {

Reply Numbered(unsigned n) {
    Reply r;
    r.name = "Cam " + std::to_string(n);
    r.devId = "DEV" + std::to_string(n);
    char mac[32];
    std::snprintf(mac, sizeof mac, "02:00:00:%02X:%02X:%02X", (n >> 16) & 0xFFu, (n >> 8) & 0xFFu,
                  n & 0xFFu);
    r.mac = mac;
    r.ip = "10.1." + std::to_string((n >> 8) & 0xFFu) + "." + std::to_string(n & 0xFFu);
    return r;
}

std::string ReplyText(const Reply& r) {
    std::string out = "IPCamSearchReply\r\n";
    auto line = [&out](std::string_view key, std::string_view value) {
        out.append(key).append(":").append(value).append("\r\n");
    };
    line("Version", "1");
    line("nSeq", "1");
    line("DevName", r.name);
    line("DevId", r.devId);
    line("CableConnect", "1");
    line("IP", r.ip);
    line("MacEth0", r.mac);
    line("IPMethod", r.dhcp ? "0" : "1"); // on the wire 0 means automatic
    line("WifiConnect", "0");
    line("NetMask", r.mask);
    line("GateWay", r.gateway);
    line("DNS0", r.dns0);
    line("DNS1", r.dns1);
    line("Port", std::to_string(r.httpPort));
    line("WebVersion", r.webVersion);
    line("AppVersion", r.appVersion);
    // 19 digits leave exactly the tail a listener checks for.
    out.append(kTailKey).append(":0000000000000000007\r\n\r\n");
    return out;
}

std::string QueryBytes(uint16_t command, const DeviceInfo& record) {
    std::string out = {'\x10',
                       '\x10',
                       static_cast<char>(command & 0xFF),
                       static_cast<char>(command >> 8),
                       '\0',
                       '\0',
                       static_cast<char>(sizeof record & 0xFF),
                       static_cast<char>(sizeof record >> 8)};
    out.append(reinterpret_cast<const char*>(&record), sizeof record);
    return out;
}

DeviceSide::DeviceSide() {
    m_fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (m_fd >= 0 && ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        socklen_t length = sizeof address;
        ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
    }
}

DeviceSide::~DeviceSide() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

bool DeviceSide::Send(uint16_t port, std::string_view datagram) const {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    to.sin_port = htons(port);
    return ::sendto(m_fd, datagram.data(), datagram.size(), 0, reinterpret_cast<sockaddr*>(&to),
                    sizeof to) == static_cast<ssize_t>(datagram.size());
}

std::vector<std::string> DeviceSide::Receive(int waitMs) {
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

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs) {
            return done();
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

} // namespace ondrel::inventory_test
