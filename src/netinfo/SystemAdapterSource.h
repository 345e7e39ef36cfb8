#pragma once
// The PC's adapters on Linux: every interface with an IPv4 configuration except loopback, in
// the order of their interface index, with their addresses (walkInterfaces), the hardware's
// name, the first default gateway (a netlink route dump) and the DNS servers. The servers are
// systemd-resolved's per-link ones when resolv.conf points at resolved's stub and resolved
// answered, else resolv.conf's own.
//
// Each reading is a seam, so that tests assemble adapters from tables without the system.

#include "AdapterSource.h"
#include "DefaultRoutes.h"
#include "DnsConfig.h"
#include "HardwareNames.h"
#include "InterfaceWalk.h"
#include "ResolvedDns.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ondrel {

class SystemAdapterSource : public AdapterSource {
public:
    // resolved's answer. Asking the bus may take a while, so the window gives a reader of an
    // answer it asks for in the background; nullopt means "not (yet) known".
    using ResolvedQuery = std::function<std::optional<DnsConfig>()>;

    struct Seams {
        std::function<std::vector<Adapter>()> interfaces = walkInterfaces;
        std::function<std::optional<DefaultGateways>()> gateways = readDefaultGateways;
        HardwareLookup hardware = [](const std::string& name) { return lookUpHardware(name); };
        ResolvedQuery resolved = [] { return askResolved(); };
        std::string resolvConf = "/etc/resolv.conf";
        std::string ipv4Conf = "/proc/sys/net/ipv4/conf"; // a directory per IPv4-capable link
    };

    SystemAdapterSource() = default;
    explicit SystemAdapterSource(Seams seams) : m_seams(std::move(seams)) {}

    std::vector<Adapter> list() override;

private:
    DnsConfig dns() const;

    Seams m_seams;
};

} // namespace ondrel
