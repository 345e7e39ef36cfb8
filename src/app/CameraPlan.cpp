#include "CameraPlan.h"

#include "core/SecureWipe.h"

namespace ondrel {

namespace {

std::optional<Ipv4> givenAddress(const std::string& text) {
    const std::optional<Ipv4> address = parseIpv4(text);
    return address && !address->isUnspecified() ? address : std::nullopt;
}

int prefixLength(Ipv4 mask) {
    int length = 0;
    for (uint32_t bits = mask.bits; (bits & 0x80000000u) != 0; bits <<= 1) {
        ++length;
    }
    return length;
}

} // namespace

HeldAccount::~HeldAccount() {
    secureWipe(account.username.data(), account.username.capacity());
    secureWipe(account.password.data(), account.password.capacity());
}

std::string cameraPlanProblem(const NetworkSettings& settings) {
    if (settings.mode == AddressMode::Dhcp) {
        return {};
    }
    const std::optional<Ipv4> mask = parseIpv4(settings.netMask);
    const int length = mask ? prefixLength(*mask) : 0;
    if (length == 0 || (length < 32 && (mask->bits << length) != 0)) {
        return "the net mask " + settings.netMask + " is no mask; nothing was sent";
    }
    if (!givenAddress(settings.ip)) {
        return "the address " + settings.ip + " is no address; nothing was sent";
    }
    return {};
}

onvif::NetworkPlan cameraPlan(const Device& device, const NetworkSettings& settings) {
    onvif::NetworkPlan plan;
    plan.mac = device.mac;
    if (settings.mode == AddressMode::Static) {
        plan.address.manual =
            onvif::Ipv4Prefix{parseIpv4(settings.ip).value_or(Ipv4{}),
                              prefixLength(parseIpv4(settings.netMask).value_or(Ipv4{}))};
    }
    plan.gateway = givenAddress(settings.gateway);
    if (const std::optional<Ipv4> dns = givenAddress(settings.dns0)) {
        plan.dns = std::vector<Ipv4>{*dns};
    }
    if (settings.httpPort != 0) {
        plan.httpPort = settings.httpPort;
    }
    if (device.httpPort != 0) {
        plan.currentHttpPort = device.httpPort;
    }
    return plan;
}

} // namespace ondrel
