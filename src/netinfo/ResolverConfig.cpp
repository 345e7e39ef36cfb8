#include "ResolverConfig.h"

#include "core/Ipv4.h"

#include <sstream>

namespace ondrel {

namespace {

std::vector<std::string> Ipv4Servers(std::string_view list) {
    std::vector<std::string> servers;
    std::istringstream words{std::string(list)};
    std::string word;
    while (words >> word) {
        std::string address = Ipv4ServerAddress(word);
        if (!address.empty()) {
            servers.push_back(std::move(address));
        }
    }
    return servers;
}

} // namespace

std::string Ipv4ServerAddress(std::string_view server) {
    const std::size_t end = server.find_first_of(":%#");
    const std::string address(server.substr(0, end));
    // Only as written by ondrel: the resolver itself would read a leading zero as octal.
    if (!isCanonicalIpv4(address)) {
        return {};
    }
    return address;
}

std::vector<std::string> ParseResolvConfNameservers(std::string_view text) {
    std::vector<std::string> servers;
    std::istringstream lines{std::string(text)};
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string keyword;
        std::string value;
        if (!(words >> keyword) || keyword != "nameserver" || !(words >> value)) {
            continue;
        }
        std::string address = Ipv4ServerAddress(value);
        if (!address.empty()) {
            servers.push_back(std::move(address));
        }
    }
    return servers;
}

bool IsResolvedStub(const std::vector<std::string>& nameservers) {
    if (nameservers.empty()) {
        return false;
    }
    for (const std::string& server : nameservers) {
        if (server != "127.0.0.53" && server != "127.0.0.54") {
            return false;
        }
    }
    return true;
}

ResolvedDns ParseResolvectlDns(std::string_view text) {
    ResolvedDns dns;
    std::istringstream lines{std::string(text)};
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("Global:", 0) == 0) {
            dns.global = Ipv4Servers(std::string_view(line).substr(7));
            continue;
        }
        if (line.rfind("Link ", 0) != 0) {
            continue;
        }
        const std::size_t open = line.find('(');
        const std::size_t close = line.find("):", open == std::string::npos ? 0 : open);
        if (open == std::string::npos || close == std::string::npos) {
            continue;
        }
        const std::string name = line.substr(open + 1, close - open - 1);
        dns.links[name] = Ipv4Servers(std::string_view(line).substr(close + 2));
    }
    return dns;
}

std::optional<std::string> ResolvedDnsCache::Get() const {
    const std::lock_guard<std::mutex> hold(m_mutex);
    return m_text;
}

void ResolvedDnsCache::Store(std::optional<std::string> text) {
    const std::lock_guard<std::mutex> hold(m_mutex);
    m_text = std::move(text);
}

} // namespace ondrel
