#pragma once
// One local network adapter as the window's "Local PC information:" group shows it. The
// shape follows the records the display rules were written for: an address list whose first
// entry always exists (0.0.0.0 / 0.0.0.0 for an adapter without IPv4 address), a gateway
// list whose first entry is the one shown, and a DNS list that may be missing altogether
// when the per-adapter query failed.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ondrel {

struct IpAddrString {
    std::string ipAddress;
    std::string ipMask;
};

struct AdapterInfo {
    std::string description;
    uint32_t index = 0;
    std::vector<IpAddrString> ipAddressList;
    std::vector<std::string> gatewayList;
    // nullopt: the per-adapter query failed, so the adapter has no DNS value at all. An empty
    // list is an adapter that simply has no servers.
    std::optional<std::vector<std::string>> dnsServerList;
};

inline constexpr const char* kNoAddress = "0.0.0.0";

} // namespace ondrel
