#include "PlanText.h"

namespace ondrel::cli {

namespace {

std::string who(const PlanPlace& at) {
    std::string text = at.line != 0 ? "line " + std::to_string(at.line) + ": "
                                    : "device " + std::to_string(at.index + 1) + ": ";
    return at.party.empty() ? text : text + at.party + ": ";
}

// A value typed in is named by nothing; a plan row's by its row.
std::string who(const std::optional<PlanPlace>& row) {
    return row && row->line != 0 ? who(*row) : "";
}

std::string clashWith(const PlanPlace& at, std::size_t other) {
    return at.line != 0 ? " (as an earlier row)" : " (as device " + std::to_string(other + 1) + ")";
}

std::string portText(HttpPortCheck check) {
    switch (check) {
    case HttpPortCheck::NotANumber:
        return "the HTTP port is not a number";
    case HttpPortCheck::OutOfRange:
        return "the HTTP port is not 1..65535";
    case HttpPortCheck::Refused:
        return "the HTTP port 10000 cannot be used";
    case HttpPortCheck::Usable:
        break;
    }
    return "the HTTP port cannot be used";
}

// "Cam 2 (MAC), Cam 3 (MAC), Cam 4 (MAC) and 197 more": a refusal of 200 devices stays a line.
std::string named(const std::vector<std::string>& parties) {
    constexpr std::size_t kNamed = 3;
    std::string text;
    for (std::size_t i = 0; i < parties.size() && i < kNamed; ++i) {
        text += (i == 0 ? "" : i + 1 == parties.size() ? " and " : ", ") + parties[i];
    }
    if (parties.size() > kNamed) {
        text += " and " + std::to_string(parties.size() - kNamed) + " more";
    }
    return text;
}

std::string gatewayText(const refusal::GatewayOutsideSubnet& r) {
    const bool row = r.at.line != 0;
    std::string text = "its own gateway " + (r.gateway.empty() ? "" : r.gateway + " ") +
                       "is outside " + (row ? "the row's subnet" : "the new subnet");
    if (!r.others.empty()) {
        text += " (so are those of " + named(r.others) + ")";
    }
    if (!row) {
        return text + ": give --gateway (0.0.0.0 for none)";
    }
    return text + (r.others.empty() ? ": give the row" : ": give these rows") +
           " a GateWay (0.0.0.0 for none)";
}

struct Words {
    std::string operator()(const refusal::NoDevices&) const { return "no devices were chosen"; }
    std::string operator()(const refusal::BadAddress& r) const {
        return who(r.row) + "the address is not a usable IPv4 address";
    }
    std::string operator()(const refusal::BadNetMask& r) const {
        return who(r.row) + "the subnet mask is not a mask";
    }
    std::string operator()(const refusal::NoHostInMask& r) const {
        return who(r.row) + "the subnet mask leaves no address for a device";
    }
    std::string operator()(const refusal::AddressNotHost& r) const {
        return who(r.row) + "the address is the subnet's network or broadcast address";
    }
    std::string operator()(const refusal::BadGateway& r) const {
        return who(r.row) + "the gateway is not an address in the subnet";
    }
    std::string operator()(const refusal::BadDns& r) const {
        return who(r.row) + "the DNS server is not a usable IPv4 address";
    }
    std::string operator()(const refusal::BadHttpPort& r) const {
        return who(r.row) + portText(r.check);
    }
    std::string operator()(const refusal::OutOfAddresses& r) const {
        return who(r.at) + "the subnet has no free address left for it";
    }
    std::string operator()(const refusal::MissingDeviceId& r) const {
        return who(r.at) + "the device reports no device id, so no request can name it";
    }
    std::string operator()(const refusal::SharedDeviceId& r) const {
        return who(r.at) + "another chosen device has the same device id" +
               clashWith(r.at, r.other);
    }
    std::string operator()(const refusal::DuplicateMac& r) const {
        return who(r.at) + "the device is chosen twice" + clashWith(r.at, r.other);
    }
    std::string operator()(const refusal::UnknownMac& r) const {
        return who(r.at) + "no device with this MAC answered the search";
    }
    std::string operator()(const refusal::UnknownEndpoint& r) const {
        return who(r.at) + "no camera with this endpoint reference answered the search";
    }
    std::string operator()(const refusal::BadMac& r) const {
        return who(r.at) + "not a MAC address";
    }
    std::string operator()(const refusal::NoRoute& r) const {
        return who(r.at) + "the device " + r.why;
    }
    std::string operator()(const refusal::DuplicateAddress& r) const {
        return who(r.at) + "the address is given twice" + clashWith(r.at, r.other);
    }
    std::string operator()(const refusal::AddressTaken& r) const {
        return who(r.at) + describe(r.by);
    }
    std::string operator()(const refusal::GatewayOutsideSubnet& r) const {
        return who(r.at) + gatewayText(r);
    }
};

} // namespace

std::string describe(const PlanRefusal& refusal) {
    return std::visit(Words{}, refusal);
}

std::string describe(const SkippedAddress& s) {
    const std::string address = s.address.text();
    switch (s.reason) {
    case SkipReason::ReportedByDevice:
        return address + " is reported by " + s.party;
    case SkipReason::PcAddress:
        return address + " is this PC's address" + (s.party.empty() ? "" : " on " + s.party);
    case SkipReason::Gateway:
        return address + " is the gateway" + (s.party.empty() ? "" : " of " + s.party);
    case SkipReason::InUse:
        return address + " is in use" + (s.party.empty() ? "" : " by " + s.party);
    }
    return address + " is taken";
}

std::string describe(AddressCheck check) {
    switch (check) {
    case AddressCheck::Free:
        return "free";
    case AddressCheck::NotChecked:
        return "not checked (outside the adapter's subnet)";
    case AddressCheck::Failed:
        return "not checked (the check failed)";
    case AddressCheck::Off:
        return "not checked";
    case AddressCheck::Kept:
        return "kept: the device's own address";
    }
    return "not checked";
}

} // namespace ondrel::cli
