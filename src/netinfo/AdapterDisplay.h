#pragma once
// The rules by which the "Local PC information:" group shows the adapters, kept apart from
// the widgets so that they can be driven from tables of fake adapters: which adapter is
// selected at start, which DNS servers belong to which adapter, and what the five fields
// read for a chosen entry.

#include "AdapterBuffer.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ondrel {

struct AdapterFields {
    std::string ip; // every address, CR LF between two of them
    std::string mask;
    std::string gateway;
    std::string dns1;
    std::string dns2;
};

class AdapterDisplay {
public:
    struct Entry {
        std::string text;
        const AdapterInfo* record = nullptr; // into g_adapterInfo; null once it is freed
    };

    // Loads the adapters into g_adapterInfo, rebuilds the entries and the DNS map, and
    // returns the entry to select, or -1 for none.
    int Fill(IAdapterSource& source);

    // The five texts for an entry, or nullopt when the entry has no record (nothing shown).
    std::optional<AdapterFields> FieldsFor(int entry) const;

    // Frees g_adapterInfo; the entries keep their texts and lose their records.
    void Release();

    const std::vector<Entry>& Entries() const { return m_entries; }
    const std::map<std::string, std::string>& DnsByAddress() const { return m_dnsByAddress; }

    // The list's own prefix search: entries are tried from startAfter + 1 to the last, then
    // from 0 up to startAfter; the first whose text begins with text, ignoring ASCII case,
    // wins. -1 when none does.
    static int SelectString(const std::vector<Entry>& entries, int startAfter,
                            std::string_view text);

private:
    void RememberDns(const AdapterInfo& adapter);

    std::vector<Entry> m_entries;
    // Keyed by an adapter's first address; value "a;b;" (";" for an adapter without servers).
    std::map<std::string, std::string> m_dnsByAddress;
};

} // namespace ondrel
