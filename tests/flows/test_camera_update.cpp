// One camera's update over ONVIF against played answers: what is planned, that a camera not
// reached alone is sent nothing, where the change and the read-back go, and which search
// answer after the restart is the camera.

#include "SoapFixtures.h"
#include "flows/CameraUpdate.h"

#include <gtest/gtest.h>

using namespace ondrel;
using namespace ondrel::onvif;
using namespace ondrel::testing;

namespace {

Device cameraAt(const std::string& mac, const std::string& endpoint, const std::string& ip) {
    Device d;
    d.protocols = Protocols::Onvif;
    d.mac = ReportedMac::fromText(mac);
    d.endpoint = endpoint;
    d.ip = ReportedAddress::fromText(ip);
    d.serviceUrl = d.xaddrs = "http://" + ip + "/onvif/device_service";
    return d;
}

} // namespace

// Planned settings as ONVIF carries them: a camera whose own gateway, DNS and port were never
// reported keeps them; the change goes where the camera is reached alone, the read-back to
// where the search after the restart found it, both through its adapter.
TEST(CameraUpdate, PlansWhatWasPlannedAndCallsWhereTheCameraIs) {
    Device camera;
    camera.mac = ReportedMac::fromText("44:19:B6:00:00:01");
    camera.httpPort = 80;
    camera.adapter.name = "eCam";
    camera.sentFrom = "169.254.7.1";
    camera.xaddrs = "http://169.254.7.1/onvif/device_service";
    const struct {
        NetworkSettings settings;
        std::string want; // address, gateway, DNS, port
    } rows[] = {
        {{AddressMode::Static, "10.1.0.20", "255.255.0.0", "10.1.0.1", "10.1.0.2", 8080},
         "10.1.0.20/16 10.1.0.1 10.1.0.2 8080"},
        {{AddressMode::Static, "10.1.0.20", "255.255.255.0", "", "", 0}, "10.1.0.20/24 - - -"},
        {{AddressMode::Dhcp, "", "", "", "", 0}, "DHCP - - -"},
    };
    for (const auto& row : rows) {
        const NetworkPlan plan = networkPlanFor(camera, row.settings);
        const auto text = [](const auto& v) { return v ? v->text() : std::string("-"); };
        const std::string got =
            (plan.address.manual ? plan.address.manual->address.text() + "/" +
                                       std::to_string(plan.address.manual->prefixLength)
                                 : "DHCP") +
            " " + text(plan.gateway) + " " + (plan.dns ? plan.dns->front().text() : "-") + " " +
            (plan.httpPort ? std::to_string(*plan.httpPort) : "-");
        EXPECT_EQ(got, row.want);
        EXPECT_EQ(plan.mac, camera.mac.value);
    }

    FakeTransport transport;
    transport.answers = {SoapFile("get_system_date_and_time_hikvision.xml"),
                         SoapFile("get_network_interfaces_hikvision.xml"), MovedInterfaces()};
    const Account account{"admin", "12345"};
    CameraUpdate update(transport, account);
    NetworkPlan plan;
    plan.mac = camera.mac.value;
    plan.address.manual = Ipv4Prefix{*parseIpv4("10.1.0.20"), 16};
    // A camera that shares its address is sent nothing, in reachCamera's words.
    CameraReach shared;
    shared.unreachable = "shares its address with 1 other: connect it alone";
    shared.sharing = 1;
    const ChangeResult alone = update.change(camera, shared, plan);
    EXPECT_EQ(alone.outcome, ChangeOutcome::Unreachable);
    EXPECT_EQ(alone.words, "shares its address with 1 other: connect it alone");
    EXPECT_TRUE(transport.sent.empty());
    CameraReach own;
    own.url = "http://169.254.7.1/onvif/device_service";
    EXPECT_EQ(update.change(camera, own, plan).outcome,
              ChangeOutcome::Failed); // played out after the interfaces
    Device found = camera;
    found.serviceUrl = "http://10.1.0.20/onvif/device_service";
    found.xaddrs = found.serviceUrl;
    found.sentFrom = "10.1.0.20";
    transport.answers = {SoapFile("get_system_date_and_time_hikvision.xml"), MovedInterfaces()};
    EXPECT_TRUE(update.readBack(camera, found, plan).verified);
    ASSERT_EQ(transport.sent.size(), 5u);
    EXPECT_EQ(onvif::curlUrl(transport.sent[1].address),
              "http://169.254.7.1:80/onvif/device_service");
    EXPECT_EQ(onvif::curlUrl(transport.sent[4].address),
              "http://10.1.0.20:80/onvif/device_service");
    EXPECT_EQ(transport.sent[4].interfaceName, "eCam");
}

// After its restart the camera is the answer with its identity at the address it was given:
// its MAC where both tell one (any spelling), else its endpoint reference; the address as a
// value, so that a camera that writes it otherwise is still found.
TEST(CameraUpdate, FoundAfterItsRestartByItsIdentityAtItsNewAddress) {
    const Device withMac = cameraAt("44:19:B6:00:00:01", "urn:uuid:cam-1", "192.168.1.64");
    const Device withoutMac = cameraAt("", "urn:uuid:cam-2", "192.168.1.65");
    const std::optional<Ipv4> given = parseIpv4("10.1.0.20");
    Device ourRecord = cameraAt("44:19:B6:00:00:01", "", "10.1.0.20");
    ourRecord.protocols = Protocols::Native;
    Device noService = cameraAt("", "urn:uuid:cam-2", "10.1.0.20");
    noService.serviceUrl.clear();
    const struct {
        const char* name;
        const Device& camera;
        std::optional<Ipv4> planned;
        Device answer;
        bool found;
    } rows[] = {
        {"its MAC, written otherwise", withMac, given,
         cameraAt("44-19-b6-00-00-01", "urn:uuid:other", "10.1.0.20"), true},
        {"another MAC with its reference", withMac, given,
         cameraAt("44:19:B6:00:00:02", "urn:uuid:cam-1", "10.1.0.20"), false},
        {"its MAC at its old address", withMac, given,
         cameraAt("44:19:B6:00:00:01", "urn:uuid:cam-1", "192.168.1.64"), false},
        {"its address with leading zeros", withMac, given,
         cameraAt("44:19:B6:00:00:01", "urn:uuid:cam-1", "010.001.000.020"), true},
        {"no MAC: its reference, the answer telling a MAC", withoutMac, given,
         cameraAt("02:00:00:00:00:07", "urn:uuid:cam-2", "10.1.0.20"), true},
        {"no MAC: another reference", withoutMac, given,
         cameraAt("", "urn:uuid:cam-3", "10.1.0.20"), false},
        {"DHCP: any address", withoutMac, std::nullopt, cameraAt("", "urn:uuid:cam-2", "10.9.9.9"),
         true},
        {"our protocol's record only", withMac, given, ourRecord, false},
        {"no device service", withoutMac, given, noService, false},
    };
    for (const auto& row : rows) {
        const std::vector<Device> answers = {cameraAt("", "urn:uuid:x", "10.1.0.20"), row.answer};
        const std::optional<Device> found = findAfterRestart(row.camera, row.planned, answers);
        EXPECT_EQ(found.has_value(), row.found) << row.name;
        if (found) {
            EXPECT_EQ(found->ip.text, row.answer.ip.text) << row.name;
        }
    }
}

// The account leaves only for a host the rule allows and the wire agrees with: a claimed camera
// is sent nothing; a host of another MAC at the camera's address gets the clock question alone
// (it carries no account), and neither the change nor the read-back goes further.
TEST(CameraUpdate, TheAccountGoesOnlyWhereTheRuleAndTheWireAllow) {
    struct Neighbours final : NeighbourLookup {
        std::optional<std::string> held;
        std::optional<std::string> linkAddressAt(uint32_t, Ipv4) override { return held; }
    };
    Device camera;
    camera.mac = ReportedMac::fromText("44:19:B6:00:00:01");
    camera.adapter = {"eCam", 3, parseIpv4("10.1.0.1")->bits, 24};
    camera.sentFrom = "10.1.0.7";
    camera.serviceUrl = "http://10.1.0.7/onvif/device_service";
    camera.xaddrs = camera.serviceUrl;
    const struct {
        const char* name;
        std::string claims;
        std::optional<std::string> held;
        std::size_t sent;  // requests that left, per call
        std::string words; // why it failed
    } rows[] = {
        {"claimed by two hosts", "10.1.0.7 10.1.0.66", "44:19:b6:00:00:01", 0,
         "claimed by 10.1.0.7 and 10.1.0.66"},
        {"another MAC answers", "", "02:00:00:00:00:66", 1,
         "another device answers at 10.1.0.7: its MAC is 02:00:00:00:00:66, the camera's is "
         "44:19:B6:00:00:01"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Device asListed = camera;
        asListed.claims = row.claims;
        FakeTransport transport;
        transport.answers = {SoapFile("get_system_date_and_time_hikvision.xml"),
                             SoapFile("get_system_date_and_time_hikvision.xml")};
        Neighbours neighbours;
        neighbours.held = row.held;
        const Account account{"admin", "12345"};
        CameraUpdate changer(transport, account, {}, &neighbours);
        NetworkPlan plan;
        plan.mac = camera.mac.value;
        const ChangeResult changed = changer.change(asListed, reachCamera(asListed, {}), plan);
        EXPECT_EQ(changed.outcome, ChangeOutcome::Failed);
        EXPECT_EQ(changed.words, row.words);
        const Verification read = changer.readBack(asListed, asListed, plan);
        EXPECT_FALSE(read.verified);
        EXPECT_EQ(read.words, row.words);
        ASSERT_EQ(transport.sent.size(), 2 * row.sent);
        for (const auto& request : transport.sent) {
            EXPECT_EQ(request.body.find("UsernameToken"), std::string::npos);
            EXPECT_FALSE(request.digest);
        }
    }
}
