#pragma once
// Tables of fake adapters for the display rules.

#include "netinfo/AdapterInfo.h"
#include "netinfo/IAdapterSource.h"

#include <optional>
#include <string>
#include <vector>

namespace ondrel::testing {

inline AdapterInfo
Adapter(std::string description, std::vector<IpAddrString> addresses,
        std::string gateway = "0.0.0.0",
        std::optional<std::vector<std::string>> dns = std::vector<std::string>{}) {
    AdapterInfo a;
    a.description = std::move(description);
    a.ipAddressList = std::move(addresses);
    a.gatewayList = {std::move(gateway)};
    a.dnsServerList = std::move(dns);
    return a;
}

class FakeAdapterSource : public IAdapterSource {
public:
    explicit FakeAdapterSource(std::vector<AdapterInfo> adapters, uint32_t result = kAdaptersOk)
        : m_adapters(std::move(adapters)), m_result(result) {}
    uint32_t GetAdaptersInfo(std::vector<AdapterInfo>& out) override {
        ++calls;
        if (m_result == kAdaptersOk) {
            out = m_adapters;
        }
        return m_result;
    }
    int calls = 0;

private:
    std::vector<AdapterInfo> m_adapters;
    uint32_t m_result;
};

} // namespace ondrel::testing
