#pragma once
// A device as everything above the wire sees it: what it reported in its search reply or in
// its WS-Discovery match, decoded once, and the adapter it answered on.
//
// Texts are UTF-8. A device sends bytes: a name typed on its web page arrives as UTF-8
// ("大门 1"), older firmware sends Latin-1; decodeDeviceText tells them apart. Addresses keep
// the text the device sent (shown as it is, however odd) beside the address it reads as, so
// that whatever must reach the device (Browse, the subnet mark) uses the parsed value and
// never guesses at a text.
//
// The reply's record travels with the device as opaque bytes: the device queries carry it
// back exactly as it arrived, and two replies are one device when those bytes are equal.
// Only discovery reads or writes them.

#include "core/AdapterRef.h"
#include "core/CameraDetails.h"
#include "core/Ipv4.h"
#include "core/Mac.h"
#include "core/Secret.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace ondrel {

// How a device gets its address. One meaning everywhere: decoded from a reply, shown in the
// form, written to a settings request.
enum class AddressMode { Static, Dhcp };

// "static" or "dhcp", as the CLI prints it.
std::string_view addressModeName(AddressMode mode);

// The protocols a device answered: our own search, ONVIF WS-Discovery, or both (one row).
enum class Protocols : uint8_t { Native = 1, Onvif = 2, Both = 3 };

// "native", "onvif" or "native+onvif", as the CLI and the export write it.
std::string_view protocolsName(Protocols protocols);

inline bool hasProtocol(Protocols set, Protocols one) {
    return (static_cast<uint8_t>(set) & static_cast<uint8_t>(one)) != 0;
}

// An address as a device reported it.
struct ReportedAddress {
    std::string text;          // as received, decoded as a device text
    std::optional<Ipv4> value; // where the text is an IPv4 text; empty for an odd one

    bool operator==(const ReportedAddress&) const = default;
    static ReportedAddress fromText(std::string text);
    // An address a device can be reached at: parsed, and a usable unicast host address.
    std::optional<Ipv4> usable() const;
};

// The bytes of a device's record as received; opaque above discovery.
using WireRecord = std::array<std::byte, 252>;

struct Device {
    std::string name; // DevName
    ReportedMac mac;  // our protocol: as the device writes it; a camera: in our spelling
    std::string id;   // DevId: a settings request names the device by it
    ReportedAddress ip;
    ReportedAddress netMask;
    ReportedAddress gateway;
    ReportedAddress dns0;
    ReportedAddress dns1;
    AddressMode mode = AddressMode::Static;
    uint16_t httpPort = 0;
    uint16_t port2 = 0;
    uint16_t port3 = 0;
    uint16_t port4 = 0;
    std::string webVersion;
    std::string appVersion;
    AdapterRef adapter; // where its latest reply arrived; unknown for a device fed in by hand
    // The address its latest reply came from (the datagram's sender); 0 when not told. A
    // device's answers are believed only from there.
    Ipv4 source;
    WireRecord record{}; // all zero for a device found by WS-Discovery only

    Protocols protocols = Protocols::Native;
    // What a camera's WS-Discovery match gave; empty for a device found by our search only.
    std::string hardware;   // the hardware scope, percent-decoded
    std::string location;   // the location scope, percent-decoded
    std::string serviceUrl; // the XAddr its address and HTTP port were taken from
    std::string endpoint;   // the endpoint reference: an ONVIF camera's identity
    std::string xaddrs;     // every XAddr it gave, space-separated as on the wire
    // Who sent the match: the address its datagram came from (dotted quad), the one host the
    // message proves, and what the account may be sent to. Empty for a device fed in by hand.
    std::string sentFrom;
    // Every address that claimed this camera's endpoint reference, space-separated, when more
    // than one host did since the list began: no account goes to it then. Empty when one.
    std::string claims;
    // It came in a Hello, not in an answer to our probe: it may add a camera, never move one.
    // Not kept by a list.
    bool announced = false;
    CameraDetails details; // what its device service said of itself, once read

    // Whether its address lies in the subnet of the adapter it answered on.
    bool inAdapterSubnet() const { return ip.value && adapter.contains(ip.value->bits); }
};

// New network settings for one device, as the form or the CLI gives them. Addresses are the
// texts to send; the account and password travel apart (Credentials) so that nothing that
// keeps settings can keep them.
struct NetworkSettings {
    AddressMode mode = AddressMode::Static;
    std::string ip;
    std::string netMask;
    std::string gateway;
    std::string dns0;
    uint16_t httpPort = 0;

    bool operator==(const NetworkSettings&) const = default;
};

// A viewing account and its password: the one account type of our protocol's settings request,
// of a camera's UsernameToken and of HTTP Digest. Each copy wipes itself when it goes.
struct Credentials {
    // The longest account and password a settings request has room for; a longer one would be
    // cut short on the wire and fail for a reason nobody could see.
    static constexpr std::size_t kMaxUserLength = 23;
    static constexpr std::size_t kMaxPasswordLength = 24;

    // Spelled out so that make_unique and emplace can build one from two texts: not every
    // compiler we build with takes an aggregate from parentheses.
    Credentials() = default;
    Credentials(Secret account, Secret secret)
        : user(std::move(account)), password(std::move(secret)) {}

    Secret user;
    Secret password;
};

// A device's settings as they are now: what an update changes nothing of.
NetworkSettings currentSettings(const Device& device);

// Bytes a device sent, as UTF-8: kept as they are when they are UTF-8, else read as Latin-1
// so that every byte still shows. When the text filled its field (fieldWidth - 1 bytes), a
// last character cut short by the width is dropped rather than taken for Latin-1.
std::string decodeDeviceText(std::string_view bytes, std::size_t fieldWidth = 0);

} // namespace ondrel
