// The WS-Discovery decoder against makers' real shapes (fixture files), hostile datagrams,
// and the rules that turn a camera's match into a device. Bytes in, values out: no socket is
// opened and nothing is sent (the multicast group below is only a text an XAddr may hold).
// Probes and Hellos on the wire are tested in the network lab only (tests/e2e, under
// scripts/netlab); this binary runs in scripts/test's namespace whose only adapter is loopback.

#include "wsd/WsDiscovery.h"

#include "../onvif/WsdFixtures.h"

#include "onvif/ServiceAddress.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <regex>
#include <set>

using namespace ondrel;
using namespace ondrel::wsd;
using namespace ondrel::testing;

namespace {

AdapterRef Adapter(const char* address, uint8_t prefix) {
    return {"eth0", 2, parseIpv4(address)->bits, prefix};
}

const Ipv4 kSource = *parseIpv4("192.168.1.200");

// A camera's match as a device on 192.168.1.10/24, answered from kSource, in one line.
std::string Described(const Match& match) {
    const Device d = cameraDevice(match, Adapter("192.168.1.10", 24), kSource);
    EXPECT_EQ(d.protocols, Protocols::Onvif);
    EXPECT_EQ(d.adapter, Adapter("192.168.1.10", 24));
    return d.name + "|" + d.mac.text + "|" + d.ip.text + ":" + std::to_string(d.httpPort) + "|" +
           d.serviceUrl + "|" + d.hardware + "|" + d.location + "|" + d.endpoint;
}

// A SOAP envelope around `body`, with the prefixes s, a and d declared.
std::string Envelope(const std::string& body) {
    return R"(<s:Envelope xmlns:s="http://www.w3.org/2003/05/soap-envelope" )"
           R"(xmlns:a="http://schemas.xmlsoap.org/ws/2004/08/addressing" )"
           R"(xmlns:d="http://schemas.xmlsoap.org/ws/2005/04/discovery">)" +
           body + "</s:Envelope>";
}

std::string Nested(int depth) {
    std::string inner;
    for (int i = 1; i < depth; ++i) {
        inner = "<x>" + inner + "</x>";
    }
    return Envelope(inner);
}

// A valid answer grown to `size` bytes by white space inside the envelope.
std::string PaddedTo(std::size_t size) {
    std::string text = Fixture("probematch_dahua.xml");
    const std::size_t close = text.rfind("</s:Envelope>");
    text.insert(close, std::string(size - text.size(), ' '));
    return text;
}

// A ProbeMatches-shaped datagram of a long default namespace over many empty elements.
std::string Bomb(std::size_t namespaceBytes, std::size_t elements) {
    std::string text = "<s:Envelope xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\"><s:Body "
                       "xmlns=\"" +
                       std::string(namespaceBytes, 'n') + "\">";
    for (std::size_t i = 0; i < elements; ++i) {
        text += "<e/>";
    }
    return text + "</s:Body></s:Envelope>";
}

std::string Garbage() {
    std::mt19937 random(23);
    std::string text;
    std::generate_n(std::back_inserter(text), 2000, [&] { return char(random() % 95 + 32); });
    return text;
}

} // namespace

TEST(WsdDecode, MakersShapes) {
    struct Case {
        const char* file;
        MessageKind kind;
        std::size_t matches;
        bool camera;
        const char* first; // the first match, Described
    } cases[] = {
        {"probematch_hikvision.xml", MessageKind::ProbeMatches, 1, true,
         "HIKVISION DS-2CD2143G2-I|BC:BA:C2:11:22:33|192.168.1.64:80|http://192.168.1.64/onvif/"
         "device_service|DS-2CD2143G2-I|city/"
         "hangzhou|urn:uuid:3fa1b2c4-66f3-11b2-8a4c-bcbac2112233"},
        // Link-local XAddr first, values on lines of their own, an empty location.
        {"probematch_axis.xml", MessageKind::ProbeMatches, 1, true,
         "AXIS M3045-V||192.168.0.90:80|http://192.168.0.90/onvif/device_service|M3045-V||"
         "urn:uuid:a6f4e3a0-8e1b-11e1-8f1b-00408c1a2b3c"},
        {"probematch_dahua.xml", MessageKind::ProbeMatches, 1, true,
         "Dahua|3C:E8:24:11:AA:BB|192.168.1.108:80|http://192.168.1.108/onvif/device_service|"
         "IPC-HDW1230S|country/china|uuid:5a2d61c4-6a11-4b7d-8d0e-3ce82411aabb"},
        // Default namespaces only, a UTF-8 name, an IPv6 XAddr first, a port.
        {"probematch_default_namespace.xml", MessageKind::ProbeMatches, 1, true,
         "大门 1|00:07:5F:AA:BB:CC|10.20.0.15:8080|http://10.20.0.15:8080/onvif/device_service|"
         "FLEXIDOME IP 5000i|Building A/Floor 2|urn:uuid:0e7c1d22-9b5a-4f0a-8c3b-00075f445566"},
        {"probematch_soap11_two_matches.xml", MessageKind::ProbeMatches, 2, true,
         "Encoder_CH1|00:12:FA:10:00:02|172.16.5.20:8000|http://172.16.5.20:8000/onvif/"
         "device_service|VS-2||urn:uuid:d2f0a7c6-9e31-4d9b-b1aa-0012fa100002"},
        {"hello_camera.xml", MessageKind::Hello, 1, true,
         "Lobby North|E0:50:8B:7A:0B:0C|192.168.1.77:2020|http://192.168.1.77:2020/onvif/"
         "device_service|IPC-B140||urn:uuid:7c4e2a10-5b3d-11ee-8c99-e0508b7a0b0c"},
        {"bye_camera.xml", MessageKind::Bye, 1, false,
         "||192.168.1.200:80||||urn:uuid:7c4e2a10-5b3d-11ee-8c99-e0508b7a0b0c"},
        {"hello_windows_pc.xml", MessageKind::Hello, 1, false,
         "||192.168.1.23:5357|http://192.168.1.23:5357/4d2c1b0a-9e8f-4a7b-b6c5-d4e3f2a1b0c9/|||"
         "urn:uuid:4d2c1b0a-9e8f-4a7b-b6c5-d4e3f2a1b0c9"},
        {"probematch_printer.xml", MessageKind::ProbeMatches, 1, false,
         "||192.168.1.40:3911|http://192.168.1.40:3911/|||"
         "urn:uuid:16a65700-007c-1000-bb49-a0b3cc112233"},
        // "Device" and "NetworkVideoTransmitter" in namespaces that are not ONVIF's.
        {"probematch_wrong_device_namespace.xml", MessageKind::ProbeMatches, 1, false,
         "||192.168.1.50:80|http://192.168.1.50/onvif/device_service|||"
         "urn:uuid:11111111-2222-4333-8444-555555555555"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const Decoded decoded = decodeMessage(Fixture(c.file));
        const Message* message = std::get_if<Message>(&decoded);
        ASSERT_NE(message, nullptr) << refusalText(std::get<Refusal>(decoded));
        EXPECT_EQ(message->kind, c.kind);
        EXPECT_EQ(message->relatesTo,
                  c.kind == MessageKind::ProbeMatches ? kFixtureProbeId : std::string_view());
        ASSERT_EQ(message->matches.size(), c.matches);
        EXPECT_EQ(isCamera(message->matches.front()), c.camera);
        EXPECT_EQ(Described(message->matches.front()), c.first);
    }
}

TEST(WsdDecode, HostileOrForeignDatagramsAreRefused) {
    const std::string axis = Fixture("probematch_axis.xml");
    struct Case {
        const char* name;
        std::string datagram;
        std::optional<Refusal> want; // none: decoded
    } cases[] = {
        {"entity bomb", Fixture("hostile_entity_bomb.xml"), Refusal::DocumentType},
        {"64 KiB", PaddedTo(64 * 1024), Refusal::TooLarge},
        {"one byte over the cap", PaddedTo(kMaxMessageBytes + 1), Refusal::TooLarge},
        {"exactly the cap", PaddedTo(kMaxMessageBytes), std::nullopt},
        {"nesting 1000 deep", Nested(1000), Refusal::TooDeep},
        {"nesting 33 deep", Nested(33), Refusal::TooDeep},
        {"nesting 32 deep", Nested(32), Refusal::NotDiscovery},
        {"garbage", Garbage(), Refusal::NotXml},
        {"unterminated", axis.substr(0, axis.size() / 2), Refusal::NotXml},
        {"mismatched end tag", R"(<s:Envelope xmlns:s="x"><a></b></s:Envelope>)", Refusal::NotXml},
        {"undeclared prefix", "<s:Envelope/>", Refusal::NotXml},
        {"NUL inside", std::string("<a>\0</a>", 8), Refusal::ForbiddenCharacter},
        {"two roots", "<a/><b/>", Refusal::NotXml},
        {"UTF-16", std::string("\xFF\xFE<\0a\0/\0>\0", 10), Refusal::ForbiddenCharacter},
        {"a 12 KB default namespace over 4,800 elements", Bomb(12'000, 4'800),
         Refusal::NamespaceTooLong},
        {"a 1 KiB one over as many as fit", Bomb(1024, 7'700), Refusal::TooManyElements},
        {"a NUL reference inside an XAddr",
         Envelope("<s:Body><d:Hello><a:EndpointReference><a:Address>urn:x</a:Address>"
                  "</a:EndpointReference><d:XAddrs>http://10.0.0.1&#0;/</d:XAddrs>"
                  "</d:Hello></s:Body>"),
         Refusal::ForbiddenCharacter},
        {"stylesheet", "<?xml version=\"1.0\"?><?xml-stylesheet href=\"x\"?><a/>",
         Refusal::ProcessingInstruction},
        {"declaration after the start", "<a/><?xml version=\"1.0\"?>",
         Refusal::ProcessingInstruction},
        {"entity without a doctype", "<!ENTITY x \"y\"><a/>", Refusal::DocumentType},
        {"WS-Discovery 1.1", Fixture("probematches_discovery11.xml"), Refusal::NotDiscovery},
        {"not SOAP", "<Envelope xmlns=\"urn:other\"><Body/></Envelope>", Refusal::NotDiscovery},
        {"Hello without endpoint",
         Envelope("<s:Body><d:Hello><d:XAddrs>http://10.0.0.1/</d:XAddrs></d:Hello></s:Body>"),
         Refusal::NotDiscovery},
    };
    for (const Case& c : cases) {
        const Decoded decoded = decodeMessage(c.datagram);
        if (c.want) {
            ASSERT_TRUE(std::holds_alternative<Refusal>(decoded)) << c.name;
            EXPECT_EQ(std::get<Refusal>(decoded), *c.want) << c.name;
        } else {
            EXPECT_TRUE(std::holds_alternative<Message>(decoded)) << c.name;
        }
    }
}

TEST(WsdDecode, CountsAndLengthsAreCapped) {
    std::string scopes = std::string(kMaxItemBytes + 1, 'L');
    for (std::size_t s = 0; s < kMaxScopes + 3; ++s) {
        scopes += " s" + std::to_string(s);
    }
    std::string matches;
    for (std::size_t i = 0; i < kMaxMatches + 5; ++i) {
        matches += "<d:ProbeMatch><a:EndpointReference><a:Address>urn:m" + std::to_string(i) +
                   "</a:Address></a:EndpointReference><d:Scopes>" + (i == 0 ? scopes : "") +
                   "</d:Scopes></d:ProbeMatch>";
    }
    const Decoded decoded = decodeMessage(
        Envelope("<s:Body><d:ProbeMatches>" + matches + "</d:ProbeMatches></s:Body>"));
    const Message& message = std::get<Message>(decoded);
    ASSERT_EQ(message.matches.size(), kMaxMatches);
    EXPECT_EQ(message.matches.back().endpoint, "urn:m" + std::to_string(kMaxMatches - 1));
    const std::vector<std::string>& kept = message.matches.front().scopes;
    ASSERT_EQ(kept.size(), kMaxScopes);
    EXPECT_EQ(kept.front(), "s0");
    EXPECT_EQ(kept.back(), "s" + std::to_string(kMaxScopes - 1));
}

// The address a camera is listed and checked at is the address its calls go to: the URL for
// libcurl is written from the parsed service address, never from the XAddr's text.
TEST(WsdDecode, XaddrAndNameChoice) {
    struct Case {
        const char* name;
        const char* xaddrs; // as on the wire
        const char* scopes;
        const char* want;  // Described
        const char* calls; // the URL handed to libcurl for the chosen XAddr; "" for none
    } cases[] = {
        {"in the adapter's subnet wins over the first", "http://10.1.1.5/ http://192.168.1.20:81/x",
         "", "||192.168.1.20:81|http://192.168.1.20:81/x|||x", "http://192.168.1.20:81/x"},
        {"IPv6, names, link-local and no host skipped",
         "http://[fe80::1]/ http://cam.local/ http://169.254.1.2/ http://0.0.0.0/ "
         "https://user@10.1.1.6/",
         "", "||10.1.1.6:80|https://user@10.1.1.6/|||x", "https://10.1.1.6:443/"},
        {"only link-local: the source", "http://169.254.1.2/", "", "||192.168.1.200:80||||x", ""},
        {"a port that is no port", "http://10.1.1.7:99999/ http://10.1.1.8:/", "",
         "||10.1.1.8:80|http://10.1.1.8:/|||x", "http://10.1.1.8:80/"},
        {"padded octets are decimal where checked and where called",
         "http://10.201.0.020:8080/onvif/device_service", "",
         "||10.201.0.020:8080|http://10.201.0.020:8080/onvif/device_service|||x",
         "http://10.201.0.20:8080/onvif/device_service"},
        {"a path's bare characters are escaped, its escapes and query kept, no fragment",
         "HTTP://192.168.1.21/a%zz^{}|\\%41?q=1&amp;r=(2)#frag", "",
         "||192.168.1.21:80|HTTP://192.168.1.21/a%zz^{}|\\%41?q=1&r=(2)#frag|||x",
         "http://192.168.1.21:80/a%25zz%5E%7B%7D%7C%5C%41?q=1&r=(2)"},
        {"no path", "http://192.168.1.22:8000", "",
         "||192.168.1.22:8000|http://192.168.1.22:8000|||x", "http://192.168.1.22:8000/"},
        {"hardware when there is no name", "",
         "onvif://www.onvif.org/name/ onvif://www.onvif.org/Hardware/NVR%2D8",
         "NVR-8||192.168.1.200:80||NVR-8||x", ""},
        {"the MAC scope, in our spelling", "", "onvif://www.onvif.org/MAC/44:19:b6:a1:00:70",
         "|44:19:B6:A1:00:70|192.168.1.200:80||||x", ""},
        {"MacAddress in groups of four, escaped blanks", "",
         "onvif://www.onvif.org/macaddress/%204419.b6a1.0070%20",
         "|44:19:B6:A1:00:70|192.168.1.200:80||||x", ""},
        {"a MAC scope that is none, then one that is", "",
         "onvif://www.onvif.org/MAC/unknown onvif://www.onvif.org/MacAddress/4419B6A10070",
         "|44:19:B6:A1:00:70|192.168.1.200:80||||x", ""},
        {"mixed separators: no MAC", "", "onvif://www.onvif.org/MAC/44:19-b6:a1:00:70",
         "||192.168.1.200:80||||x", ""},
        {"Latin-1, controls dropped, a bad escape kept", "",
         "ONVIF://www.onvif.org/name/Caf%E9%0A%zz", "Café%zz||192.168.1.200:80||||x", ""},
    };
    for (const Case& c : cases) {
        const Decoded decoded =
            decodeMessage(Envelope("<s:Body><d:Hello><a:EndpointReference><a:Address>x</a:Address>"
                                   "</a:EndpointReference><d:Scopes>" +
                                   std::string(c.scopes) + "</d:Scopes><d:XAddrs>" + c.xaddrs +
                                   "</d:XAddrs></d:Hello></s:Body>"));
        const Match& match = std::get<Message>(decoded).matches.at(0);
        EXPECT_EQ(Described(match), c.want) << c.name;
        const auto called = onvif::parseServiceAddress(
            cameraDevice(match, Adapter("192.168.1.10", 24), kSource).serviceUrl);
        EXPECT_EQ(std::holds_alternative<onvif::ServiceAddress>(called)
                      ? onvif::curlUrl(std::get<onvif::ServiceAddress>(called))
                      : std::string(),
                  c.calls)
            << c.name;
    }
}

// What is never called: a service address that is not an IPv4 http(s) one.
TEST(WsdDecode, ServiceAddressesThatAreNone) {
    const char* const refused[] = {"file:///etc/passwd",
                                   "http://cam.local/",
                                   "http://[::1]/",
                                   "http://0.0.0.0/",
                                   "http://239.255.255.250/",
                                   "http://10.1.1.1:0/",
                                   "http://10.1.1.1:65536/",
                                   "http://0x0a.1.1.1/",
                                   "http://10.1.1/",
                                   "//10.1.1.1/",
                                   ""};
    for (const char* url : refused) {
        EXPECT_TRUE(std::holds_alternative<std::string>(onvif::parseServiceAddress(url))) << url;
    }
}

TEST(WsdProbe, WireShapeAndRoundTrip) {
    EXPECT_EQ(probeMessage(kFixtureProbeId, ProbeType::NetworkVideoTransmitter),
              Fixture("probe_network_video_transmitter.xml"));
    for (const ProbeType type : {ProbeType::NetworkVideoTransmitter, ProbeType::Device}) {
        const std::string id = newMessageId();
        const Message message = std::get<Message>(decodeMessage(probeMessage(id, type)));
        EXPECT_EQ(message.kind, MessageKind::Probe);
        EXPECT_EQ(message.messageId, id);
        const QualifiedName want =
            type == ProbeType::Device
                ? QualifiedName{std::string(kOnvifDeviceNamespace), "Device"}
                : QualifiedName{std::string(kOnvifNetworkNamespace), "NetworkVideoTransmitter"};
        EXPECT_EQ(message.probeTypes, std::vector<QualifiedName>{want});
    }
}

TEST(WsdProbe, MessageIdsAreRandomVersion4) {
    const std::regex shape("urn:uuid:[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-"
                           "[0-9a-f]{12}");
    std::set<std::string> seen;
    for (int i = 0; i < 100; ++i) {
        const std::string id = newMessageId();
        EXPECT_TRUE(std::regex_match(id, shape)) << id;
        seen.insert(id);
    }
    EXPECT_EQ(seen.size(), 100u);
}
