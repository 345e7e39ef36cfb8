#include "SettingsBuilder.h"

#include "DeviceFormatter.h"
#include "core/HttpPort.h"

#include <algorithm>
#include <variant>

namespace ondrel::cli {

namespace {

struct AddressField {
    const std::optional<Ipv4>& given;
    const ReportedAddress& reported;
    std::string_view option;
    std::string_view fieldName;
};

// The address to send for one field, or why there is none. A blank device field reads
// 0.0.0.0, as a blank address control does in the window.
std::variant<Ipv4, std::string> resolve(const AddressField& f, bool needUsable) {
    if (f.given) {
        return *f.given;
    }
    if (f.reported.text.empty()) {
        return Ipv4{};
    }
    if (f.reported.value) {
        return *f.reported.value;
    }
    if (!needUsable) {
        return Ipv4{};
    }
    return "the device reports " + std::string(f.fieldName) + " '" +
           DeviceFormatter::printable(f.reported.text) + "', which is not an IPv4 address: give " +
           std::string(f.option);
}

std::string checkStaticAddressing(const Ipv4& ip, const Ipv4& mask, const Ipv4& gateway,
                                  const CliOptions& o) {
    const std::string ipOrigin = o.ip ? "--ip " : "the device's address ";
    const std::string gwOrigin = o.gateway ? "--gateway " : "the device's gateway ";
    const std::string prefix = std::to_string(maskPrefix(mask));
    switch (staticAddressProblem(ip, mask, gateway)) {
    case AddressProblem::None:
        return {};
    case AddressProblem::NotUsableHost:
        return ipOrigin + ip.text() + " cannot be a device's address: give --ip";
    case AddressProblem::NotAMask:
        return (o.mask ? "--mask " : "the device's mask ") + mask.text() +
               " is not a subnet mask: give --mask";
    case AddressProblem::NetworkAddress:
        return ipOrigin + ip.text() + " is the network address of its subnet /" + prefix;
    case AddressProblem::BroadcastAddress:
        return ipOrigin + ip.text() + " is the broadcast address of its subnet /" + prefix;
    case AddressProblem::GatewayOutsideSubnet:
        return gwOrigin + gateway.text() + " is not in the subnet of " + ip.text() + "/" + prefix +
               ": give --gateway (0.0.0.0 for none)";
    case AddressProblem::GatewayIsOwnAddress:
        return gwOrigin + gateway.text() + " is the device's own address";
    }
    return {};
}

} // namespace

const Device* SettingsBuilder::findByMac(const std::vector<Device>& devices, const Mac& mac) {
    const Device* camera = nullptr;
    for (const Device& d : devices) {
        if (d.mac.value != mac) {
            continue;
        }
        if (d.protocols != Protocols::Onvif) {
            return &d;
        }
        camera = camera != nullptr ? camera : &d;
    }
    return camera;
}

BuildOutcome SettingsBuilder::build(const Device& device, const CliOptions& o) {
    BuildOutcome out;
    const AddressMode mode = o.mode.value_or(device.mode);
    // With automatic addressing the address fields are sent all the same but mean nothing to
    // the device, so only a fixed address must be sound.
    const bool fixed = mode == AddressMode::Static;
    // Checked as a whole only when the addressing changes: a device whose current settings
    // are odd can still have, say, its port changed.
    const bool addressingChanges = o.ip || o.mask || o.gateway || o.mode == AddressMode::Static;

    const std::variant<Ipv4, std::string> resolved[] = {
        resolve({o.ip, device.ip, "--ip", "IP"}, fixed),
        resolve({o.mask, device.netMask, "--mask", "NetMask"}, fixed),
        resolve({o.gateway, device.gateway, "--gateway", "GateWay"}, fixed),
        resolve({o.dns, device.dns0, "--dns", "DNS0"}, false),
    };
    for (const auto& r : resolved) {
        if (const std::string* problem = std::get_if<std::string>(&r)) {
            out.error = *problem;
            return out;
        }
    }
    const Ipv4* ip = std::get_if<Ipv4>(&resolved[0]);
    const Ipv4* mask = std::get_if<Ipv4>(&resolved[1]);
    const Ipv4* gateway = std::get_if<Ipv4>(&resolved[2]);
    const Ipv4* dns = std::get_if<Ipv4>(&resolved[3]);
    // Whatever else changes, a fixed address of 0.0.0.0 (a device that reported none) would
    // leave the device unreachable.
    if (fixed && !o.ip && !ip->isUsableHost()) {
        out.error = "the device reports no usable address (IP '" +
                    DeviceFormatter::printable(device.ip.text) + "'): give --ip or --dhcp";
        return out;
    }
    if (fixed && addressingChanges) {
        out.error = checkStaticAddressing(*ip, *mask, *gateway, o);
        if (!out.ok()) {
            return out;
        }
    }

    const uint16_t port = o.port.value_or(device.httpPort);
    if (port == 0) {
        out.error = "the device reports HTTP port 0: give --port";
        return out;
    }
    if (checkHttpPort(port) == HttpPortCheck::Refused) {
        out.error = std::string(o.port ? "--port" : "the device's HTTP port") +
                    " 10000: Can't use this http port. Give --port";
        return out;
    }

    // Every address is written out, as the window's form writes its address controls: a
    // padded or blank one the device reported goes back in the one written form.
    out.settings = currentSettings(device);
    out.settings.mode = mode;
    out.settings.ip = ip->text();
    out.settings.netMask = mask->text();
    out.settings.gateway = gateway->text();
    out.settings.dns0 = dns->text();
    out.settings.httpPort = port;
    return out;
}

} // namespace ondrel::cli
