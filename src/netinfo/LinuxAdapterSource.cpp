#include "LinuxAdapterSource.h"

#include "HardwareModel.h"
#include "ResolverConfig.h"
#include "RouteTable.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace ondrel {

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string AddressText(const sockaddr* address) {
    if (address == nullptr || address->sa_family != AF_INET) {
        return kNoAddress;
    }
    char text[INET_ADDRSTRLEN] = {};
    const auto* in = reinterpret_cast<const sockaddr_in*>(address);
    if (inet_ntop(AF_INET, &in->sin_addr, text, sizeof text) == nullptr) {
        return kNoAddress;
    }
    return text;
}

// An address label such as "eth0:1" belongs to eth0.
std::string LinkName(const char* label) {
    std::string name(label);
    const std::size_t colon = name.find(':');
    if (colon != std::string::npos) {
        name.erase(colon);
    }
    return name;
}

} // namespace

LinuxAdapterSource::LinuxAdapterSource()
    : LinuxAdapterSource(LinuxNetPaths{}, &LinuxAdapterSource::ListInterfaces,
                         &LinuxAdapterSource::AskResolved) {}

LinuxAdapterSource::LinuxAdapterSource(LinuxNetPaths paths, InterfaceLister lister,
                                       ResolvedQuery resolved)
    : m_paths(std::move(paths)), m_lister(std::move(lister)), m_resolved(std::move(resolved)) {}

uint32_t LinuxAdapterSource::ListInterfaces(std::vector<RawInterface>& out) {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return static_cast<uint32_t>(errno);
    }
    std::map<std::string, RawInterface> byName;
    for (const ifaddrs* a = list; a != nullptr; a = a->ifa_next) {
        if (a->ifa_name == nullptr) {
            continue;
        }
        RawInterface& raw = byName[LinkName(a->ifa_name)];
        raw.name = LinkName(a->ifa_name);
        raw.loopback = raw.loopback || (a->ifa_flags & IFF_LOOPBACK) != 0;
        if (a->ifa_addr != nullptr && a->ifa_addr->sa_family == AF_INET) {
            raw.addresses.push_back({AddressText(a->ifa_addr), AddressText(a->ifa_netmask)});
        }
    }
    freeifaddrs(list);
    out.clear();
    for (auto& [name, raw] : byName) {
        raw.index = if_nametoindex(name.c_str());
        if (raw.index != 0) {
            out.push_back(std::move(raw));
        }
    }
    return 0;
}

std::optional<std::string> LinuxAdapterSource::AskResolved() {
    // resolvectl talks to the local resolved over its bus; nothing leaves the machine.
    FILE* pipe = popen("timeout 3 resolvectl dns 2>/dev/null", "r");
    if (pipe == nullptr) {
        return std::nullopt;
    }
    std::string output;
    char buffer[512];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        output.append(buffer, got);
    }
    const int status = pclose(pipe);
    if (status != 0) {
        return std::nullopt;
    }
    return output;
}

uint32_t LinuxAdapterSource::GetAdaptersInfo(std::vector<AdapterInfo>& out) {
    std::vector<RawInterface> raw;
    const uint32_t listed = m_lister(raw);
    if (listed != 0) {
        return listed;
    }
    std::stable_sort(raw.begin(), raw.end(), [](const RawInterface& a, const RawInterface& b) {
        return a.index < b.index;
    });

    const std::map<std::string, std::string> gateways =
        DefaultGateways(ReadFile(m_paths.procNetRoute));
    const std::vector<std::string> nameservers =
        ParseResolvConfNameservers(ReadFile(m_paths.resolvConf));
    std::optional<ResolvedDns> resolved;
    if (IsResolvedStub(nameservers) && m_resolved) {
        if (std::optional<std::string> text = m_resolved()) {
            resolved = ParseResolvectlDns(*text);
        }
    }

    std::vector<AdapterInfo> adapters;
    for (RawInterface& link : raw) {
        std::error_code ec;
        if (link.loopback ||
            !std::filesystem::is_directory(m_paths.ipv4Conf + "/" + link.name, ec)) {
            continue;
        }
        AdapterInfo adapter;
        adapter.index = link.index;
        const std::string model = HardwareModel(m_paths.sysClassNet, link.name, m_paths.pciIds);
        adapter.description = model.empty() ? link.name : link.name + " (" + model + ")";
        adapter.ipAddressList = std::move(link.addresses);
        if (adapter.ipAddressList.empty()) {
            adapter.ipAddressList.push_back({kNoAddress, kNoAddress});
        }
        const auto gateway = gateways.find(link.name);
        adapter.gatewayList.push_back(gateway != gateways.end() ? gateway->second : kNoAddress);
        if (resolved) {
            const auto perLink = resolved->links.find(link.name);
            adapter.dnsServerList = (perLink != resolved->links.end() && !perLink->second.empty())
                                        ? perLink->second
                                        : resolved->global;
        } else {
            adapter.dnsServerList = nameservers;
        }
        adapters.push_back(std::move(adapter));
    }
    out = std::move(adapters);
    return kAdaptersOk;
}

} // namespace ondrel
