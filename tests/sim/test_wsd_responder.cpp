// What the simulated cameras answer to WS-Discovery, apart from any socket: which probes, with
// what, after which delays.

#include "WsdResponder.h"

#include <gtest/gtest.h>

#include <set>

using namespace ondrel;
using namespace ondrel::sim;
using namespace std::chrono_literals;

namespace {

using Clock = SimResponder::Clock;
const Clock::time_point kStart{};
const std::string kProbeId = "urn:uuid:11111111-2222-4333-8444-555555555555";

std::vector<SimDevice> Generated(std::size_t count) {
    std::vector<SimDevice> devices;
    for (std::size_t i = 0; i < count; ++i) {
        devices.push_back(SimDevice::generated(i));
    }
    return devices;
}

// A probe as makers' clients write it: Types holds `types`, each prefix declared.
std::string Probe(const std::string& types) {
    return R"(<s:Envelope xmlns:s="http://www.w3.org/2003/05/soap-envelope" )"
           R"(xmlns:a="http://schemas.xmlsoap.org/ws/2004/08/addressing" )"
           R"(xmlns:d="http://schemas.xmlsoap.org/ws/2005/04/discovery" )"
           R"(xmlns:dn="http://www.onvif.org/ver10/network/wsdl" )"
           R"(xmlns:tds="http://www.onvif.org/ver10/device/wsdl" )"
           R"(xmlns:wprt="http://schemas.microsoft.com/windows/2006/08/wdp/print"><s:Header>)"
           R"(<a:Action>http://schemas.xmlsoap.org/ws/2005/04/discovery/Probe</a:Action>)"
           R"(<a:MessageID>)" +
           kProbeId + R"(</a:MessageID></s:Header><s:Body><d:Probe><d:Types>)" + types +
           R"(</d:Types></d:Probe></s:Body></s:Envelope>)";
}

} // namespace

TEST(WsdResponder, WhichProbesCamerasAnswer) {
    const SimResponder devices(Generated(3), {}, kStart);
    const struct {
        const char* name;
        std::string datagram;
        std::size_t answers;
        const char* kind;
    } cases[] = {
        {"the tool's, transmitters",
         wsd::probeMessage(kProbeId, wsd::ProbeType::NetworkVideoTransmitter), 3, "probe"},
        {"the tool's, devices", wsd::probeMessage(kProbeId, wsd::ProbeType::Device), 3, "probe"},
        {"no type", Probe(""), 3, "probe"},
        {"both types", Probe("dn:NetworkVideoTransmitter tds:Device"), 3, "probe"},
        {"a printer", Probe("wprt:PrintDeviceType"), 0, "probe"},
        {"a camera and a printer", Probe("dn:NetworkVideoTransmitter wprt:PrintDeviceType"), 0,
         "probe"},
        {"Device of another namespace", Probe("dn:Device"), 0, "probe"},
        {"a camera's Hello",
         WsdComposer::hello(WsdComposer::target(SimDevice::generated(7)), kProbeId, {}), 0,
         "hello"},
        {"not XML", "IPCamSearch\r\n", 0, "unknown"},
    };
    for (const auto& c : cases) {
        WsdResponder responder(devices, {});
        const WsdResponse r = responder.handle(c.datagram, kStart);
        EXPECT_EQ(r.answers.size(), c.answers) << c.name;
        EXPECT_EQ(r.entry["kind"], c.kind) << c.name;
        EXPECT_EQ(responder.probeCount(), c.answers == 0 ? 0u : 1u) << c.name;
    }
}

TEST(WsdResponder, EachCameraAnswersOnceAfterItsOwnDelay) {
    const SimResponder devices(Generated(200), {}, kStart);
    WsdResponder responder(devices, {false, 500ms, 42, 9});
    const WsdResponse r = responder.handle(Probe("dn:NetworkVideoTransmitter"), kStart);
    ASSERT_EQ(r.answers.size(), 200u);
    std::set<std::string> endpoints, ids;
    std::set<int64_t> delays;
    for (const WsdMessage& answer : r.answers) {
        EXPECT_GE(answer.delay, 0ms);
        EXPECT_LE(answer.delay, 500ms);
        delays.insert(answer.delay.count());
        const wsd::Message m = std::get<wsd::Message>(wsd::decodeMessage(answer.bytes));
        EXPECT_EQ(m.relatesTo, kProbeId);
        ids.insert(m.messageId);
        endpoints.insert(m.matches.at(0).endpoint);
    }
    EXPECT_EQ(endpoints.size(), 200u);
    EXPECT_EQ(ids.size(), 200u);
    EXPECT_GT(delays.size(), 100u) << "the answers are spread, not sent at once";
    EXPECT_GT(*delays.rbegin() - *delays.begin(), 400);
}

TEST(WsdResponder, RestartingCamerasAreSilentAndEveryOneAnnouncesItself) {
    SimResponder devices(Generated(3), {}, kStart);
    SimRequest set;
    set.kind = RequestKind::SetConfig;
    set.fields = {{"DevId", "SIM00000002"}, {"IPMethod", "1"}, {"IP", "10.50.0.7"},
                  {"NetMask", "255.0.0.0"}, {"Port", "80"},    {"usr", "admin"},
                  {"pwd", "admin"}};
    ASSERT_EQ(devices.handle(set, kStart).outcome["devices"][0]["result"], "accepted");
    WsdResponder responder(devices, {});
    const WsdResponse during = responder.handle(Probe(""), kStart + 1s);
    EXPECT_EQ(during.answers.size(), 2u);
    EXPECT_EQ(during.entry["restarting"], 1);
    // Back with the address it was given.
    const WsdResponse after = responder.handle(Probe(""), kStart + 3s);
    ASSERT_EQ(after.answers.size(), 3u);
    std::set<std::string> xaddrs;
    for (const WsdMessage& a : after.answers) {
        xaddrs.insert(std::get<wsd::Message>(wsd::decodeMessage(a.bytes)).matches[0].xaddrs[0]);
    }
    EXPECT_EQ(xaddrs.count("http://10.50.0.7/onvif/device_service"), 1u);

    const std::vector<WsdMessage> hellos = responder.hellos();
    const std::vector<std::string> byes = responder.byes();
    ASSERT_EQ(hellos.size(), 3u);
    ASSERT_EQ(byes.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        const auto hello = std::get<wsd::Message>(wsd::decodeMessage(hellos[i].bytes));
        const auto bye = std::get<wsd::Message>(wsd::decodeMessage(byes[i]));
        EXPECT_EQ(hello.kind, wsd::MessageKind::Hello);
        EXPECT_EQ(bye.kind, wsd::MessageKind::Bye);
        EXPECT_EQ(hello.matches.at(0).endpoint, bye.matches.at(0).endpoint);
        EXPECT_LE(hellos[i].delay, 500ms);
    }
}
