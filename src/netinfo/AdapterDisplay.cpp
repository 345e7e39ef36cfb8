#include "AdapterDisplay.h"

#include <cctype>

namespace ondrel {

namespace {

constexpr const char* kNoAddress = "0.0.0.0";

uint32_t firstAddress(const Adapter& adapter) {
    return adapter.addresses.empty() ? 0u : adapter.addresses.front().address;
}

// A disconnected adapter (no address, or one in 0.0.0.0/8) or a point-to-point link with a
// host mask is not where cameras are searched for.
bool worthShowingFirst(const Adapter& adapter) {
    if (adapter.addresses.empty()) {
        return false;
    }
    const Ipv4Net& first = adapter.addresses.front();
    return (first.address >> 24) != 0 && first.prefixLength != 32;
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (prefix.size() > text.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        const auto a = static_cast<unsigned char>(text[i]);
        const auto b = static_cast<unsigned char>(prefix[i]);
        if (std::tolower(a) != std::tolower(b)) {
            return false;
        }
    }
    return true;
}

} // namespace

int AdapterDisplay::fill(std::vector<Adapter> adapters) {
    m_adapters = std::move(adapters);
    m_entries.clear();
    m_dnsByAddress.clear();
    const Adapter* preferred = nullptr;
    for (const Adapter& adapter : m_adapters) {
        m_entries.push_back(adapter.description);
        if (preferred == nullptr && worthShowingFirst(adapter)) {
            preferred = &adapter;
        }
        m_dnsByAddress.emplace(firstAddress(adapter), adapter.dns);
    }
    if (m_entries.empty()) {
        return -1;
    }
    // No adapter qualifies: show the first one rather than whichever entry an empty prefix
    // happens to match first.
    if (preferred == nullptr) {
        return 0;
    }
    return findByPrefix(m_entries, 0, preferred->description);
}

std::optional<AdapterFields> AdapterDisplay::fieldsFor(int entry) const {
    if (entry < 0 || static_cast<std::size_t>(entry) >= m_adapters.size()) {
        return std::nullopt;
    }
    const Adapter& adapter = m_adapters[static_cast<std::size_t>(entry)];
    AdapterFields fields;
    for (const Ipv4Net& net : adapter.addresses) {
        if (!fields.ip.empty()) {
            fields.ip += "\r\n";
        }
        fields.ip += formatIpv4(net.address);
    }
    if (adapter.addresses.empty()) {
        fields.ip = kNoAddress;
    }
    fields.mask =
        adapter.addresses.empty() ? kNoAddress : formatIpv4(adapter.addresses.front().mask());
    fields.gateway = adapter.gateway ? adapter.gateway->text() : kNoAddress;
    const std::vector<Ipv4>& servers = m_dnsByAddress.at(firstAddress(adapter));
    if (!servers.empty()) {
        fields.dns1 = servers[0].text();
    }
    if (servers.size() >= 2) {
        fields.dns2 = servers[1].text();
    }
    return fields;
}

void AdapterDisplay::release() {
    m_adapters.clear();
    m_dnsByAddress.clear();
}

int AdapterDisplay::findByPrefix(const std::vector<std::string>& entries, int startAfter,
                                 std::string_view prefix) {
    const int count = static_cast<int>(entries.size());
    if (count == 0) {
        return -1;
    }
    int first = startAfter + 1;
    if (first < 0 || first >= count) {
        first = 0;
    }
    for (int tried = 0; tried < count; ++tried) {
        const int i = (first + tried) % count;
        if (startsWithIgnoringCase(entries[static_cast<std::size_t>(i)], prefix)) {
            return i;
        }
    }
    return -1;
}

} // namespace ondrel
