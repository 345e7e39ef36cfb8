#include "Ipv4.h"

namespace ondrel {

std::optional<Ipv4> parseIpv4(std::string_view text) {
    uint32_t address = 0;
    std::size_t pos = 0;
    for (int octet = 0; octet < 4; ++octet) {
        if (octet > 0) {
            if (pos >= text.size() || text[pos] != '.') {
                return std::nullopt;
            }
            ++pos;
        }
        const std::size_t start = pos;
        uint32_t value = 0;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
            if (pos - start == 3) {
                return std::nullopt;
            }
            value = value * 10 + static_cast<uint32_t>(text[pos] - '0');
            ++pos;
        }
        if (pos == start || value > 255) {
            return std::nullopt;
        }
        address = (address << 8) | value;
    }
    if (pos != text.size()) {
        return std::nullopt;
    }
    return Ipv4{address};
}

std::string formatIpv4(uint32_t hostOrder) {
    return std::to_string(hostOrder >> 24) + "." + std::to_string((hostOrder >> 16) & 0xFF) + "." +
           std::to_string((hostOrder >> 8) & 0xFF) + "." + std::to_string(hostOrder & 0xFF);
}

std::string Ipv4::text() const {
    return formatIpv4(bits);
}

bool Ipv4::isUsableHost() const {
    const uint32_t first = bits >> 24;
    return first != 0 && first != 127 && first < 224;
}

bool isCanonicalIpv4(std::string_view text) {
    const std::optional<Ipv4> address = parseIpv4(text);
    return address && address->text() == text;
}

std::optional<Ipv4> parseTypedIpv4(std::string_view text) {
    return isCanonicalIpv4(text) ? parseIpv4(text) : std::nullopt;
}

int maskPrefix(const Ipv4& mask) {
    int prefix = 0;
    for (uint32_t m = mask.bits; (m & 0x80000000u) != 0; m <<= 1) {
        ++prefix;
    }
    return prefix;
}

bool isMask(const Ipv4& mask) {
    const uint32_t inverted = ~mask.bits;
    // The host part is a run of low ones: adding one carries through it cleanly.
    return mask.bits != 0 && (inverted & (inverted + 1)) == 0;
}

bool sameSubnet(const Ipv4& a, const Ipv4& b, const Ipv4& mask) {
    return Ipv4Subnet::of(a, mask).contains(b);
}

AddressProblem staticAddressProblem(const Ipv4& ip, const Ipv4& mask, const Ipv4& gateway) {
    if (!ip.isUsableHost()) {
        return AddressProblem::NotUsableHost;
    }
    if (!isMask(mask)) {
        return AddressProblem::NotAMask;
    }
    const Ipv4Subnet subnet = Ipv4Subnet::of(ip, mask);
    if (!subnet.isHost(ip)) {
        return ip == subnet.network ? AddressProblem::NetworkAddress
                                    : AddressProblem::BroadcastAddress;
    }
    if (gateway.isUnspecified()) {
        return AddressProblem::None;
    }
    if (!subnet.contains(gateway)) {
        return AddressProblem::GatewayOutsideSubnet;
    }
    return gateway == ip ? AddressProblem::GatewayIsOwnAddress : AddressProblem::None;
}

} // namespace ondrel
