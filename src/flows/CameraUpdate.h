#pragma once
// One camera's update over ONVIF, the same for the window's Update, set and assign's cameras:
//   reach   the camera is called only where it answers alone (reachCamera); a camera that
//           shares its address with another listed one is sent nothing;
//   change  the calls in order, each where the camera answers after the one before
//           (onvif::applyNetworkPlan follows a port or address taken at once);
//   find    after its restart, the same camera (by MAC, else endpoint reference) answering
//           WS-Discovery at the address it was given (findAfterRestart);
//   read    its settings read back there and compared with the plan (readBack).
// The calls block until the camera answers or its timeout ends: the CLI makes them in its loop,
// the window on a worker thread. Each camera's clock offset is kept from its change to its
// read-back, since the read-back reaches it at its new address as a new service.

#include "core/Device.h"
#include "devices/CameraRoute.h"
#include "devices/WireCheck.h"
#include "onvif/HttpTransport.h"
#include "onvif/NetworkChange.h"

#include <chrono>
#include <map>
#include <optional>
#include <string>

namespace ondrel {

// The ONVIF plan for settings planned for a device: the address (or DHCP) always; the
// gateway, DNS and HTTP port where the settings name them, so that a camera whose own were
// never reported keeps them.
onvif::NetworkPlan networkPlanFor(const Device& device, const NetworkSettings& settings);

// The address a plan gives, none for DHCP: where the camera is looked for after its restart.
std::optional<Ipv4> plannedAddress(const onvif::NetworkPlan& plan);

// The camera as a search after its restart found it: an ONVIF camera with a device service,
// the same by its MAC where both tell one, else by its endpoint reference, at the planned
// address (any address for DHCP). The last such answer is its present state.
template <typename Devices>
std::optional<Device> findAfterRestart(const Device& camera, std::optional<Ipv4> planned,
                                       const Devices& found);
bool isSameCameraAt(const Device& camera, std::optional<Ipv4> planned, const Device& candidate);

class CameraUpdate {
public:
    // Both are held by reference: the account's owner wipes the password when the batch and
    // its verification end, and outlives this object.
    // neighbours: who holds an address on the wire (SystemNeighbours: the PC's own table); none:
    // the wire is not checked.
    CameraUpdate(onvif::HttpTransport& transport, const Credentials& account,
                 onvif::HttpTimeouts timeouts = {}, NeighbourLookup* neighbours = nullptr);

    // Changes the camera where reach says it answers alone (reachCamera); Unreachable, with
    // reach's words and nothing sent, where it does not. The account goes only where
    // accountReach allows for the URL called, and only while the wire agrees (wireMismatch);
    // else the change fails with why, and nothing carrying the account was sent.
    onvif::ChangeResult change(const Device& camera, const CameraReach& reach,
                               const onvif::NetworkPlan& plan);
    // Reads the camera back where findAfterRestart found it (found.serviceUrl).
    onvif::Verification readBack(const Device& camera, const Device& found,
                                 const onvif::NetworkPlan& plan);

private:
    // The check made once the camera's address is resolved, before the account leaves.
    onvif::AccountGate gateFor(const Device& camera, const CameraReach& reach);

    onvif::HttpTransport& m_transport;
    const Credentials& m_account;
    onvif::HttpTimeouts m_timeouts;
    NeighbourLookup* m_neighbours;
    std::map<std::string, std::chrono::seconds> m_clockOffsets; // by identity
};

template <typename Devices>
std::optional<Device> findAfterRestart(const Device& camera, std::optional<Ipv4> planned,
                                       const Devices& found) {
    std::optional<Device> there;
    for (const Device& d : found) {
        if (isSameCameraAt(camera, planned, d)) {
            there = d;
        }
    }
    return there;
}

} // namespace ondrel
