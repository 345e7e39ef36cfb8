#pragma once
// What a played device says and what the window sends it: the search reply text of a device
// (one record builder for every window test), numbered families of devices, the fields of a
// text request and the exact bytes of a device query.

#include "core/Device.h"
#include "discovery/DeviceInfo.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace ondrel::testing {

// What a played device reports in its search reply.
struct PlayedDevice {
    std::string name = "Cam A";
    std::string devId = "DEV-A";
    std::string mac = "02:00:00:00:00:0A";
    std::string ip = "192.168.1.88";
    std::string mask = "255.255.255.0";
    std::string gateway = "192.168.1.1";
    std::string dns0 = "192.168.1.1";
    std::string dns1 = "8.8.8.8";
    uint16_t httpPort = 80;
    bool dhcp = false;
};

// Device n of a numbered family: distinct name, DevId, MAC and address.
PlayedDevice Numbered(unsigned n);

// The search reply text of a device on cable, with the tail a listener accepts.
std::string SearchReplyText(const PlayedDevice& device);

// A device's answer to a settings request: "errcode:0" or "errcode:1".
std::string SetConfigAnswer(bool accepted);

// The keys of a text request such as "IPCamSetNetConfig": key -> value, first line as "".
std::map<std::string, std::string> RequestFields(std::string_view text);

// The 260 bytes of a device query naming record: two marker bytes, the command, a zero value
// and the payload length, little-endian, then the record.
std::string QueryBytes(uint16_t command, const DeviceInfo& record);

// The 260 bytes of a device query naming the record a device arrived with.
std::string QueryBytes(uint16_t command, const Device& device);

// A device as the endpoint decodes the search reply of a played device (no adapter known).
Device DeviceOf(const PlayedDevice& played);

// The camera a played device is when it answers WS-Discovery, as its match decodes (no
// adapter known): its name, address and port, its MAC unless withMac is false, and the
// endpoint reference EndpointOf gives it.
Device CameraOf(const PlayedDevice& played, bool withMac = true);
std::string EndpointOf(const PlayedDevice& played);

// How many of the datagrams contain marker.
int CountWith(const std::vector<std::string>& datagrams, std::string_view marker);

} // namespace ondrel::testing
