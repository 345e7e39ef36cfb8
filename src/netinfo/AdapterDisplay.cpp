#include "AdapterDisplay.h"

#include "SplitList.h"

#include <cctype>

namespace ondrel {

namespace {

std::string FirstAddress(const AdapterInfo& adapter) {
    return adapter.ipAddressList.empty() ? std::string() : adapter.ipAddressList.front().ipAddress;
}

std::string FirstMask(const AdapterInfo& adapter) {
    return adapter.ipAddressList.empty() ? std::string() : adapter.ipAddressList.front().ipMask;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
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

int AdapterDisplay::Fill(IAdapterSource& source) {
    const bool loaded = LoadAdapterInfo(source) == kAdaptersOk;
    m_entries.clear();
    std::string defaultDescription;
    if (loaded) {
        for (const AdapterInfo& adapter : *g_adapterInfo) {
            m_entries.push_back(Entry{adapter.description, &adapter});
            const std::string ip = FirstAddress(adapter);
            if (defaultDescription.empty() && (ip.empty() || ip.front() != '0') &&
                FirstMask(adapter) != "255.255.255.255") {
                defaultDescription = adapter.description;
            }
            RememberDns(adapter);
        }
    }
    if (m_entries.empty()) {
        return -1;
    }
    // No adapter qualifies: show the first one rather than whichever entry an empty prefix
    // happens to match first.
    if (defaultDescription.empty()) {
        return 0;
    }
    return SelectString(m_entries, 0, defaultDescription);
}

void AdapterDisplay::RememberDns(const AdapterInfo& adapter) {
    if (!adapter.dnsServerList) {
        return;
    }
    // An adapter without servers still brings one empty server, hence ";".
    std::string text;
    if (adapter.dnsServerList->empty()) {
        text = ";";
    }
    for (const std::string& server : *adapter.dnsServerList) {
        text += server + ";";
    }
    std::string& slot = m_dnsByAddress[FirstAddress(adapter)];
    if (slot.empty()) {
        slot = text;
    }
}

std::optional<AdapterFields> AdapterDisplay::FieldsFor(int entry) const {
    if (entry < 0 || static_cast<std::size_t>(entry) >= m_entries.size()) {
        return std::nullopt;
    }
    const AdapterInfo* adapter = m_entries[static_cast<std::size_t>(entry)].record;
    if (adapter == nullptr) {
        return std::nullopt;
    }
    AdapterFields fields;
    for (std::size_t i = 0; i < adapter->ipAddressList.size(); ++i) {
        if (i > 0) {
            fields.ip += "\r\n";
        }
        fields.ip += adapter->ipAddressList[i].ipAddress;
    }
    fields.mask = FirstMask(*adapter);
    if (!adapter->gatewayList.empty()) {
        fields.gateway = adapter->gatewayList.front();
    }
    const auto found = m_dnsByAddress.find(FirstAddress(*adapter));
    if (found != m_dnsByAddress.end() && !found->second.empty()) {
        std::vector<std::string> parts;
        SplitList(found->second, parts, ';');
        if (!parts.empty()) {
            fields.dns1 = parts[0];
        }
        if (parts.size() >= 2) {
            fields.dns2 = parts[1];
        }
    }
    return fields;
}

void AdapterDisplay::Release() {
    FreeAdapterInfo();
    for (Entry& entry : m_entries) {
        entry.record = nullptr;
    }
}

int AdapterDisplay::SelectString(const std::vector<Entry>& entries, int startAfter,
                                 std::string_view text) {
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
        if (StartsWithIgnoringCase(entries[static_cast<std::size_t>(i)].text, text)) {
            return i;
        }
    }
    return -1;
}

} // namespace ondrel
