#include "NeighbourProbe.h"

#include "netinfo/NeighbourTable.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

namespace ondrel {

namespace {

constexpr uint16_t kDiscardPort = 9;
// Between readings of the table while waiting: answers come in milliseconds, so a batch whose
// every candidate answered ends early.
constexpr std::chrono::milliseconds kPollPeriod{100};
// Each socket's send buffer holds its datagrams until their neighbours resolve; a large batch
// spreads over a few sockets rather than finding one full.
constexpr std::size_t kMaxSockets = 32;

bool canAsk(const ProbeRequest& r) {
    return r.adapter.ifindex != 0 && r.adapter.hasAddress() && r.adapter.contains(r.address.bits);
}

class UdpSockets {
public:
    UdpSockets() = default;
    UdpSockets(const UdpSockets&) = delete;
    UdpSockets& operator=(const UdpSockets&) = delete;
    ~UdpSockets() {
        for (const int fd : m_fds) {
            ::close(fd);
        }
    }

    // Empty on success, else why the datagram could not go out.
    std::string send(const ProbeRequest& r) {
        for (;;) {
            if (m_fds.empty() && !open()) {
                return "socket: " + std::string(std::strerror(errno));
            }
            const int code = sendOn(m_fds.back(), r);
            if (code == 0) {
                return {};
            }
            if ((code != EAGAIN && code != ENOBUFS) || m_fds.size() >= kMaxSockets) {
                return "send to " + r.address.text() + ": " + std::strerror(code);
            }
            if (!open()) {
                return "socket: " + std::string(std::strerror(errno));
            }
        }
    }

private:
    bool open() {
        const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            return false;
        }
        m_fds.push_back(fd);
        return true;
    }

    static int sendOn(int fd, const ProbeRequest& r) {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(kDiscardPort);
        to.sin_addr.s_addr = htonl(r.address.bits);
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
        msghdr message{};
        message.msg_name = &to;
        message.msg_namelen = sizeof to;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        cmsghdr* c = CMSG_FIRSTHDR(&message);
        c->cmsg_level = IPPROTO_IP;
        c->cmsg_type = IP_PKTINFO;
        c->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
        in_pktinfo info{};
        info.ipi_ifindex = static_cast<int>(r.adapter.ifindex);
        info.ipi_spec_dst.s_addr = htonl(r.adapter.address);
        std::memcpy(CMSG_DATA(c), &info, sizeof info);
        for (;;) {
            // An empty datagram: the resolution is all that is wanted of it.
            if (::sendmsg(fd, &message, MSG_NOSIGNAL) >= 0) {
                return 0;
            }
            if (errno != EINTR) {
                return errno;
            }
        }
    }

    std::vector<int> m_fds;
};

const Neighbour* find(const std::vector<Neighbour>& table, const ProbeRequest& r) {
    const auto it = std::find_if(table.begin(), table.end(), [&](const Neighbour& n) {
        return n.ifindex == r.adapter.ifindex && n.address == r.address;
    });
    return it == table.end() ? nullptr : &*it;
}

} // namespace

std::vector<ProbeResult> NeighbourProbe::probe(const std::vector<ProbeRequest>& requests) {
    std::vector<ProbeResult> results(requests.size());
    std::vector<std::size_t> asked;
    // Open until the wait ends: a datagram waiting for its neighbour belongs to its socket.
    UdpSockets sockets;
    {
        for (std::size_t i = 0; i < requests.size(); ++i) {
            if (!canAsk(requests[i])) {
                continue; // NotChecked
            }
            std::string error = sockets.send(requests[i]);
            if (error.empty()) {
                asked.push_back(i);
            } else {
                results[i] = {ProbeOutcome::Failed, std::move(error)};
            }
        }
    }
    if (asked.empty()) {
        return results;
    }

    const auto deadline = std::chrono::steady_clock::now() + m_wait;
    for (;;) {
        const bool last = std::chrono::steady_clock::now() >= deadline;
        const NeighbourReading reading = NeighbourTable::read();
        if (!reading.ok()) {
            for (const std::size_t i : asked) {
                results[i] = {ProbeOutcome::Failed, reading.error};
            }
            return results;
        }
        const std::vector<Neighbour>& table = reading.neighbours;
        bool allHeld = true;
        for (const std::size_t i : asked) {
            const Neighbour* n = find(table, requests[i]);
            if (n != nullptr && neighbourHoldsAddress(n->state)) {
                results[i] = {ProbeOutcome::InUse, n->linkAddress};
            } else {
                results[i] = {ProbeOutcome::Free, {}};
                allHeld = false;
            }
        }
        if (allHeld || last) {
            return results;
        }
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
            kPollPeriod, deadline - std::chrono::steady_clock::now()));
    }
}

} // namespace ondrel
