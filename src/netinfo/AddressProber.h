#pragma once
// Whether an address is already held by some host on a device's LAN, asked before a plan
// hands the address to a device. The plan asks about many candidates in one call, so that
// their waits overlap; tests give the plan a fake.

#include "core/AdapterRef.h"
#include "core/Ipv4.h"

#include <string>
#include <vector>

namespace ondrel {

enum class ProbeOutcome {
    Free,       // asked on the LAN, and nothing answered
    InUse,      // a host answered for it (or the PC holds a fixed entry for it)
    NotChecked, // outside the adapter's subnet, or no adapter known: nothing could be asked
    Failed,     // the question could not be asked or its answer not read
};

struct ProbeRequest {
    Ipv4 address;
    AdapterRef adapter; // the LAN to ask on: the adapter the device answered on
};

struct ProbeResult {
    ProbeOutcome outcome = ProbeOutcome::NotChecked;
    std::string detail; // InUse: the link address that answered, if known; Failed: why

    bool operator==(const ProbeResult&) const = default;
};

class AddressProber {
public:
    virtual ~AddressProber() = default;
    // One result per request, in the requests' order.
    virtual std::vector<ProbeResult> probe(const std::vector<ProbeRequest>& requests) = 0;
};

} // namespace ondrel
