#pragma once
// WS-Discovery (2005/04, SOAP 1.2, WS-Addressing 2004/08) as far as finding cameras needs it:
// the probe we send, and the messages that reach us decoded into plain values. Everything that
// arrives here came from any host on the LAN, so decoding goes through the hardened XML reader
// and gives a message or a reason, never an exception or a partial tree.

#include "core/AdapterRef.h"
#include "core/Device.h"
#include "core/Ipv4.h"
#include "xml/XmlReader.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace ondrel::wsd {

inline constexpr std::string_view kMulticastAddress = "239.255.255.250";
inline constexpr uint16_t kPort = 3702;
// A datagram larger than this is refused before it is parsed.
inline constexpr std::size_t kMaxMessageBytes = 32 * 1024;

inline constexpr std::string_view kSoapNamespace = "http://www.w3.org/2003/05/soap-envelope";
inline constexpr std::string_view kAddressingNamespace =
    "http://schemas.xmlsoap.org/ws/2004/08/addressing";
inline constexpr std::string_view kDiscoveryNamespace =
    "http://schemas.xmlsoap.org/ws/2005/04/discovery";
inline constexpr std::string_view kOnvifNetworkNamespace =
    "http://www.onvif.org/ver10/network/wsdl";
inline constexpr std::string_view kOnvifDeviceNamespace = "http://www.onvif.org/ver10/device/wsdl";

// What one datagram may carry, at most; whatever lies beyond is left unread. An item (a
// scope, an XAddr, the endpoint reference, a message id) longer than kMaxItemBytes is dropped.
inline constexpr std::size_t kMaxMatches = 32;
inline constexpr std::size_t kMaxTypes = 32;
inline constexpr std::size_t kMaxScopes = 64;
inline constexpr std::size_t kMaxXaddrs = 16;
inline constexpr std::size_t kMaxItemBytes = 1024;
// Elements, and attributes, one datagram may hold: a ProbeMatches of kMaxMatches matches with
// every field uses a third of it. More is refused before a tree is built.
inline constexpr std::size_t kMaxElements = 2048;

// The two types cameras answer (each camera answers one of them, or both).
enum class ProbeType { NetworkVideoTransmitter, Device };

// A fresh "urn:uuid:" message id (random, version 4).
std::string newMessageId();
// The whole Probe envelope for one type, as sent.
std::string probeMessage(std::string_view messageId, ProbeType type);

// A name resolved from its prefix: the namespace URI and the local part, kept beyond the
// datagram it was read from.
struct QualifiedName {
    std::string uri;
    std::string local;
    bool operator==(const QualifiedName&) const = default;
};

// One ProbeMatch, Hello or Bye: what a target service said about itself.
struct Match {
    std::string endpoint; // EndpointReference/Address
    std::vector<QualifiedName> types;
    std::vector<std::string> scopes; // as sent, split at white space
    std::vector<std::string> xaddrs; // as sent, split at white space
    uint32_t metadataVersion = 0;
};

enum class MessageKind { Probe, ProbeMatches, Hello, Bye };

struct Message {
    MessageKind kind = MessageKind::Probe;
    std::string messageId;
    std::string relatesTo;                 // ProbeMatches: the probe answered
    std::vector<QualifiedName> probeTypes; // Probe: the types asked for
    std::vector<Match> matches;            // ProbeMatches: each; Hello, Bye: one
};

// Why a datagram was not taken.
enum class Refusal {
    TooLarge,              // more than kMaxMessageBytes
    DocumentType,          // a DOCTYPE or an entity declaration
    ProcessingInstruction, // one other than the XML declaration
    NotXml,                // not well-formed
    TooDeep,               // nested deeper than the reader allows
    TooManyElements,       // more elements than a datagram may hold
    TooManyAttributes,     // more attributes than an element or a datagram may hold
    NamespaceTooLong,      // a namespace URI longer than the reader allows
    ForbiddenCharacter,    // a character XML forbids, raw or as a reference
    NotDiscovery,          // a SOAP envelope, but no WS-Discovery message we read
};
std::string_view refusalText(Refusal refusal);

using Decoded = std::variant<Message, Refusal>;
Decoded decodeMessage(std::string_view datagram);

// Whether the match is a camera: its types hold NetworkVideoTransmitter (in the ONVIF network
// namespace) or Device (in the ONVIF device namespace). A PC's or a printer's is not.
bool isCamera(const Match& match);

// A camera's match as a device, decoded once: name, MAC, hardware and location from the
// scopes; the address and HTTP port from the XAddr in the adapter's subnet, else the first
// IPv4 XAddr that is not link-local, else the datagram's source (port 80 where the URL names
// none); protocols Onvif. adapter: where it arrived; source: the datagram's sender (sentFrom).
Device cameraDevice(const Match& match, const AdapterRef& adapter, Ipv4 source);

// The IPv4 host and port of an http or https XAddr (port 80 where it names none); none for an
// IPv6 or named host, another scheme, or a port that is no port.
struct XaddrHost {
    Ipv4 ip;
    std::string_view text; // as the URL writes it
    uint16_t port = 80;
};
std::optional<XaddrHost> ipv4Host(std::string_view url);

} // namespace ondrel::wsd
