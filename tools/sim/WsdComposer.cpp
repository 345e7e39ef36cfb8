#include "WsdComposer.h"

#include "wsd/WsDiscovery.h"
#include "xml/XmlReader.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>

namespace ondrel::sim {

namespace {

enum class Ns { Envelope, Addressing, Discovery };

constexpr std::array<std::string_view, 3> kUri = {wsd::kSoapNamespace, wsd::kAddressingNamespace,
                                                  wsd::kDiscoveryNamespace};
constexpr std::string_view kNetworkUri = wsd::kOnvifNetworkNamespace;
constexpr std::string_view kDeviceUri = wsd::kOnvifDeviceNamespace;
constexpr std::string_view kDiscoveryTo = "urn:schemas-xmlsoap-org:ws:2005:04:discovery";
constexpr std::string_view kAnonymous =
    "http://schemas.xmlsoap.org/ws/2004/08/addressing/role/anonymous";

enum class MacSpelling { AsWritten, DashesLower, Bare, ColonsLower, DashesUpper };

struct Layout {
    std::array<std::string_view, 3> prefix; // all empty: the default namespace
    std::string_view network;               // the types' prefixes
    std::string_view device;
    MacSpelling mac;
};

// By WsdLayout.
constexpr std::array<Layout, 5> kLayouts = {{
    {{"soap", "wsa", "wsd"}, "dn", "tds", MacSpelling::AsWritten},
    {{"s", "a", "d"}, "dn", "tds", MacSpelling::DashesLower},
    {{"SOAP-ENV", "wsa", "wsdd"}, "tdn", "tds", MacSpelling::Bare},
    {{"env", "wsa", "dn"}, "nvt", "tds", MacSpelling::ColonsLower},
    {{"", "", ""}, "dn", "tds", MacSpelling::DashesUpper},
}};

class Writer {
public:
    explicit Writer(const WsdShape& shape)
        : m_layout(kLayouts[static_cast<std::size_t>(shape.layout)]),
          m_defaultNamespace(shape.layout == WsdLayout::DefaultNamespace),
          m_pretty(shape.extraWhitespace) {}

    void open(Ns ns, std::string_view local, std::string_view attributes = {}) {
        start(ns, local, attributes);
        m_out += '>';
        ++m_depth;
    }
    void close(Ns ns, std::string_view local) {
        --m_depth;
        line();
        m_out.append("</").append(name(ns, local)).append(">");
        if (m_defaultNamespace) {
            m_defaults.pop_back();
        }
    }
    void empty(Ns ns, std::string_view local, std::string_view attributes) {
        start(ns, local, attributes);
        m_out += "/>";
        if (m_defaultNamespace) {
            m_defaults.pop_back();
        }
    }
    void leaf(Ns ns, std::string_view local, std::string_view text) {
        start(ns, local, {});
        m_out.append(">")
            .append(xml::escaped(text))
            .append("</")
            .append(name(ns, local))
            .append(">");
        if (m_defaultNamespace) {
            m_defaults.pop_back();
        }
    }
    // A white-space separated list; pretty-printed, one item a line between blank margins.
    void list(Ns ns, std::string_view local, const std::vector<std::string>& items) {
        const std::string gap = m_pretty ? "\n" + std::string(m_depth + 1, '\t') : " ";
        std::string text = m_pretty ? gap : "";
        for (std::size_t i = 0; i < items.size(); ++i) {
            text += (i == 0 ? "" : gap) + xml::escaped(items[i]);
        }
        if (m_pretty) {
            text += "\n" + std::string(m_depth, '\t');
        }
        start(ns, local, {});
        m_out.append(">").append(text).append("</").append(name(ns, local)).append(">");
        if (m_defaultNamespace) {
            m_defaults.pop_back();
        }
    }

    // The envelope declares every prefix the message uses, the types' among them.
    void openEnvelope() {
        std::string declarations;
        for (std::size_t i = 0; i < kUri.size() && !m_defaultNamespace; ++i) {
            declarations.append(" xmlns:")
                .append(m_layout.prefix[i])
                .append("=\"")
                .append(kUri[i])
                .append("\"");
        }
        declarations.append(" xmlns:").append(m_layout.network).append("=\"");
        declarations.append(kNetworkUri).append("\"");
        declarations.append(" xmlns:").append(m_layout.device).append("=\"");
        declarations.append(kDeviceUri).append("\"");
        m_out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
        open(Ns::Envelope, "Envelope", declarations);
    }

    std::string types() const {
        return std::string(m_layout.network) + ":NetworkVideoTransmitter " +
               std::string(m_layout.device) + ":Device";
    }

    std::string take() {
        if (m_pretty) {
            m_out += '\n';
        }
        return std::move(m_out);
    }

private:
    void start(Ns ns, std::string_view local, std::string_view attributes) {
        line();
        m_out.append("<").append(name(ns, local));
        if (m_defaultNamespace) {
            if (m_defaults.empty() || m_defaults.back() != ns) {
                m_out.append(" xmlns=\"").append(kUri[static_cast<std::size_t>(ns)]).append("\"");
            }
            m_defaults.push_back(ns);
        }
        m_out.append(attributes);
    }
    std::string name(Ns ns, std::string_view local) const {
        const std::string_view prefix = m_layout.prefix[static_cast<std::size_t>(ns)];
        return prefix.empty() ? std::string(local) : std::string(prefix) + ":" + std::string(local);
    }
    void line() {
        if (m_pretty) {
            m_out += '\n';
            m_out.append(static_cast<std::size_t>(m_depth), '\t');
        }
    }

    const Layout& m_layout;
    bool m_defaultNamespace;
    bool m_pretty;
    int m_depth = 0;
    std::vector<Ns> m_defaults; // the default namespace of each open element
    std::string m_out;
};

void header(Writer& w, std::string_view action, std::string_view to, std::string_view messageId,
            std::string_view relatesTo, AppSequence sequence) {
    w.open(Ns::Envelope, "Header");
    w.leaf(Ns::Addressing, "MessageID", messageId);
    if (!relatesTo.empty()) {
        w.leaf(Ns::Addressing, "RelatesTo", relatesTo);
    }
    w.leaf(Ns::Addressing, "To", to);
    w.leaf(Ns::Addressing, "Action",
           std::string(kUri[static_cast<std::size_t>(Ns::Discovery)]) + "/" + std::string(action));
    w.empty(Ns::Discovery, "AppSequence",
            " InstanceId=\"" + std::to_string(sequence.instanceId) + "\" MessageNumber=\"" +
                std::to_string(sequence.messageNumber) + "\"");
    w.close(Ns::Envelope, "Header");
}

void endpointReference(Writer& w, const WsdTarget& target) {
    w.open(Ns::Addressing, "EndpointReference");
    w.leaf(Ns::Addressing, "Address", target.endpoint);
    w.close(Ns::Addressing, "EndpointReference");
}

// What ProbeMatch and Hello say of the camera, in this order.
void description(Writer& w, const WsdTarget& target) {
    endpointReference(w, target);
    w.list(Ns::Discovery, "Types", {w.types()});
    w.list(Ns::Discovery, "Scopes", target.scopes);
    w.list(Ns::Discovery, "XAddrs", target.xaddrs);
    w.leaf(Ns::Discovery, "MetadataVersion", "1");
}

std::string finish(Writer& w) {
    w.close(Ns::Envelope, "Body");
    w.close(Ns::Envelope, "Envelope");
    return w.take();
}

// The MAC's six bytes; a text that is no MAC reads as zeros.
std::array<unsigned, 6> macBytes(std::string_view mac) {
    std::array<unsigned, 6> bytes{};
    for (std::size_t i = 0; i < bytes.size() && i * 3 + 1 < mac.size(); ++i) {
        std::sscanf(std::string(mac.substr(i * 3, 2)).c_str(), "%2x", &bytes[i]);
    }
    return bytes;
}

std::string spelled(std::string_view mac, MacSpelling spelling) {
    if (spelling == MacSpelling::AsWritten) {
        return std::string(mac);
    }
    const auto b = macBytes(mac);
    const bool upper = spelling == MacSpelling::Bare || spelling == MacSpelling::DashesUpper;
    const char* separator = spelling == MacSpelling::Bare          ? ""
                            : spelling == MacSpelling::ColonsLower ? ":"
                                                                   : "-";
    std::string out;
    char part[4];
    for (std::size_t i = 0; i < b.size(); ++i) {
        std::snprintf(part, sizeof part, upper ? "%02X" : "%02x", b[i]);
        out.append(i == 0 ? "" : separator).append(part);
    }
    return out;
}

std::string deviceService(const std::string& host, uint16_t port) {
    return "http://" + host + (port == 80 ? "" : ":" + std::to_string(port)) +
           "/onvif/device_service";
}

} // namespace

WsdTarget WsdComposer::target(const SimDevice& device, const WsdShape& shape) {
    WsdTarget t;
    t.shape = shape;
    t.endpoint = endpointOf(device.mac);
    const std::string prefix(kScopePrefix);
    t.scopes = {prefix + "type/video_encoder", prefix + "Profile/Streaming",
                prefix + "name/" + percentEncoded(device.name)};
    if (!device.hardware.empty()) {
        t.scopes.push_back(prefix + "hardware/" + percentEncoded(device.hardware));
    }
    if (!device.location.empty()) {
        t.scopes.push_back(prefix + "location/" + percentEncoded(device.location));
    }
    if (shape.macScope) {
        if (shape.shortMacScope) {
            std::string lower = device.mac;
            std::transform(lower.begin(), lower.end(), lower.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            t.scopes.push_back(prefix + "MAC/" + lower);
        } else {
            const MacSpelling spelling = kLayouts[static_cast<std::size_t>(shape.layout)].mac;
            t.scopes.push_back(prefix + "MacAddress/" + spelled(device.mac, spelling));
        }
    }
    if (shape.otherXAddrsFirst) {
        // Where such a camera also listens: its link-local IPv4 address and its IPv6 one (the
        // MAC as EUI-64).
        const auto b = macBytes(device.mac);
        char ipv6[64];
        std::snprintf(ipv6, sizeof ipv6, "[fe80::%x:%xff:fe%02x:%x]", (b[0] ^ 0x02) << 8 | b[1],
                      b[2], b[3], b[4] << 8 | b[5]);
        t.xaddrs.push_back(deviceService(linkLocalOf(device.mac), device.httpPort));
        t.xaddrs.push_back(deviceService(ipv6, device.httpPort));
    }
    t.xaddrs.push_back(deviceService(device.ip, device.httpPort));
    if (shape.linkLocalSecond) {
        t.xaddrs.push_back(deviceService(linkLocalOf(device.mac), device.httpPort));
    }
    return t;
}

std::string WsdComposer::probeMatches(const WsdTarget& target, std::string_view messageId,
                                      std::string_view relatesTo, AppSequence sequence) {
    Writer w(target.shape);
    w.openEnvelope();
    header(w, "ProbeMatches", kAnonymous, messageId, relatesTo, sequence);
    w.open(Ns::Envelope, "Body");
    w.open(Ns::Discovery, "ProbeMatches");
    w.open(Ns::Discovery, "ProbeMatch");
    description(w, target);
    w.close(Ns::Discovery, "ProbeMatch");
    w.close(Ns::Discovery, "ProbeMatches");
    return finish(w);
}

std::string WsdComposer::hello(const WsdTarget& target, std::string_view messageId,
                               AppSequence sequence) {
    Writer w(target.shape);
    w.openEnvelope();
    header(w, "Hello", kDiscoveryTo, messageId, {}, sequence);
    w.open(Ns::Envelope, "Body");
    w.open(Ns::Discovery, "Hello");
    description(w, target);
    w.close(Ns::Discovery, "Hello");
    return finish(w);
}

std::string WsdComposer::bye(const WsdTarget& target, std::string_view messageId,
                             AppSequence sequence) {
    Writer w(target.shape);
    w.openEnvelope();
    header(w, "Bye", kDiscoveryTo, messageId, {}, sequence);
    w.open(Ns::Envelope, "Body");
    w.open(Ns::Discovery, "Bye");
    endpointReference(w, target);
    w.close(Ns::Discovery, "Bye");
    return finish(w);
}

std::string WsdComposer::linkLocalOf(std::string_view mac) {
    const auto b = macBytes(mac);
    constexpr unsigned kHosts = 254;
    const unsigned n = (b[3] << 16 | b[4] << 8 | b[5]) % (kHosts * kHosts);
    return "169.254." + std::to_string(1 + n / kHosts) + "." + std::to_string(1 + n % kHosts);
}

std::string WsdComposer::endpointOf(std::string_view mac) {
    std::string node = spelled(mac, MacSpelling::Bare);
    for (char& c : node) {
        c = static_cast<char>(c >= 'A' && c <= 'F' ? c - 'A' + 'a' : c);
    }
    return "urn:uuid:6f6e6472-656c-1000-8000-" + node;
}

std::string WsdComposer::percentEncoded(std::string_view text) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        const bool unreserved = (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') ||
                                (u >= '0' && u <= '9') || u == '-' || u == '.' || u == '_' ||
                                u == '~';
        if (unreserved) {
            out += c;
        } else {
            out.append({'%', kDigits[u >> 4], kDigits[u & 0x0F]});
        }
    }
    return out;
}

std::string WsdComposer::messageId(uint64_t high, uint64_t low) {
    high = (high & ~0xF000ull) | 0x4000ull;     // version 4
    low = (low & ~(3ull << 62)) | (2ull << 62); // the RFC 4122 variant
    char text[64];
    std::snprintf(text, sizeof text, "urn:uuid:%08x-%04x-%04x-%04x-%012llx",
                  static_cast<unsigned>(high >> 32), static_cast<unsigned>(high >> 16 & 0xFFFF),
                  static_cast<unsigned>(high & 0xFFFF), static_cast<unsigned>(low >> 48),
                  static_cast<unsigned long long>(low & 0xFFFFFFFFFFFFull));
    return text;
}

} // namespace ondrel::sim
