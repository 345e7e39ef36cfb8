#pragma once
// Planned settings carried to cameras over ONVIF, one camera at a time, for a batch or a single
// update. The calls block until the camera answers or its timeout ends: the CLI makes them in
// its loop, the window on a worker thread. Each camera's clock offset is kept from its change
// to its read-back, since the read-back reaches it at its new address as a new service.

#include "core/Device.h"
#include "devices/WireCheck.h"
#include "onvif/HttpTransport.h"
#include "onvif/NetworkChange.h"

#include <chrono>
#include <map>
#include <string>

namespace ondrel {

// The ONVIF plan for settings planned for a device: the address (or DHCP) always; the
// gateway, DNS and HTTP port where the settings name them, so that a camera whose own were
// never reported keeps them.
onvif::NetworkPlan networkPlanFor(const Device& device, const NetworkSettings& settings);

class CameraChanger {
public:
    // Both are held by reference: the account's owner wipes the password when the batch and
    // its verification end, and outlives this object.
    // neighbours: who holds an address on the wire (SystemNeighbours: the PC's own table); none:
    // the wire is not checked. The front ends pass none until the lab's simulator gives each
    // camera a MAC of its own on the wire: behind one veth, every camera has the veth's.
    CameraChanger(onvif::HttpTransport& transport, const onvif::Account& account,
                  onvif::HttpTimeouts timeouts = {}, NeighbourLookup* neighbours = nullptr);

    // Changes the camera reached at url (its own device service, CameraReach). The account goes
    // there only as accountReach allows and only while the wire agrees (wireMismatch); else the
    // change fails with why, and nothing carrying the account was sent.
    onvif::ChangeResult change(const Device& camera, const std::string& url,
                               const onvif::NetworkPlan& plan);
    // Reads the camera back where the verify search found it (found.serviceUrl), under the same
    // rule for found.
    onvif::Verification readBack(const Device& camera, const Device& found,
                                 const onvif::NetworkPlan& plan);

private:
    // The check made once the camera's address is resolved, before the account leaves.
    onvif::AccountGate gateFor(const Device& camera, const CameraReach& reach);

    onvif::HttpTransport& m_transport;
    const onvif::Account& m_account;
    onvif::HttpTimeouts m_timeouts;
    NeighbourLookup* m_neighbours;
    std::map<std::string, std::chrono::seconds> m_clockOffsets; // by identity
};

} // namespace ondrel
