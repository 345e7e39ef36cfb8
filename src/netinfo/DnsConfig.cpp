#include "DnsConfig.h"

#include <sys/socket.h>

#include <sstream>
#include <string>

namespace ondrel {

namespace {

// resolved's stub listeners: 127.0.0.53 and, for lookups without its own caching, 127.0.0.54.
constexpr Ipv4 kResolvedStub{0x7F000035};
constexpr Ipv4 kResolvedProxy{0x7F000036};

// A dotted IPv4 address at the start of a server text, without any ":port", "%scope" or
// "#name" behind it.
std::optional<Ipv4> ipv4Server(std::string_view server) {
    const std::string_view address = server.substr(0, server.find_first_of(":%#"));
    // Only as written by ondrel: the resolver itself would read a leading zero as octal.
    if (!isCanonicalIpv4(address)) {
        return std::nullopt;
    }
    return parseIpv4(address);
}

} // namespace

std::vector<Ipv4> DnsConfig::serversFor(uint32_t ifindex) const {
    const auto own = links.find(ifindex);
    return own != links.end() && !own->second.empty() ? own->second : global;
}

bool DnsConfig::isResolvedStub() const {
    if (global.empty() || !links.empty()) {
        return false;
    }
    for (const Ipv4 server : global) {
        if (server != kResolvedStub && server != kResolvedProxy) {
            return false;
        }
    }
    return true;
}

DnsConfig parseResolvConf(std::string_view text) {
    DnsConfig dns;
    std::istringstream lines{std::string(text)};
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string keyword;
        std::string value;
        if (!(words >> keyword) || keyword != "nameserver" || !(words >> value)) {
            continue;
        }
        if (const std::optional<Ipv4> server = ipv4Server(value)) {
            dns.global.push_back(*server);
        }
    }
    return dns;
}

DnsConfig dnsFromResolved(const std::vector<ResolvedServer>& servers) {
    DnsConfig dns;
    for (const ResolvedServer& server : servers) {
        if (server.family != AF_INET || server.address.size() != 4 || server.ifindex < 0) {
            continue;
        }
        const Ipv4 address{uint32_t{server.address[0]} << 24 | uint32_t{server.address[1]} << 16 |
                           uint32_t{server.address[2]} << 8 | uint32_t{server.address[3]}};
        if (server.ifindex == 0) {
            dns.global.push_back(address);
        } else {
            dns.links[static_cast<uint32_t>(server.ifindex)].push_back(address);
        }
    }
    return dns;
}

} // namespace ondrel
