// The simulated cameras' WS-Discovery messages, read back by the tool's own decoder: every
// shape a camera writes must read as the same camera.

#include "WsdComposer.h"
#include "WsdQuirks.h"
#include "wsd/WsDiscovery.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

using namespace ondrel;
using namespace ondrel::sim;

namespace {

const std::string kProbeId = "urn:uuid:11111111-2222-4333-8444-555555555555";
const std::string kMessageId = "urn:uuid:aaaaaaaa-bbbb-4ccc-8ddd-eeeeeeeeeeee";

wsd::Message Decoded(const std::string& text) {
    wsd::Decoded d = wsd::decodeMessage(text);
    if (const auto* refusal = std::get_if<wsd::Refusal>(&d)) {
        ADD_FAILURE() << wsd::refusalText(*refusal) << "\n" << text;
        return {};
    }
    return std::get<wsd::Message>(d);
}

std::string Fixture(const char* name) {
    std::ifstream in(std::string(ONDREL_SIM_FIXTURES) + "/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

TEST(WsdComposer, EveryShapeReadsAsTheCamera) {
    SimDevice d = SimDevice::generated(11);
    d.name = "大门 摄像机 12";
    d.httpPort = 8080;
    d.location = "Building 2/Floor 1";
    const AdapterRef adapter{"v0", 2, parseIpv4("10.77.0.1")->bits, 16};
    const struct {
        const char* name;
        WsdShape shape;
    } cases[] = {
        {"plain", {}},
        {"s/a/d", {WsdLayout::ShortPrefixes}},
        {"SOAP-ENV/wsa/wsdd", {WsdLayout::Gsoap}},
        {"dn for discovery", {WsdLayout::DiscoveryAsDn}},
        {"default namespace", {WsdLayout::DefaultNamespace}},
        {"no MacAddress scope", {WsdLayout::DefaultNamespace, false}},
        {"link-local and IPv6 first", {WsdLayout::ShortPrefixes, true, true}},
        {"white space", {WsdLayout::DiscoveryAsDn, true, false, true}},
        {"link-local second", {WsdLayout::Gsoap, true, false, false, true}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const WsdTarget target = WsdComposer::target(d, c.shape);
        const wsd::Message matches =
            Decoded(WsdComposer::probeMatches(target, kMessageId, kProbeId, {7, 1}));
        const wsd::Message hello = Decoded(WsdComposer::hello(target, kMessageId, {7, 2}));
        EXPECT_EQ(matches.kind, wsd::MessageKind::ProbeMatches);
        EXPECT_EQ(matches.relatesTo, kProbeId);
        EXPECT_EQ(hello.kind, wsd::MessageKind::Hello);
        for (const wsd::Message* m : {&matches, &hello}) {
            EXPECT_EQ(m->messageId, kMessageId);
            ASSERT_EQ(m->matches.size(), 1u);
            EXPECT_TRUE(wsd::isCamera(m->matches[0]));
            EXPECT_EQ(m->matches[0].xaddrs.size(), c.shape.otherXAddrsFirst  ? 3u
                                                   : c.shape.linkLocalSecond ? 2u
                                                                             : 1u);
            const Device camera = wsd::cameraDevice(m->matches[0], adapter, Ipv4{adapter.address});
            EXPECT_EQ(camera.name, d.name);
            EXPECT_EQ(camera.mac.text, c.shape.macScope ? d.mac : "");
            EXPECT_EQ(camera.ip.text, d.ip);
            EXPECT_EQ(camera.httpPort, 8080);
            EXPECT_EQ(camera.hardware, d.hardware);
            EXPECT_EQ(camera.location, d.location);
            EXPECT_EQ(camera.endpoint, "urn:uuid:6f6e6472-656c-1000-8000-024f4e00000c");
            EXPECT_EQ(camera.serviceUrl, "http://10.77.1.12:8080/onvif/device_service");
        }
        const wsd::Message bye = Decoded(WsdComposer::bye(target, kMessageId, {7, 3}));
        EXPECT_EQ(bye.kind, wsd::MessageKind::Bye);
        ASSERT_EQ(bye.matches.size(), 1u);
        EXPECT_EQ(bye.matches[0].endpoint, target.endpoint);
    }
}

// The plain shape byte for byte, as a listener meets it on the wire.
TEST(WsdComposer, PlainProbeMatchesOnTheWire) {
    const WsdTarget target = WsdComposer::target(SimDevice::generated(0));
    EXPECT_EQ(WsdComposer::probeMatches(target, kMessageId, kProbeId, {1796764569, 4}),
              Fixture("probematches_plain.xml"));
}

TEST(WsdComposer, Texts) {
    const struct {
        std::string got, expected;
    } rows[] = {
        {WsdComposer::percentEncoded("Sim Camera 1"), "Sim%20Camera%201"},
        {WsdComposer::percentEncoded("大门"), "%E5%A4%A7%E9%97%A8"},
        {WsdComposer::percentEncoded("a/b~c.d_e-f%"), "a%2Fb~c.d_e-f%25"},
        {WsdComposer::endpointOf("02:4F:4E:0A:BC:DE"),
         "urn:uuid:6f6e6472-656c-1000-8000-024f4e0abcde"},
        {WsdComposer::messageId(0, 0), "urn:uuid:00000000-0000-4000-8000-000000000000"},
        {WsdComposer::messageId(~0ull, ~0ull), "urn:uuid:ffffffff-ffff-4fff-bfff-ffffffffffff"},
        {WsdComposer::target(SimDevice::generated(3), {WsdLayout::Plain, true, true}).xaddrs[1],
         "http://[fe80::4f:4eff:fe00:4]/onvif/device_service"},
        {WsdComposer::target(SimDevice::generated(3), {.linkLocalSecond = true}).xaddrs[1],
         "http://169.254.1.5/onvif/device_service"},
        {WsdComposer::linkLocalOf("02:4F:4E:00:00:00"), "169.254.1.1"},
        {WsdComposer::linkLocalOf("02:4f:4e:00:fc:03"), "169.254.254.254"},
        {WsdComposer::linkLocalOf("02:4F:4E:00:FC:04"), "169.254.1.1"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(r.got, r.expected);
    }
}

// Every generated camera has a link-local address of its own, none where the range keeps
// addresses back.
TEST(WsdComposer, LinkLocalAddressesAreDistinct) {
    std::set<std::string> seen;
    for (std::size_t i = 0; i < SimDevice::kMaxGenerated; ++i) {
        const std::string address = WsdComposer::linkLocalOf(SimDevice::generated(i).mac);
        ASSERT_TRUE(seen.insert(address).second) << address;
        ASSERT_FALSE(address.starts_with("169.254.0.") || address.starts_with("169.254.255."))
            << address;
    }
}

TEST(WsdQuirks, OneCycleShowsEveryShape) {
    std::vector<SimDevice> devices;
    for (std::size_t i = 0; i < WsdQuirks::kCycle; ++i) {
        devices.push_back(SimDevice::generated(i));
    }
    WsdQuirks::rename(devices);
    std::set<WsdLayout> layouts;
    std::set<std::string> names;
    std::size_t withoutMac = 0, othersFirst = 0, whitespace = 0;
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const WsdShape s = WsdQuirks::shape(i);
        layouts.insert(s.layout);
        withoutMac += s.macScope ? 0 : 1;
        othersFirst += s.otherXAddrsFirst ? 1 : 0;
        whitespace += s.extraWhitespace ? 1 : 0;
        names.insert(devices[i].name);
    }
    EXPECT_EQ(layouts.size(), 5u);
    EXPECT_TRUE(withoutMac == 1 && othersFirst == 1 && whitespace == 1);
    EXPECT_EQ(names.count("Loading Bay North 2") + names.count("大门 摄像机 3"), 2u);
}
