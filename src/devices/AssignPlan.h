#pragma once
// Addresses for many devices at once: the chosen devices in, each with the fixed address it is
// to take, out; every address passed over is listed with its reason. Nothing is sent here: a
// plan that cannot be carried out whole is refused before the first set request, so a
// technician never ends with half a switch renumbered.
//
// A range plan gives the devices, in the caller's order, the addresses upward from a first
// address inside the subnet its mask makes. An explicit plan takes each device's address from
// a plan file's row. Either way an address is not given to a device when
//   - another listed device reports it (the factory address its twins share, among others),
//   - it is one of the PC's own addresses,
//   - it is the gateway (the one given, or where none is, any chosen device's own),
//   - a host on the device's LAN answers for it (the prober; see AddressProber).
// A range plan passes over such an address; an explicit plan is refused with it. A device
// that already holds an address of the range (at or above the first, inside the subnet) keeps
// it while nothing else holds it, so that running the same range again changes nothing; the
// others take the addresses upward, around the kept ones.
//
// A device keeps its own gateway unless one is given, and a gateway outside the device's new
// subnet would leave it unreachable from anywhere else: such a plan is refused, naming every
// device concerned, until a gateway is given (0.0.0.0 for none). A device whose present
// settings are its planned ones is marked unchanged: nothing is to be sent to it.
//
// Candidates go to the prober in batches larger than the devices still waiting, so that one
// wait usually covers the whole plan and a few taken addresses do not cost a second one.

#include "core/Device.h"
#include "devices/CameraRoute.h"
#include "devices/PlanFile.h"
#include "devices/PlanRefusal.h"
#include "netinfo/AddressProber.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace ondrel {

// Texts as typed; an empty one is not given: each device keeps its own.
struct RangeRequest {
    std::vector<Device> chosen; // in the order the addresses are given out
    std::vector<Device> listed; // every device in the list, the chosen ones included
    std::string firstAddress;
    std::string netMask;
    std::string gateway;
    std::string dns0;
    std::string httpPort;
    std::vector<AdapterRef> pcAdapters; // the PC's own addresses, one entry each
    RouteChoice route = RouteChoice::Auto;
};

struct ExplicitRequest {
    std::vector<PlanRow> rows;
    std::vector<Device> listed; // rows name devices of this list by MAC or endpoint reference
    std::vector<AdapterRef> pcAdapters;
    RouteChoice route = RouteChoice::Auto;
};

// What is known of a planned address beyond the plan's own lists.
enum class AddressCheck {
    Free,       // asked on the device's LAN; nothing answered
    NotChecked, // outside the subnet of the adapter the device answered on: nothing to ask
    Failed,     // the prober could not ask (AssignPlan::probeError says why)
    Off,        // no prober was given
    Kept,       // the device's own address: it answers for it itself, so nothing is asked
};

struct PlannedDevice {
    Device device;
    NetworkSettings settings; // always AddressMode::Static
    AddressCheck check = AddressCheck::Off;
    bool unchanged = false; // the device reports these settings already
    Route route = Route::Native;
    // Onvif: the camera's device service at an address of its own, or why it has none (then
    // nothing is sent to it and the run reports it failed).
    CameraReach reach;
};

struct AssignPlan {
    std::optional<PlanRefusal> refusal;
    std::vector<PlannedDevice> devices;  // empty when refused
    std::vector<SkippedAddress> skipped; // in address order as met
    std::string probeError;              // the prober's own words when it failed

    bool ok() const { return !refusal; }
};

// The prober may be null: probing off.
AssignPlan planRange(const RangeRequest& request, AddressProber* prober);
AssignPlan planExplicit(const ExplicitRequest& request, AddressProber* prober);

// The order the CLI gives out addresses in, the same on every run whatever order the answers
// came in: devices with a MAC by ascending MAC, then cameras without one by endpoint reference,
// then the rest as they were. Stable.
void sortByIdentity(std::vector<Device>& devices);

// Whether a device reports these settings; addresses compare as addresses, so "010.0.0.1"
// reported for "10.0.0.1" planned is the same.
bool reportsSettings(const Device& device, const NetworkSettings& settings);

// "name (MAC)", or the MAC alone for a device without a name; a camera without a MAC is named
// by its endpoint reference instead.
std::string deviceLabel(const Device& device);

} // namespace ondrel
