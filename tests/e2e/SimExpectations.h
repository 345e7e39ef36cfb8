#pragma once
// What the tool must hold after decoding a simulated device's search reply: the oracle of the
// simulator's and the lab's tests.

#include "SimDevice.h"
#include "discovery/DeviceInfo.h"

#include <cstring>

namespace ondrel {

inline DeviceInfo expectedRecord(const sim::SimDevice& device) {
    DeviceInfo r = zeroDeviceInfo();
    setField(r.IP, device.ip);
    setField(r.NetMask, device.mask);
    setField(r.GateWay, device.gateway);
    setField(r.DNS0, device.dns0);
    setField(r.DNS1, device.dns1);
    r.HttpPort = device.httpPort;
    r.Port2 = device.httpPort;
    r.Port3 = device.httpPort;
    setField(r.Mac, device.mac);
    setField(r.DevId, device.devId);
    r.IPMode = device.dhcp ? 1 : 0;
    setField(r.DevName, device.name);
    setField(r.WebVersion, device.webVersion);
    setField(r.AppVersion, device.appVersion);
    return r;
}

inline bool sameRecord(const DeviceInfo& a, const DeviceInfo& b) {
    return std::memcmp(&a, &b, sizeof(DeviceInfo)) == 0;
}

} // namespace ondrel
