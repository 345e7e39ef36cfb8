#pragma once
// The rules by which the "Local PC information:" group shows the adapters, kept apart from
// the widgets so that they can be driven from tables of fake adapters: which adapter is
// selected at start, which DNS servers belong to which adapter, and what the five fields
// read for a chosen entry.

#include "Adapter.h"

#include <cstdint>
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

    bool operator==(const AdapterFields&) const = default;
};

class AdapterDisplay {
public:
    // Takes the adapters, one entry each in their order, and returns the entry to select, or
    // -1 for none.
    int fill(std::vector<Adapter> adapters);

    // The five texts for an entry, or nullopt when there is no such entry or the adapters
    // were released (nothing shown).
    std::optional<AdapterFields> fieldsFor(int entry) const;

    // The adapters are gone; the entries keep their texts.
    void release();

    // The entries' texts: the adapters' descriptions.
    const std::vector<std::string>& entries() const { return m_entries; }

    // The list's own prefix search: entries are tried from startAfter + 1 to the last, then
    // from 0 up to startAfter; the first whose text begins with prefix, ignoring ASCII case,
    // wins. -1 when none does.
    static int findByPrefix(const std::vector<std::string>& entries, int startAfter,
                            std::string_view prefix);

private:
    std::vector<std::string> m_entries;
    std::vector<Adapter> m_adapters; // empty once released
    // Adapters sharing a first address (or having none) show the servers of the first of
    // them: the servers are remembered by that address, first come first kept.
    std::map<uint32_t, std::vector<Ipv4>> m_dnsByAddress;
};

} // namespace ondrel
