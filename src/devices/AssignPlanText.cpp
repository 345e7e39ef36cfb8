// The CLI's English for a plan's outcomes, in one place; the window keeps translated texts of
// its own for the same codes.

#include "core/HttpPort.h"
#include "devices/AssignPlan.h"

namespace ondrel {

namespace {

std::string who(const PlanError& e) {
    std::string text = e.line != 0 ? "line " + std::to_string(e.line) + ": "
                                   : "device " + std::to_string(e.index + 1) + ": ";
    return e.party.empty() ? text : text + e.party + ": ";
}

std::string clashWith(const PlanError& e) {
    if (!e.other) {
        return "";
    }
    return e.line != 0 ? " (as an earlier row)"
                       : " (as device " + std::to_string(*e.other + 1) + ")";
}

std::string portText(int check) {
    switch (static_cast<HttpPortCheck>(check)) {
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

std::string gatewayText(const PlanError& e) {
    std::string text = "its own gateway " + (e.gateway.empty() ? "" : e.gateway + " ") +
                       "is outside " + (e.line != 0 ? "the row's subnet" : "the new subnet");
    if (!e.others.empty()) {
        text += " (so are those of " + named(e.others) + ")";
    }
    if (e.line == 0) {
        return text + ": give --gateway (0.0.0.0 for none)";
    }
    return text + (e.others.empty() ? ": give the row" : ": give these rows") +
           " a GateWay (0.0.0.0 for none)";
}

} // namespace

std::string describe(const PlanError& e) {
    switch (e.refusal) {
    case PlanRefusal::None:
        return "the plan can be carried out";
    case PlanRefusal::NoDevices:
        return "no devices were chosen";
    case PlanRefusal::BadAddress:
        return (e.line != 0 ? who(e) : "") + "the address is not a usable IPv4 address";
    case PlanRefusal::BadNetMask:
        return (e.line != 0 ? who(e) : "") + "the subnet mask is not a mask";
    case PlanRefusal::NoHostInMask:
        return (e.line != 0 ? who(e) : "") + "the subnet mask leaves no address for a device";
    case PlanRefusal::AddressNotHost:
        return (e.line != 0 ? who(e) : "") +
               "the address is the subnet's network or broadcast address";
    case PlanRefusal::BadGateway:
        return (e.line != 0 ? who(e) : "") + "the gateway is not an address in the subnet";
    case PlanRefusal::BadDns:
        return (e.line != 0 ? who(e) : "") + "the DNS server is not a usable IPv4 address";
    case PlanRefusal::BadHttpPort:
        return (e.line != 0 ? who(e) : "") + portText(e.detail);
    case PlanRefusal::OutOfAddresses:
        return who(e) + "the subnet has no free address left for it";
    case PlanRefusal::MissingDeviceId:
        return who(e) + "the device reports no device id, so no request can name it";
    case PlanRefusal::SharedDeviceId:
        return who(e) + "another chosen device has the same device id" + clashWith(e);
    case PlanRefusal::DuplicateMac:
        return who(e) + "the device is chosen twice" + clashWith(e);
    case PlanRefusal::UnknownMac:
        return who(e) + "no device with this MAC answered the search";
    case PlanRefusal::UnknownEndpoint:
        return who(e) + "no camera with this endpoint reference answered the search";
    case PlanRefusal::NoRoute:
        return who(e) + "the device " + e.why;
    case PlanRefusal::BadMac:
        return who(e) + "not a MAC address";
    case PlanRefusal::DuplicateAddress:
        return who(e) + "the address is given twice" + clashWith(e);
    case PlanRefusal::AddressTaken:
        return who(e) + (e.taken ? describe(*e.taken) : "the address is taken");
    case PlanRefusal::GatewayOutsideSubnet:
        return who(e) + gatewayText(e);
    }
    return "the plan is refused";
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

} // namespace ondrel
