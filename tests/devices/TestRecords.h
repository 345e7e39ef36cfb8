#pragma once
// Records for the table tests: distinct by number, each internally consistent so that a torn
// copy would show.

#include "discovery/DeviceInfo.h"

#include <cstdio>
#include <string>

namespace ondrel::test {

inline std::string MacOf(unsigned n) {
    char text[32];
    std::snprintf(text, sizeof text, "AA:BB:%02X:%02X:%02X:%02X", (n >> 24) & 0xFFu,
                  (n >> 16) & 0xFFu, (n >> 8) & 0xFFu, n & 0xFFu);
    return text;
}

inline DeviceInfo MakeRecord(unsigned n) {
    DeviceInfo d = zeroDeviceInfo();
    setField(d.Mac, MacOf(n));
    setField(d.DevName, "Cam" + std::to_string(n));
    setField(d.IP, "10.0." + std::to_string((n >> 8) & 0xFFu) + "." + std::to_string(n & 0xFFu));
    setField(d.NetMask, "255.255.0.0");
    setField(d.DevId, "D" + std::to_string(n));
    d.HttpPort = 80;
    d.IPMode = 1;
    return d;
}

} // namespace ondrel::test
