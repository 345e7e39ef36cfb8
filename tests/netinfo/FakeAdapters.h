#pragma once
// Tables of fake adapters for the display rules and the window.

#include "netinfo/AdapterSource.h"

#include <bit>
#include <string>
#include <vector>

namespace ondrel::testing {

// "10.0.0.2", "255.255.255.0" as a test writes it.
struct AddressMask {
    const char* address;
    const char* mask;
};

inline Ipv4 ParsedIp(const char* text) {
    return parseIpv4(text).value();
}

// An adapter as the system source would give it. The name is the description up to " (";
// an empty gateway text is no default route. Down adapters have no addresses at all.
inline Adapter FakeAdapter(std::string description, std::vector<AddressMask> addresses,
                           std::string gateway = {}, std::vector<std::string> dns = {}) {
    Adapter a;
    a.name = description.substr(0, description.find(" ("));
    a.description = std::move(description);
    for (const AddressMask& am : addresses) {
        a.addresses.push_back({ParsedIp(am.address).bits,
                               static_cast<uint8_t>(std::countl_one(ParsedIp(am.mask).bits))});
    }
    if (!gateway.empty()) {
        a.gateway = ParsedIp(gateway.c_str());
    }
    for (const std::string& server : dns) {
        a.dns.push_back(ParsedIp(server.c_str()));
    }
    return a;
}

class FakeAdapterSource : public AdapterSource {
public:
    explicit FakeAdapterSource(std::vector<Adapter> adapters) : m_adapters(std::move(adapters)) {}
    std::vector<Adapter> list() override {
        ++calls;
        return m_adapters;
    }
    int calls = 0;

private:
    std::vector<Adapter> m_adapters;
};

} // namespace ondrel::testing
