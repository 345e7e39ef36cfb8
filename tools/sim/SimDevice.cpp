#include "SimDevice.h"

#include <cstdio>

namespace ondrel::sim {

std::string_view onSetName(OnSet onSet) {
    switch (onSet) {
    case OnSet::Accept:
        return "accept";
    case OnSet::Refuse:
        return "refuse";
    case OnSet::Silent:
        return "silent";
    }
    return "accept";
}

std::optional<OnSet> parseOnSet(std::string_view name) {
    for (OnSet o : {OnSet::Accept, OnSet::Refuse, OnSet::Silent}) {
        if (onSetName(o) == name) {
            return o;
        }
    }
    return std::nullopt;
}

namespace {
template <typename... Args> std::string format(const char* format, Args... args) {
    char text[64];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}
} // namespace

SimDevice SimDevice::generated(std::size_t index) {
    const std::size_t n = index + 1;
    SimDevice d;
    d.name = format("Sim Camera %05zu", n);
    d.devId = format("SIM%08zu", n);
    d.mac = format("02:4F:4E:%02zX:%02zX:%02zX", (n >> 16) & 0xFF, (n >> 8) & 0xFF, n & 0xFF);
    // 250 hosts per third octet keeps .0 and .255 out; the lab's own 10.77.0.x stays free.
    d.ip = format("10.77.%zu.%zu", 1 + index / 250, 1 + index % 250);
    d.mask = "255.255.0.0";
    d.gateway = "10.77.0.1";
    d.dns0 = "10.77.0.1";
    d.dns1 = "10.77.0.2";
    d.httpPort = 80;
    d.dhcp = index % 3 == 2;
    d.wifi = index % 4 == 3;
    d.webVersion = "1.4.2";
    d.appVersion = format("2.7.%zu", index % 10);
    d.user = "admin";
    d.password = "admin";
    d.hardware = "SimCam-2100";
    d.location = "Lab";
    d.hostname = format("simcam-%05zu", n);
    d.timeZone = "UTC0";
    return d;
}

SimDevice SimDevice::factoryDefault(std::size_t index, const std::string& sharedIp) {
    SimDevice d = generated(index);
    d.ip = sharedIp;
    d.mask = "255.255.255.0";
    d.dhcp = false;
    return d;
}

} // namespace ondrel::sim
