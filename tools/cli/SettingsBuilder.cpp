#include "SettingsBuilder.h"

#include "config/FormRules.h"
#include "core/SecureWipe.h"

namespace ondrel::cli {

namespace {

struct AddressField {
    const std::optional<Ipv4>& given;
    std::string_view deviceText;
    std::string_view option;
    std::string_view fieldName;
};

// The address to send for one field, or an error. A blank device field reads 0.0.0.0, as a
// blank address control does in the window.
std::optional<Ipv4> Resolve(const AddressField& f, bool needUsable, std::string& error) {
    if (f.given) {
        return f.given;
    }
    if (f.deviceText.empty()) {
        return Ipv4{};
    }
    if (auto parsed = ReadDeviceIPv4(f.deviceText)) {
        return parsed;
    }
    if (!needUsable) {
        return Ipv4{};
    }
    error = "the device reports " + std::string(f.fieldName) + " '" + std::string(f.deviceText) +
            "', which is not an IPv4 address: give " + std::string(f.option);
    return std::nullopt;
}

std::string CheckStaticAddressing(const Ipv4& ip, const Ipv4& mask, const Ipv4& gateway,
                                  const CliOptions& o) {
    const std::string ipOrigin = o.ip ? "--ip " : "the device's address ";
    if (!IsUsableHostAddress(ip)) {
        return ipOrigin + FormatIPv4(ip) + " cannot be a device's address: give --ip";
    }
    if (!IsContiguousMask(mask)) {
        return (o.mask ? "--mask " : "the device's mask ") + FormatIPv4(mask) +
               " is not a subnet mask: give --mask";
    }
    const std::string problem = HostOnSubnetProblem(ip, mask);
    if (!problem.empty()) {
        return ipOrigin + FormatIPv4(ip) + " " + problem + " /" + std::to_string(MaskPrefix(mask));
    }
    if (gateway != Ipv4{}) {
        const std::string gwOrigin = o.gateway ? "--gateway " : "the device's gateway ";
        if (!SameSubnet(ip, gateway, mask)) {
            return gwOrigin + FormatIPv4(gateway) + " is not in the subnet of " + FormatIPv4(ip) +
                   "/" + std::to_string(MaskPrefix(mask)) + ": give --gateway (0.0.0.0 for none)";
        }
        if (gateway == ip) {
            return gwOrigin + FormatIPv4(gateway) + " is the device's own address";
        }
    }
    return {};
}

} // namespace

std::optional<DeviceCopy> SettingsBuilder::FindByMac(const std::vector<DeviceCopy>& devices,
                                                     const MacBytes& mac) {
    for (const DeviceCopy& d : devices) {
        if (MacMatches(fieldText(d.record.Mac), mac)) {
            return d;
        }
    }
    return std::nullopt;
}

BuildOutcome SettingsBuilder::Build(const DeviceInfo& device, const CliOptions& o,
                                    const std::string& password) {
    BuildOutcome out;
    const bool autoIp =
        o.mode == AddressMode::Keep ? IsAutomaticAddress(device) : o.mode == AddressMode::Dhcp;
    // With automatic addressing the address fields are sent all the same but mean nothing to
    // the device, so only a fixed address must be sound.
    const bool fixed = !autoIp;
    // Checked as a whole only when the addressing changes: a device whose current settings
    // are odd can still have, say, its port changed.
    const bool addressingChanges = o.ip || o.mask || o.gateway || o.mode == AddressMode::Static;

    const auto ip = Resolve({o.ip, fieldText(device.IP), "--ip", "IP"}, fixed, out.error);
    const auto mask =
        Resolve({o.mask, fieldText(device.NetMask), "--mask", "NetMask"}, fixed, out.error);
    const auto gateway =
        Resolve({o.gateway, fieldText(device.GateWay), "--gateway", "GateWay"}, fixed, out.error);
    const auto dns = Resolve({o.dns, fieldText(device.DNS0), "--dns", "DNS0"}, false, out.error);
    if (!out.ok()) {
        return out;
    }
    // Whatever else changes, a fixed address of 0.0.0.0 (a device that reported none) would
    // leave the device unreachable.
    if (fixed && !o.ip && !IsUsableHostAddress(*ip)) {
        out.error = "the device reports no usable address (IP '" +
                    std::string(fieldText(device.IP)) + "'): give --ip or --dhcp";
        return out;
    }
    if (fixed && addressingChanges) {
        out.error = CheckStaticAddressing(*ip, *mask, *gateway, o);
        if (!out.ok()) {
            return out;
        }
    }

    const uint16_t port = o.port ? *o.port : device.HttpPort.get();
    const std::string portText = std::to_string(port);
    if (port == 0) {
        out.error = "the device reports HTTP port 0: give --port";
        return out;
    }
    if (CheckHttpPort(port) == HttpPortCheck::Refused) {
        out.error = std::string(o.port ? "--port" : "the device's HTTP port") +
                    " 10000: Can't use this http port. Give --port";
        return out;
    }

    FormValues values;
    values.ip = FormatIPv4(*ip);
    values.mask = FormatIPv4(*mask);
    values.gateway = FormatIPv4(*gateway);
    values.dns = FormatIPv4(*dns);
    values.portText = portText;
    values.autoIp = autoIp;
    values.user = o.user;
    values.password = password;
    out.record = device;
    ApplyFormValues(values, out.record);
    SecureWipe(values.password.data(), values.password.capacity());
    return out;
}

} // namespace ondrel::cli
