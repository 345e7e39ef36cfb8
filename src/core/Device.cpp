#include "Device.h"

#include "SecureWipe.h"

namespace ondrel {

namespace {

// The length of the valid UTF-8 sequence at text[at], or 0 when none starts there; an
// incomplete sequence at the very end is reported through `cut`.
std::size_t sequenceLength(std::string_view text, std::size_t at, bool& cut) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 0;
    uint32_t min = 0;
    if (lead < 0x80) {
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        min = 0x10000;
    } else {
        return 0;
    }
    uint32_t code = lead & (0x7Fu >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if (at + i >= text.size()) {
            cut = true;
            return 0;
        }
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) {
            return 0;
        }
        code = (code << 6) | (next & 0x3Fu);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return 0;
    }
    return length;
}

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

Credentials::~Credentials() {
    // Wipe the whole buffer, not just the size: a shorter text may have followed a longer one.
    SecureWipe(user.data(), user.capacity());
    SecureWipe(password.data(), password.capacity());
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
        bool cut = false;
        const std::size_t n = sequenceLength(bytes, at, cut);
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
