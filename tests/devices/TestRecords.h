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
    DeviceInfo d = ZeroDeviceInfo();
    SetField(d.Mac, MacOf(n));
    SetField(d.DevName, "Cam" + std::to_string(n));
    SetField(d.IP, "10.0." + std::to_string((n >> 8) & 0xFFu) + "." + std::to_string(n & 0xFFu));
    SetField(d.NetMask, "255.255.0.0");
    SetField(d.DevId, "D" + std::to_string(n));
    d.HttpPort = 80;
    d.IPMode = 1;
    return d;
}

} // namespace ondrel::test
