#pragma once
// The kernel's IPv4 neighbour table, read over rtnetlink without privileges. What a host
// answered when the kernel resolved its address is visible here, so the PC learns whether an
// address is held without sending an ARP request of its own (which would need a raw socket).

#include "core/Ipv4.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace ondrel {

struct Neighbour {
    uint32_t ifindex = 0;
    Ipv4 address;
    uint16_t state = 0;      // NUD_* bits
    std::string linkAddress; // "02:4f:4e:00:00:01"; empty when the entry holds none

    bool operator==(const Neighbour&) const = default;
};

// Every state but an unanswered resolution (incomplete, failed) means some host holds the
// address or did lately: a stale entry is reported as held, which errs on the side of leaving
// an address alone.
bool neighbourHoldsAddress(uint16_t state);

enum class DumpPart {
    More,      // entries read; the dump goes on in the next datagram
    Done,      // the dump's end
    Error,     // the kernel refused the dump (see error)
    Malformed, // a message that does not fit its datagram
};

struct DumpReading {
    DumpPart part = DumpPart::More;
    int error = 0; // errno from the kernel's error message
};

// The IPv4 neighbours, or why they could not be read.
struct NeighbourReading {
    std::vector<Neighbour> neighbours;
    std::string error; // names the failed step; empty when read

    bool ok() const { return error.empty(); }
};

class NeighbourTable {
public:
    // Appends the IPv4 neighbours of one datagram of an RTM_GETNEIGH dump to `out`; messages
    // of another sequence number are someone else's and skipped.
    static DumpReading parseDump(std::span<const uint8_t> datagram, uint32_t sequence,
                                 std::vector<Neighbour>& out);

    // The whole table.
    static NeighbourReading read();

    // One entry, asked of the kernel by address (no dump): none when the table holds none.
    // A thousand cameras each checked before their account leaves cost a thousand small
    // answers rather than a thousand dumps of a thousand entries. An error when the kernel
    // cannot answer such a question.
    struct Lookup {
        std::optional<Neighbour> entry;
        std::string error;
    };
    static Lookup find(uint32_t ifindex, Ipv4 address);
};

} // namespace ondrel
