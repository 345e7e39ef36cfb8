#include "Device.h"

#include "Utf8.h"

namespace ondrel {

namespace {

std::string latin1ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (u >> 6));
            out += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return out;
}

} // namespace

std::string_view addressModeName(AddressMode mode) {
    return mode == AddressMode::Dhcp ? "dhcp" : "static";
}

std::string_view protocolsName(Protocols protocols) {
    switch (protocols) {
    case Protocols::Native:
        return "native";
    case Protocols::Onvif:
        return "onvif";
    case Protocols::Both:
        return "native+onvif";
    }
    return "native";
}

ReportedAddress ReportedAddress::fromText(std::string text) {
    ReportedAddress address;
    address.value = parseIpv4(text);
    address.text = std::move(text);
    return address;
}

std::optional<Ipv4> ReportedAddress::usable() const {
    if (value && value->isUsableHost()) {
        return value;
    }
    return std::nullopt;
}

NetworkSettings currentSettings(const Device& device) {
    return {device.mode,         device.ip.text,   device.netMask.text,
            device.gateway.text, device.dns0.text, device.httpPort};
}

std::string decodeDeviceText(std::string_view bytes, std::size_t fieldWidth) {
    bool ascii = true;
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii) {
        return std::string(bytes);
    }
    std::size_t at = 0;
    bool multibyte = false;
    while (at < bytes.size()) {
        const Utf8Char c = utf8At(bytes, at);
        const bool cut = c.truncated;
        const std::size_t n = c.length;
        // Only a text already shown to be UTF-8 is taken to be cut: "caf\xE9" filling its
        // field is Latin-1.
        if (cut && multibyte && fieldWidth > 0 && bytes.size() + 1 >= fieldWidth) {
            // The field's width ended inside the last character: the rest is whole UTF-8.
            return std::string(bytes.substr(0, at));
        }
        if (n == 0) {
            return latin1ToUtf8(bytes);
        }
        multibyte = multibyte || n > 1;
        at += n;
    }
    return std::string(bytes);
}

} // namespace ondrel
