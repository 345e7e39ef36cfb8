#pragma once
// A device's fields as views, wherever the device is kept: a Device value, or the packed copy
// a DeviceList keeps. What reads many devices field by field (the list's columns, the export,
// the address conflicts) reads them through this, so that a list of thousands need not hold
// each of them as a Device.
//
// A view is valid while what it views is unchanged: a Device that lives on, or a list until
// its next change.

#include "core/Device.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace ondrel {

struct AddressView {
    std::string_view text;
    std::optional<Ipv4> value;

    AddressView() = default;
    AddressView(std::string_view t, std::optional<Ipv4> v) : text(t), value(v) {}
    AddressView(const ReportedAddress& a) : text(a.text), value(a.value) {}
};

struct MacView {
    std::string_view text;
    std::optional<Mac> value;

    MacView() = default;
    MacView(std::string_view t, std::optional<Mac> v) : text(t), value(v) {}
    MacView(const ReportedMac& m) : text(m.text), value(m.value) {}
};

// Its members are left unset by its default constructor, as a view is made whole at once.
struct DeviceView {
    std::string_view name;
    MacView mac;
    std::string_view id;
    AddressView ip;
    AddressView netMask;
    AddressView gateway;
    AddressView dns0;
    AddressView dns1;
    AddressMode mode;
    uint16_t httpPort;
    uint16_t port2;
    uint16_t port3;
    uint16_t port4;
    std::string_view webVersion;
    std::string_view appVersion;
    const AdapterRef* adapter; // never null in a view made from a device
    Ipv4 source;
    Protocols protocols;
    std::string_view hardware;
    std::string_view location;
    std::string_view serviceUrl;
    std::string_view endpoint;
    std::string_view xaddrs;
    std::string_view sentFrom;
    std::string_view claims;
    const CameraDetails* details = nullptr; // none: never read

    DeviceView() = default;
    // Implicit, as the views of a value are: a Device goes wherever its view is asked for.
    DeviceView(const Device& d)
        : name(d.name), mac(d.mac), id(d.id), ip(d.ip), netMask(d.netMask), gateway(d.gateway),
          dns0(d.dns0), dns1(d.dns1), mode(d.mode), httpPort(d.httpPort), port2(d.port2),
          port3(d.port3), port4(d.port4), webVersion(d.webVersion), appVersion(d.appVersion),
          adapter(&d.adapter), source(d.source), protocols(d.protocols), hardware(d.hardware),
          location(d.location), serviceUrl(d.serviceUrl), endpoint(d.endpoint), xaddrs(d.xaddrs),
          sentFrom(d.sentFrom), claims(d.claims), details(&d.details) {}

    // Whether its address lies in the subnet of the adapter it answered on.
    bool inAdapterSubnet() const { return ip.value && adapter->contains(ip.value->bits); }
    // Whether only WS-Discovery found it: it has no record, and none of our protocol's fields.
    bool onvifOnly() const { return protocols == Protocols::Onvif; }
};

} // namespace ondrel
