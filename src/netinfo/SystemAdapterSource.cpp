#include "SystemAdapterSource.h"

#include <net/if.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace ondrel {

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

DnsConfig SystemAdapterSource::dns() const {
    DnsConfig fromFile = parseResolvConf(readFile(m_seams.resolvConf));
    // resolved is asked only when the PC uses it: otherwise a running resolved may know
    // servers that no lookup of this PC goes to.
    if (fromFile.isResolvedStub() && m_seams.resolved) {
        if (std::optional<DnsConfig> answer = m_seams.resolved()) {
            return *std::move(answer);
        }
    }
    return fromFile;
}

std::vector<Adapter> SystemAdapterSource::list() {
    std::vector<Adapter> walked =
        m_seams.interfaces ? m_seams.interfaces() : std::vector<Adapter>{};
    const DefaultGateways gateways =
        m_seams.gateways ? m_seams.gateways().value_or(DefaultGateways{}) : DefaultGateways{};
    const DnsConfig servers = dns();

    std::vector<Adapter> adapters;
    for (Adapter& adapter : walked) {
        std::error_code ec;
        if ((adapter.flags & IFF_LOOPBACK) != 0 ||
            !std::filesystem::is_directory(m_seams.ipv4Conf + "/" + adapter.name, ec)) {
            continue;
        }
        adapter.description = adapterDescription(
            adapter.name, m_seams.hardware ? m_seams.hardware(adapter.name) : HardwareNames{});
        const auto gateway = gateways.find(adapter.ifindex);
        adapter.gateway =
            gateway != gateways.end() ? std::optional<Ipv4>(gateway->second) : std::nullopt;
        adapter.dns = servers.serversFor(adapter.ifindex);
        adapters.push_back(std::move(adapter));
    }
    std::stable_sort(adapters.begin(), adapters.end(),
                     [](const Adapter& a, const Adapter& b) { return a.ifindex < b.ifindex; });
    return adapters;
}

} // namespace ondrel
