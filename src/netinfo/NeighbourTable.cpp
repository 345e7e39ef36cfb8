#include "NeighbourTable.h"

#include <linux/neighbour.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <utility>

namespace ondrel {

namespace {

// Netlink messages and attributes are 4-byte aligned inside a datagram, but the datagram's
// own buffer need not be: every header is copied out rather than cast in place.
template <typename T> T copyAt(std::span<const uint8_t> bytes, std::size_t at) {
    T value{};
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return value;
}

constexpr std::size_t align4(std::size_t n) {
    return (n + 3) & ~std::size_t{3};
}

std::string linkAddressText(std::span<const uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (const uint8_t b : bytes) {
        if (!text.empty()) {
            text += ':';
        }
        text += kDigits[b >> 4];
        text += kDigits[b & 0xF];
    }
    return text;
}

// False when an attribute runs past its message.
bool readNeighbour(std::span<const uint8_t> message, std::vector<Neighbour>& out) {
    if (message.size() < sizeof(ndmsg)) {
        return false;
    }
    const auto header = copyAt<ndmsg>(message, 0);
    if (header.ndm_family != AF_INET) {
        return true;
    }
    Neighbour n;
    n.ifindex = static_cast<uint32_t>(header.ndm_ifindex);
    n.state = header.ndm_state;
    bool hasAddress = false;
    std::size_t at = align4(sizeof(ndmsg));
    while (at + sizeof(rtattr) <= message.size()) {
        const auto attribute = copyAt<rtattr>(message, at);
        if (attribute.rta_len < sizeof(rtattr) || attribute.rta_len > message.size() - at) {
            return false;
        }
        const auto payload =
            message.subspan(at + sizeof(rtattr), attribute.rta_len - sizeof(rtattr));
        if (attribute.rta_type == NDA_DST && payload.size() == 4) {
            n.address.bits = uint32_t{payload[0]} << 24 | uint32_t{payload[1]} << 16 |
                             uint32_t{payload[2]} << 8 | uint32_t{payload[3]};
            hasAddress = true;
        } else if (attribute.rta_type == NDA_LLADDR) {
            n.linkAddress = linkAddressText(payload);
        }
        at += align4(attribute.rta_len);
    }
    if (hasAddress) {
        out.push_back(std::move(n));
    }
    return true;
}

class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    Descriptor(Descriptor&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    int get() const { return m_fd; }

private:
    int m_fd;
};

std::string failed(const char* step, int code) {
    return std::string(step) + ": " + std::strerror(code);
}

// A route netlink socket whose answers are waited for at most a second: a kernel that never
// finishes must not hang the caller. Closed (and error set) on failure.
Descriptor openRoute(std::string& error) {
    Descriptor fd(::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE));
    if (fd.get() < 0) {
        error = failed("netlink socket", errno);
        return fd;
    }
    const timeval timeout{1, 0};
    if (::setsockopt(fd.get(), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout) != 0) {
        error = failed("netlink receive timeout", errno);
        return Descriptor(-1);
    }
    return fd;
}

bool sendAll(int fd, const void* request, std::size_t size) {
    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    ssize_t sent = 0;
    do {
        sent = ::sendto(fd, request, size, 0, reinterpret_cast<const sockaddr*>(&kernel),
                        sizeof kernel);
    } while (sent < 0 && errno == EINTR);
    return sent >= 0;
}

} // namespace

bool neighbourHoldsAddress(uint16_t state) {
    return state != 0 && (state & (NUD_INCOMPLETE | NUD_FAILED)) == 0;
}

DumpReading NeighbourTable::parseDump(std::span<const uint8_t> datagram, uint32_t sequence,
                                      std::vector<Neighbour>& out) {
    std::size_t at = 0;
    while (at < datagram.size()) {
        if (datagram.size() - at < sizeof(nlmsghdr)) {
            return {DumpPart::Malformed, 0};
        }
        const auto header = copyAt<nlmsghdr>(datagram, at);
        if (header.nlmsg_len < sizeof(nlmsghdr) || header.nlmsg_len > datagram.size() - at) {
            return {DumpPart::Malformed, 0};
        }
        const auto body =
            datagram.subspan(at + sizeof(nlmsghdr), header.nlmsg_len - sizeof(nlmsghdr));
        if (header.nlmsg_seq == sequence) {
            if (header.nlmsg_type == NLMSG_DONE) {
                return {DumpPart::Done, 0};
            }
            if (header.nlmsg_type == NLMSG_ERROR) {
                if (body.size() < sizeof(int)) {
                    return {DumpPart::Malformed, 0};
                }
                const int code = copyAt<int>(body, 0);
                if (code != 0) {
                    return {DumpPart::Error, -code};
                }
            } else if (header.nlmsg_type == RTM_NEWNEIGH && !readNeighbour(body, out)) {
                return {DumpPart::Malformed, 0};
            }
        }
        at += align4(header.nlmsg_len);
    }
    return {DumpPart::More, 0};
}

NeighbourReading NeighbourTable::read() {
    std::string error;
    const Descriptor fd = openRoute(error);
    if (fd.get() < 0) {
        return {{}, error};
    }

    constexpr uint32_t kSequence = 1;
    struct Request {
        nlmsghdr header;
        ndmsg body;
    } request{};
    request.header.nlmsg_len = sizeof request;
    request.header.nlmsg_type = RTM_GETNEIGH;
    request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    request.header.nlmsg_seq = kSequence;
    request.body.ndm_family = AF_INET;
    if (!sendAll(fd.get(), &request, sizeof request)) {
        return {{}, failed("netlink neighbour request", errno)};
    }

    std::array<uint8_t, 32768> buffer{};
    std::vector<Neighbour> entries;
    for (;;) {
        const ssize_t n = ::recv(fd.get(), buffer.data(), buffer.size(), MSG_TRUNC);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return {{}, failed("netlink neighbour reply", errno)};
        }
        if (n == 0) {
            return {{}, "netlink neighbour reply: empty"};
        }
        if (static_cast<std::size_t>(n) > buffer.size()) {
            return {{}, "netlink neighbour reply: message larger than the buffer"};
        }
        const DumpReading reading =
            parseDump(std::span<const uint8_t>(buffer.data(), static_cast<std::size_t>(n)),
                      kSequence, entries);
        switch (reading.part) {
        case DumpPart::More:
            break;
        case DumpPart::Done:
            return {std::move(entries), {}};
        case DumpPart::Error:
            return {{}, failed("netlink neighbour dump", reading.error)};
        case DumpPart::Malformed:
            return {{}, "netlink neighbour reply: malformed message"};
        }
    }
}

NeighbourTable::Lookup NeighbourTable::find(uint32_t ifindex, Ipv4 address) {
    std::string error;
    const Descriptor fd = openRoute(error);
    if (fd.get() < 0) {
        return {std::nullopt, error};
    }
    constexpr uint32_t kSequence = 2;
    struct Request {
        nlmsghdr header;
        ndmsg body;
        rtattr destination;
        uint8_t address[4];
    } request{};
    request.header.nlmsg_len = sizeof request;
    request.header.nlmsg_type = RTM_GETNEIGH;
    request.header.nlmsg_flags = NLM_F_REQUEST;
    request.header.nlmsg_seq = kSequence;
    request.body.ndm_family = AF_INET;
    request.body.ndm_ifindex = static_cast<int>(ifindex);
    request.destination.rta_len = RTA_LENGTH(4);
    request.destination.rta_type = NDA_DST;
    request.address[0] = static_cast<uint8_t>(address.bits >> 24);
    request.address[1] = static_cast<uint8_t>(address.bits >> 16);
    request.address[2] = static_cast<uint8_t>(address.bits >> 8);
    request.address[3] = static_cast<uint8_t>(address.bits);
    if (!sendAll(fd.get(), &request, sizeof request)) {
        return {std::nullopt, failed("netlink neighbour request", errno)};
    }
    std::array<uint8_t, 4096> buffer{};
    for (;;) {
        const ssize_t n = ::recv(fd.get(), buffer.data(), buffer.size(), MSG_TRUNC);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0 || static_cast<std::size_t>(n) > buffer.size()) {
            return {std::nullopt, n < 0 ? failed("netlink neighbour reply", errno)
                                        : std::string("netlink neighbour reply: unreadable")};
        }
        std::vector<Neighbour> entries;
        const DumpReading reading =
            parseDump(std::span<const uint8_t>(buffer.data(), static_cast<std::size_t>(n)),
                      kSequence, entries);
        if (reading.part == DumpPart::Error) {
            // ENOENT: the table holds nothing for the address.
            return {std::nullopt,
                    reading.error == ENOENT ? "" : failed("netlink neighbour get", reading.error)};
        }
        if (reading.part == DumpPart::Malformed) {
            return {std::nullopt, "netlink neighbour reply: malformed message"};
        }
        if (!entries.empty()) {
            return {std::move(entries.front()), {}};
        }
        // Someone else's message: the answer is still to come.
    }
}

} // namespace ondrel
