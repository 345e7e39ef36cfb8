#pragma once
// Devices for the list tests, distinct by number, each decoded from a reply as the endpoint
// decodes it.

#include "core/Device.h"
#include "discovery/ReplyParser.h"

#include <cstdio>
#include <string>

namespace ondrel::test {

inline std::string MacOf(unsigned n) {
    char text[32];
    std::snprintf(text, sizeof text, "AA:BB:%02X:%02X:%02X:%02X", (n >> 24) & 0xFFu,
                  (n >> 16) & 0xFFu, (n >> 8) & 0xFFu, n & 0xFFu);
    return text;
}

inline Device MakeDevice(unsigned n, const AdapterRef& adapter = {}) {
    Device d = decodeSearchReply(
        "DevName:Cam" + std::to_string(n) + "\r\nCableConnect:1\r\nIP:10.0." +
        std::to_string((n >> 8) & 0xFFu) + "." + std::to_string(n & 0xFFu) +
        "\r\nMacEth0:" + MacOf(n) + "\r\nIPMethod:0\r\nNetMask:255.255.0.0\r\nDevId:D" +
        std::to_string(n) + "\r\nPort:80\r\nAppUpTime:0000000000000000042\r\n\r\n");
    d.adapter = adapter;
    return d;
}

// A camera as WS-Discovery decodes its match: endpoint "urn:uuid:cam-N", the MAC as given
// (empty: none), the address and HTTP port from its XAddr.
inline Device MakeCamera(unsigned n, const AdapterRef& adapter, std::string mac,
                         const std::string& ip) {
    Device d;
    d.protocols = Protocols::Onvif;
    d.name = "Onvif" + std::to_string(n);
    d.mac = ReportedMac::fromText(std::move(mac));
    d.ip = ReportedAddress::fromText(ip);
    d.httpPort = 8080;
    d.hardware = "HW" + std::to_string(n);
    d.location = "site";
    d.serviceUrl = "http://" + ip + ":8080/onvif/device_service";
    d.endpoint = "urn:uuid:cam-" + std::to_string(n);
    d.xaddrs = d.serviceUrl + " http://[fe80::1]/onvif/device_service";
    d.adapter = adapter;
    return d;
}

} // namespace ondrel::test
