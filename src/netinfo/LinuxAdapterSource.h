#pragma once
// The PC's adapters on Linux: every interface with an IPv4 configuration except loopback,
// ordered by interface index, with its IPv4 addresses (from getifaddrs), its first default
// gateway (/proc/net/route) and its DNS servers (systemd-resolved's per-link servers when
// resolv.conf points at resolved's stub, else resolv.conf's nameservers).

#include "IAdapterSource.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ondrel {

struct LinuxNetPaths {
    std::string procNetRoute = "/proc/net/route";
    std::string ipv4Conf = "/proc/sys/net/ipv4/conf"; // one directory per IPv4-capable link
    std::string sysClassNet = "/sys/class/net";
    std::string resolvConf = "/etc/resolv.conf";
    std::vector<std::string> pciIds = {"/usr/share/misc/pci.ids", "/usr/share/hwdata/pci.ids"};
};

// One interface as the kernel lists it; addresses in the kernel's order.
struct RawInterface {
    std::string name;
    uint32_t index = 0;
    bool loopback = false;
    std::vector<IpAddrString> addresses;
};

class LinuxAdapterSource : public IAdapterSource {
public:
    // Fills the list, or returns an errno.
    using InterfaceLister = std::function<uint32_t(std::vector<RawInterface>&)>;
    // The output of `resolvectl dns`, or nullopt when resolved cannot be asked.
    using ResolvedQuery = std::function<std::optional<std::string>()>;

    LinuxAdapterSource();
    LinuxAdapterSource(LinuxNetPaths paths, InterfaceLister lister, ResolvedQuery resolved);

    uint32_t GetAdaptersInfo(std::vector<AdapterInfo>& out) override;

    static uint32_t ListInterfaces(std::vector<RawInterface>& out);
    static std::optional<std::string> AskResolved();

private:
    LinuxNetPaths m_paths;
    InterfaceLister m_lister;
    ResolvedQuery m_resolved;
};

} // namespace ondrel
