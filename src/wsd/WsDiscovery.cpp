#include "WsDiscovery.h"

#include "core/HexDigit.h"
#include "xml/XmlReader.h"

#include <sys/random.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <random>

namespace ondrel::wsd {

namespace {

// Older cameras still wrap their answers in SOAP 1.1, and some speak WS-Addressing 1.0 inside a
// 2005/04 discovery message: both are read, everything else by its exact URI.
constexpr std::string_view kSoap11Namespace = "http://schemas.xmlsoap.org/soap/envelope/";
constexpr std::string_view kAddressing10Namespace = "http://www.w3.org/2005/08/addressing";

constexpr std::string_view kScopePrefix = "onvif://www.onvif.org/";
constexpr uint32_t kLinkLocalNet = 0xA9FE0000u; // 169.254.0.0/16
constexpr uint16_t kDefaultHttpPort = 80;

bool isXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool isSoap(std::string_view uri) {
    return uri == kSoapNamespace || uri == kSoap11Namespace;
}

bool isAddressing(std::string_view uri) {
    return uri == kAddressingNamespace || uri == kAddressing10Namespace;
}

template <typename AnyName>
bool is(const AnyName& name, std::string_view uri, std::string_view local) {
    return name.local == local && name.uri == uri;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isXmlSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isXmlSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// One value of a single-valued element: its trimmed text, or nothing when it is too long.
std::string item(std::string_view text) {
    const std::string_view value = trimmed(text);
    return value.size() <= kMaxItemBytes ? std::string(value) : std::string();
}

// A white-space separated list, appended to `into` up to `cap` items.
void appendItems(std::string_view text, std::vector<std::string>& into, std::size_t cap) {
    std::size_t at = 0;
    while (at < text.size() && into.size() < cap) {
        while (at < text.size() && isXmlSpace(text[at])) {
            ++at;
        }
        std::size_t end = at;
        while (end < text.size() && !isXmlSpace(text[end])) {
            ++end;
        }
        if (end > at && end - at <= kMaxItemBytes) {
            into.emplace_back(text.substr(at, end - at));
        }
        at = end;
    }
}

uint32_t readVersion(std::string_view text) {
    const std::string_view digits = trimmed(text);
    uint32_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return error == std::errc() && end == digits.data() + digits.size() ? value : 0;
}

// What an element is to the message, known from its parent's role and its own name.
enum class Role : uint8_t {
    None,
    Envelope,
    Header,
    Body,
    Probe,
    ProbeMatches,
    Match, // a ProbeMatch, or the Hello or Bye itself
    EndpointReference,
};

constexpr std::size_t kNoMatch = SIZE_MAX;

class Decoder {
public:
    explicit Decoder(const std::vector<xml::Element>& elements)
        : m_elements(elements), m_roles(elements.size(), Role::None),
          m_matchOf(elements.size(), kNoMatch) {}

    Decoded run() {
        if (m_elements.empty() || !isSoap(m_elements.front().name.uri) ||
            m_elements.front().name.local != "Envelope") {
            return Refusal::NotDiscovery;
        }
        m_roles[0] = Role::Envelope;
        for (std::size_t i = 1; i < m_elements.size(); ++i) {
            visit(i);
        }
        if (!m_kindFound) {
            return Refusal::NotDiscovery;
        }
        // Without its endpoint reference a match names nobody: nothing can be kept of it.
        std::erase_if(m_message.matches, [](const Match& m) { return m.endpoint.empty(); });
        const bool single =
            m_message.kind == MessageKind::Hello || m_message.kind == MessageKind::Bye;
        if (single && m_message.matches.empty()) {
            return Refusal::NotDiscovery;
        }
        return std::move(m_message);
    }

private:
    void visit(std::size_t i) {
        const xml::Element& e = m_elements[i];
        const std::size_t parent = e.parent;
        m_matchOf[i] = m_matchOf[parent];
        switch (m_roles[parent]) {
        case Role::Envelope:
            if (e.name.uri == m_elements.front().name.uri) {
                m_roles[i] = e.name.local == "Header" ? Role::Header
                             : e.name.local == "Body" ? Role::Body
                                                      : Role::None;
            }
            break;
        case Role::Header:
            header(e);
            break;
        case Role::Body:
            body(i);
            break;
        case Role::Probe:
            if (is(e.name, kDiscoveryNamespace, "Types")) {
                appendNames(e, m_message.probeTypes);
            }
            break;
        case Role::ProbeMatches:
            if (is(e.name, kDiscoveryNamespace, "ProbeMatch") &&
                m_message.matches.size() < kMaxMatches) {
                startMatch(i);
            }
            break;
        case Role::Match:
            matchField(i);
            break;
        case Role::EndpointReference: {
            Match& match = m_message.matches[m_matchOf[i]];
            if (isAddressing(e.name.uri) && e.name.local == "Address" && match.endpoint.empty()) {
                match.endpoint = item(e.text);
            }
            break;
        }
        case Role::None:
            break;
        }
    }

    void header(const xml::Element& e) {
        if (!isAddressing(e.name.uri)) {
            return;
        }
        if (e.name.local == "MessageID" && m_message.messageId.empty()) {
            m_message.messageId = item(e.text);
        } else if (e.name.local == "RelatesTo" && m_message.relatesTo.empty()) {
            m_message.relatesTo = item(e.text);
        }
    }

    // The body's first WS-Discovery element is the message; anything beside it is not read.
    void body(std::size_t i) {
        const xml::Element& e = m_elements[i];
        if (m_kindFound || e.name.uri != kDiscoveryNamespace) {
            return;
        }
        const std::string_view local = e.name.local;
        if (local == "Probe") {
            m_message.kind = MessageKind::Probe;
            m_roles[i] = Role::Probe;
        } else if (local == "ProbeMatches") {
            m_message.kind = MessageKind::ProbeMatches;
            m_roles[i] = Role::ProbeMatches;
        } else if (local == "Hello" || local == "Bye") {
            m_message.kind = local == "Hello" ? MessageKind::Hello : MessageKind::Bye;
            startMatch(i);
        } else {
            return;
        }
        m_kindFound = true;
    }

    void startMatch(std::size_t i) {
        m_roles[i] = Role::Match;
        m_matchOf[i] = m_message.matches.size();
        m_message.matches.emplace_back();
    }

    void matchField(std::size_t i) {
        const xml::Element& e = m_elements[i];
        Match& match = m_message.matches[m_matchOf[i]];
        if (isAddressing(e.name.uri)) {
            if (e.name.local == "EndpointReference") {
                m_roles[i] = Role::EndpointReference;
            }
            return;
        }
        if (e.name.uri != kDiscoveryNamespace) {
            return;
        }
        const std::string_view local = e.name.local;
        if (local == "Types") {
            appendNames(e, match.types);
        } else if (local == "Scopes") {
            appendItems(e.text, match.scopes, kMaxScopes);
        } else if (local == "XAddrs") {
            appendItems(e.text, match.xaddrs, kMaxXaddrs);
        } else if (local == "MetadataVersion") {
            match.metadataVersion = readVersion(e.text);
        }
    }

    static void appendNames(const xml::Element& e, std::vector<QualifiedName>& into) {
        for (const xml::Name& name : e.names) {
            if (into.size() >= kMaxTypes) {
                return;
            }
            into.push_back({std::string(name.uri), std::string(name.local)});
        }
    }

    const std::vector<xml::Element>& m_elements;
    std::vector<Role> m_roles;
    std::vector<std::size_t> m_matchOf;
    Message m_message;
    bool m_kindFound = false;
};

Refusal refusalOf(xml::Refusal refusal) {
    switch (refusal) {
    case xml::Refusal::TooLarge:
        return Refusal::TooLarge;
    case xml::Refusal::DocumentType:
        return Refusal::DocumentType;
    case xml::Refusal::ProcessingInstruction:
        return Refusal::ProcessingInstruction;
    case xml::Refusal::TooDeep:
        return Refusal::TooDeep;
    case xml::Refusal::TooManyElements:
        return Refusal::TooManyElements;
    case xml::Refusal::TooManyAttributes:
        return Refusal::TooManyAttributes;
    case xml::Refusal::NamespaceTooLong:
        return Refusal::NamespaceTooLong;
    case xml::Refusal::ForbiddenCharacter:
        return Refusal::ForbiddenCharacter;
    case xml::Refusal::NotXml:
        break;
    }
    return Refusal::NotXml;
}

bool equalCaseless(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if (x != y && !((x | 0x20) == (y | 0x20) && (x | 0x20) >= 'a' && (x | 0x20) <= 'z')) {
            return false;
        }
    }
    return true;
}

// A scope's text as a person reads it: percent escapes replaced (a malformed one kept as it
// is), control characters dropped, and the bytes read as a device text.
std::string scopeText(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '%' && i + 2 < text.size() && hexDigit(text[i + 1]) >= 0 &&
            hexDigit(text[i + 2]) >= 0) {
            c = static_cast<char>(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2]));
            i += 2;
        }
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u != 0x7F) {
            bytes += c;
        }
    }
    return decodeDeviceText(bytes);
}

// The rest of the path of a scope onvif://www.onvif.org/<segment>/..., decoded; none for a
// scope of another segment. Scheme, host and segment are compared without regard to case:
// makers write "MacAddress", "macaddress" and "Name".
std::optional<std::string> scopeRest(std::string_view scope, std::string_view segment) {
    const std::size_t head = kScopePrefix.size() + segment.size() + 1;
    if (scope.size() <= head || scope[head - 1] != '/' ||
        !equalCaseless(scope.substr(0, kScopePrefix.size()), kScopePrefix) ||
        !equalCaseless(scope.substr(kScopePrefix.size(), segment.size()), segment)) {
        return std::nullopt;
    }
    return scopeText(scope.substr(head));
}

// The first non-empty value of the scopes of the segment.
std::string scopeValue(const std::vector<std::string>& scopes, std::string_view segment) {
    for (const std::string& scope : scopes) {
        if (std::optional<std::string> value = scopeRest(scope, segment);
            value && !value->empty()) {
            return std::move(*value);
        }
    }
    return {};
}

// The camera's MAC: the first scope .../MAC/<mac> or .../MacAddress/<mac> that reads as one.
// Both are common; a camera that spells one of them oddly may still spell the other well.
std::optional<Mac> scopeMac(const std::vector<std::string>& scopes) {
    for (const std::string& scope : scopes) {
        for (const std::string_view segment : {"MAC", "MacAddress"}) {
            if (const std::optional<std::string> value = scopeRest(scope, segment)) {
                if (const std::optional<Mac> mac = parseMac(trimmed(*value))) {
                    return mac;
                }
            }
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<XaddrHost> ipv4Host(std::string_view url) {
    const std::size_t schemeEnd = url.find("://");
    if (schemeEnd == std::string_view::npos ||
        !(equalCaseless(url.substr(0, schemeEnd), "http") ||
          equalCaseless(url.substr(0, schemeEnd), "https"))) {
        return std::nullopt;
    }
    std::string_view authority = url.substr(schemeEnd + 3);
    authority = authority.substr(0, authority.find_first_of("/?#"));
    if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) {
        authority.remove_prefix(at + 1);
    }
    XaddrHost host;
    const std::size_t colon = authority.find(':');
    host.text = authority.substr(0, colon);
    if (colon != std::string_view::npos) {
        const std::string_view port = authority.substr(colon + 1);
        if (!port.empty()) {
            unsigned value = 0;
            const auto [end, error] =
                std::from_chars(port.data(), port.data() + port.size(), value);
            if (error != std::errc() || end != port.data() + port.size() || value == 0 ||
                value > 65535) {
                return std::nullopt;
            }
            host.port = static_cast<uint16_t>(value);
        }
    }
    const std::optional<Ipv4> ip = parseIpv4(host.text);
    if (!ip || !ip->isUsableHost()) {
        return std::nullopt;
    }
    host.ip = *ip;
    return host;
}

namespace {

std::string joined(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& s : items) {
        text += (text.empty() ? "" : " ") + s;
    }
    return text;
}

} // namespace

std::string newMessageId() {
    std::array<uint8_t, 16> bytes{};
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        const ssize_t got = ::getrandom(bytes.data() + filled, bytes.size() - filled, 0);
        if (got > 0) {
            filled += static_cast<std::size_t>(got);
        } else if (got < 0 && errno != EINTR) {
            break;
        }
    }
    if (filled < bytes.size()) {
        // A kernel without getrandom: the C++ library's own source, which reads the same pool.
        std::random_device device;
        for (uint8_t& b : bytes) {
            b = static_cast<uint8_t>(device());
        }
    }
    bytes[6] = static_cast<uint8_t>((bytes[6] & 0x0F) | 0x40); // version 4
    bytes[8] = static_cast<uint8_t>((bytes[8] & 0x3F) | 0x80); // the RFC 4122 variant
    constexpr std::string_view kHex = "0123456789abcdef";
    std::string id = "urn:uuid:";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) {
            id += '-';
        }
        id += kHex[bytes[i] >> 4];
        id += kHex[bytes[i] & 0x0F];
    }
    return id;
}

std::string probeMessage(std::string_view messageId, ProbeType type) {
    const bool transmitter = type == ProbeType::NetworkVideoTransmitter;
    const std::string_view typePrefix = transmitter ? "dn" : "tds";
    const std::string_view typeUri = transmitter ? kOnvifNetworkNamespace : kOnvifDeviceNamespace;
    const std::string_view typeName = transmitter ? "NetworkVideoTransmitter" : "Device";
    std::string m;
    m.reserve(1024);
    m += R"(<?xml version="1.0" encoding="UTF-8"?>)";
    m += R"(<s:Envelope xmlns:s=")";
    m += kSoapNamespace;
    m += R"(" xmlns:a=")";
    m += kAddressingNamespace;
    m += R"(" xmlns:d=")";
    m += kDiscoveryNamespace;
    m += R"(" xmlns:)";
    m += typePrefix;
    m += R"(=")";
    m += typeUri;
    m += R"(">)";
    m += "<s:Header>";
    m += R"(<a:Action s:mustUnderstand="1">)";
    m += kDiscoveryNamespace;
    m += "/Probe</a:Action>";
    m += "<a:MessageID>";
    m += xml::escaped(messageId);
    m += "</a:MessageID>";
    m += "<a:ReplyTo><a:Address>";
    m += kAddressingNamespace;
    m += "/role/anonymous</a:Address></a:ReplyTo>";
    m += R"(<a:To s:mustUnderstand="1">urn:schemas-xmlsoap-org:ws:2005:04:discovery</a:To>)";
    m += "</s:Header>";
    m += "<s:Body><d:Probe><d:Types>";
    m += typePrefix;
    m += ':';
    m += typeName;
    m += "</d:Types></d:Probe></s:Body></s:Envelope>";
    return m;
}

std::string_view refusalText(Refusal refusal) {
    switch (refusal) {
    case Refusal::TooLarge:
        return "larger than 32 KiB";
    case Refusal::DocumentType:
        return "declares a document type or entities";
    case Refusal::ProcessingInstruction:
        return "holds a processing instruction";
    case Refusal::NotXml:
        return "not well-formed XML";
    case Refusal::TooDeep:
        return "nested too deeply";
    case Refusal::TooManyElements:
        return "holds too many elements";
    case Refusal::TooManyAttributes:
        return "holds too many attributes";
    case Refusal::NamespaceTooLong:
        return "declares a namespace URI longer than 1 KiB";
    case Refusal::ForbiddenCharacter:
        return "holds a character XML forbids";
    case Refusal::NotDiscovery:
        return "no WS-Discovery message";
    }
    return "refused";
}

Decoded decodeMessage(std::string_view datagram) {
    xml::Limits limits;
    limits.maxBytes = kMaxMessageBytes;
    limits.maxNames = kMaxTypes;
    limits.maxElements = kMaxElements;
    limits.maxAttributes = kMaxElements;
    static const xml::HoldsNames kTypes = [](const xml::Name& name) {
        return name.local == "Types" && name.uri == kDiscoveryNamespace;
    };
    const xml::Read read = xml::read(datagram, limits, kTypes);
    if (const xml::Refusal* refused = std::get_if<xml::Refusal>(&read)) {
        return refusalOf(*refused);
    }
    return Decoder(std::get<xml::Document>(read).elements).run();
}

bool isCamera(const Match& match) {
    for (const QualifiedName& type : match.types) {
        if (is(type, kOnvifNetworkNamespace, "NetworkVideoTransmitter") ||
            is(type, kOnvifDeviceNamespace, "Device")) {
            return true;
        }
    }
    return false;
}

Device cameraDevice(const Match& match, const AdapterRef& adapter, Ipv4 source) {
    Device device;
    device.protocols = Protocols::Onvif;
    device.endpoint = match.endpoint;
    device.xaddrs = joined(match.xaddrs);
    device.hardware = scopeValue(match.scopes, "hardware");
    device.location = scopeValue(match.scopes, "location");
    device.name = scopeValue(match.scopes, "name");
    if (device.name.empty()) {
        device.name = device.hardware;
    }
    if (const std::optional<Mac> mac = scopeMac(match.scopes)) {
        device.mac = ReportedMac::of(*mac);
    }
    device.adapter = adapter;
    device.sentFrom = source.text();

    std::vector<std::pair<XaddrHost, const std::string*>> hosts;
    for (const std::string& url : match.xaddrs) {
        if (const std::optional<XaddrHost> host = ipv4Host(url)) {
            hosts.emplace_back(*host, &url);
        }
    }
    const std::pair<XaddrHost, const std::string*>* chosen = nullptr;
    if (adapter.hasAddress()) {
        for (const auto& h : hosts) {
            if (adapter.contains(h.first.ip.bits)) {
                chosen = &h;
                break;
            }
        }
    }
    for (std::size_t i = 0; chosen == nullptr && i < hosts.size(); ++i) {
        if ((hosts[i].first.ip.bits & 0xFFFF0000u) != kLinkLocalNet) {
            chosen = &hosts[i];
        }
    }
    if (chosen != nullptr) {
        device.ip = ReportedAddress::fromText(std::string(chosen->first.text));
        device.httpPort = chosen->first.port;
        device.serviceUrl = *chosen->second;
    } else {
        device.ip = ReportedAddress::fromText(source.text());
        device.httpPort = kDefaultHttpPort;
    }
    return device;
}

} // namespace ondrel::wsd
