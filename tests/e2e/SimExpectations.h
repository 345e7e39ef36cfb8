#pragma once
// What the tool must hold after decoding a simulated device's search reply: the oracle of the
// simulator's and the lab's tests.

#include "SimDevice.h"
#include "discovery/DeviceInfo.h"

#include <cstring>

namespace ondrel {

inline DeviceInfo expectedRecord(const sim::SimDevice& device) {
    DeviceInfo r = zeroDeviceInfo();
    setField(r.ip, device.ip);
    setField(r.netMask, device.mask);
    setField(r.gateway, device.gateway);
    setField(r.dns0, device.dns0);
    setField(r.dns1, device.dns1);
    r.httpPort = device.httpPort;
    r.port2 = device.httpPort;
    r.port3 = device.httpPort;
    setField(r.mac, device.mac);
    setField(r.devId, device.devId);
    r.ipMode = device.dhcp ? 1 : 0;
    setField(r.devName, device.name);
    setField(r.webVersion, device.webVersion);
    setField(r.appVersion, device.appVersion);
    return r;
}

inline bool sameRecord(const DeviceInfo& a, const DeviceInfo& b) {
    return std::memcmp(&a, &b, sizeof(DeviceInfo)) == 0;
}

} // namespace ondrel
