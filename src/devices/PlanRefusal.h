#pragma once
// Why a plan cannot be carried out, one type per reason with what that reason needs; the front
// ends word them (the CLI in English, the window translated).

#include "core/HttpPort.h"
#include "core/Ipv4.h"

#include <cstddef>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace ondrel {

enum class SkipReason {
    ReportedByDevice, // party: the listed device
    PcAddress,        // party: the PC's adapter
    Gateway,          // party: empty for the gateway given, else the device whose gateway it is
    InUse,            // party: the link address that answered, if known
};

struct SkippedAddress {
    Ipv4 address;
    SkipReason reason = SkipReason::ReportedByDevice;
    std::string party;

    bool operator==(const SkippedAddress&) const = default;
};

// The chosen device or plan row a refusal concerns.
struct PlanPlace {
    std::size_t index = 0; // into the chosen devices or the plan's rows
    std::size_t line = 0;  // a plan row's line in its file; 0 for a chosen device
    std::string party;     // the device, "name (MAC)", or what the row names it by

    bool operator==(const PlanPlace&) const = default;
};

namespace refusal {

// The values typed in refuse without a place; a plan row's values name their row.
struct NoDevices {
    bool operator==(const NoDevices&) const = default;
};
struct BadAddress { // not a usable host address as a person writes it
    std::optional<PlanPlace> row;
    bool operator==(const BadAddress&) const = default;
};
struct BadNetMask { // not contiguous ones from the top, at least one
    std::optional<PlanPlace> row;
    bool operator==(const BadNetMask&) const = default;
};
struct NoHostInMask { // /31 and /32: no address between the network and broadcast address
    std::optional<PlanPlace> row;
    bool operator==(const NoHostInMask&) const = default;
};
struct AddressNotHost { // the subnet's network or broadcast address
    std::optional<PlanPlace> row;
    bool operator==(const AddressNotHost&) const = default;
};
struct BadGateway { // not an address, or a usable one outside the subnet
    std::optional<PlanPlace> row;
    bool operator==(const BadGateway&) const = default;
};
struct BadDns {
    std::optional<PlanPlace> row;
    bool operator==(const BadDns&) const = default;
};
struct BadHttpPort {
    std::optional<PlanPlace> row;
    HttpPortCheck check = HttpPortCheck::NotANumber;
    bool operator==(const BadHttpPort&) const = default;
};

// The subnet ended with this device, the first of those left, still waiting.
struct OutOfAddresses {
    PlanPlace at;
    bool operator==(const OutOfAddresses&) const = default;
};
// Our set request names its device by id.
struct MissingDeviceId {
    PlanPlace at;
    bool operator==(const MissingDeviceId&) const = default;
};
struct SharedDeviceId {
    PlanPlace at;
    std::size_t other = 0; // the device with the same id
    bool operator==(const SharedDeviceId&) const = default;
};
struct DuplicateMac { // one device chosen twice
    PlanPlace at;
    std::size_t other = 0;
    bool operator==(const DuplicateMac&) const = default;
};
struct UnknownMac { // party: the row's MAC as written
    PlanPlace at;
    bool operator==(const UnknownMac&) const = default;
};
struct UnknownEndpoint { // party: the row's endpoint reference
    PlanPlace at;
    bool operator==(const UnknownEndpoint&) const = default;
};
struct BadMac { // party: the row's text
    PlanPlace at;
    bool operator==(const BadMac&) const = default;
};
struct NoRoute { // a device the chosen protocol cannot reach
    PlanPlace at;
    std::string why;
    bool operator==(const NoRoute&) const = default;
};
struct DuplicateAddress { // a plan giving one address twice
    PlanPlace at;
    std::size_t other = 0; // the row that gave it first
    bool operator==(const DuplicateAddress&) const = default;
};
struct AddressTaken { // a plan's address that something else holds
    PlanPlace at;
    SkippedAddress by;
    bool operator==(const AddressTaken&) const = default;
};
// Without a given gateway, a device's own one outside its new subnet: the first such device,
// its gateway, and the others, "name (MAC)".
struct GatewayOutsideSubnet {
    PlanPlace at;
    std::string gateway;
    std::vector<std::string> others;
    bool operator==(const GatewayOutsideSubnet&) const = default;
};

} // namespace refusal

using PlanRefusal =
    std::variant<refusal::NoDevices, refusal::BadAddress, refusal::BadNetMask,
                 refusal::NoHostInMask, refusal::AddressNotHost, refusal::BadGateway,
                 refusal::BadDns, refusal::BadHttpPort, refusal::OutOfAddresses,
                 refusal::MissingDeviceId, refusal::SharedDeviceId, refusal::DuplicateMac,
                 refusal::UnknownMac, refusal::UnknownEndpoint, refusal::BadMac, refusal::NoRoute,
                 refusal::DuplicateAddress, refusal::AddressTaken, refusal::GatewayOutsideSubnet>;

// The device or row a refusal concerns; null for one of the values typed in.
const PlanPlace* placeOf(const PlanRefusal& refusal);
PlanPlace* placeOf(PlanRefusal& refusal);

} // namespace ondrel
