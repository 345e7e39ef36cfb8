#pragma once
// The one reading of MAC text in Ondrel, as Ipv4 is for addresses: whatever names a device by
// its hardware address (our search reply, a camera's WS-Discovery scope, its network
// interfaces, the CLI's --mac, a plan file, the PC's adapters) reads it here, and two MACs are
// the same when their values are, never when their texts happen to be.
//
// Cameras spell a MAC in every way: six groups of two hex digits joined by ':' or by '-', three
// groups of four joined by '.', or twelve digits in a row; in either case. Anything else (a
// mixed separator, a blank, a group too short) is no MAC: a text that might name another
// device is not guessed at. Ondrel writes its own spelling: upper case, colons.

#include <array>
#include <compare>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace ondrel {

// A 48-bit hardware address, first byte highest, so that it sorts as a number.
struct Mac {
    uint64_t bits = 0;

    auto operator<=>(const Mac&) const = default;

    static Mac fromBytes(const std::array<uint8_t, 6>& bytes);
    std::array<uint8_t, 6> bytes() const;
    // "44:19:B6:A1:00:70".
    std::string text() const;
};

std::optional<Mac> parseMac(std::string_view text);

// A MAC as a device reported it: the text it sent, shown as it came, beside the value it reads
// as. A camera's MAC arrives in many spellings and is kept in ours; a reply of our own protocol
// keeps the device's text, so that the list shows what the device says of itself.
struct ReportedMac {
    std::string text;
    std::optional<Mac> value; // empty for no MAC, or a text that is none

    bool operator==(const ReportedMac&) const = default;
    static ReportedMac fromText(std::string text);
    static ReportedMac of(const Mac& mac) { return {mac.text(), mac}; }
    bool empty() const { return text.empty(); }
    // Whether both read as one MAC: a text that is no MAC names no device, not even its twin.
    bool sameAs(const ReportedMac& other) const { return value && value == other.value; }
};

} // namespace ondrel

template <> struct std::hash<ondrel::Mac> {
    std::size_t operator()(const ondrel::Mac& mac) const noexcept {
        return std::hash<uint64_t>{}(mac.bits);
    }
};
