#pragma once
// Which DNS servers the PC uses. When /etc/resolv.conf hands every lookup to the local stub
// of systemd-resolved, the servers that matter are resolved's own, per link; otherwise they
// are the nameservers of resolv.conf, the same for every adapter. Only IPv4 servers count.

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ondrel {

std::vector<std::string> ParseResolvConfNameservers(std::string_view text);

// True when there are servers and every one of them is resolved's local stub.
bool IsResolvedStub(const std::vector<std::string>& nameservers);

struct ResolvedDns {
    std::vector<std::string> global;
    std::map<std::string, std::vector<std::string>> links; // by interface name
};

// The output of `resolvectl dns`: "Global: ..." and "Link N (name): ..." lines.
ResolvedDns ParseResolvectlDns(std::string_view text);

// A dotted IPv4 address at the start of a server text, without any ":port", "%scope" or
// "#name" behind it; empty when the text is not IPv4.
std::string Ipv4ServerAddress(std::string_view server);

// resolved's answer (`resolvectl dns` can take seconds), asked once on a worker thread and
// read by the adapter source without waiting: nullopt until the answer is stored.
class ResolvedDnsCache {
public:
    std::optional<std::string> Get() const;
    void Store(std::optional<std::string> text);

private:
    mutable std::mutex m_mutex;
    std::optional<std::string> m_text;
};

} // namespace ondrel
