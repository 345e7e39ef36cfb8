#include "CommandLine.h"
#include "OnvifSet.h"
#include "SettingsBuilder.h"
#include "SettingsCheck.h"

#include <gtest/gtest.h>

#include <sstream>

namespace ondrel::cli {
namespace {

ReportedAddress At(const char* text) {
    return ReportedAddress::fromText(text);
}

// A device as a search reply decodes it.
Device Camera(AddressMode mode = AddressMode::Static) {
    Device d;
    d.name = "Front door";
    d.mac = ReportedMac::fromText("00:11:22:33:44:55");
    d.id = "CAM-000001";
    d.ip = At("192.168.1.88");
    d.netMask = At("255.255.255.0");
    d.gateway = At("192.168.1.1");
    d.dns0 = At("192.168.1.2");
    d.dns1 = At("192.168.1.3");
    d.webVersion = "web-1";
    d.appVersion = "app-1";
    d.httpPort = 80;
    d.port2 = 80;
    d.port3 = 80;
    d.mode = mode;
    return d;
}

CliOptions Options(const std::string& extra) {
    std::istringstream in("set --mac 00:11:22:33:44:55 --password-stdin " + extra);
    std::vector<std::string> words;
    for (std::string w; in >> w;) {
        words.push_back(w);
    }
    const ParseOutcome out = CommandLine::parse(words);
    EXPECT_TRUE(out.ok()) << out.error;
    return out.options;
}

NetworkSettings Settings(AddressMode mode, const char* ip, const char* mask, const char* gateway,
                         const char* dns, uint16_t port) {
    return {mode, ip, mask, gateway, dns, port};
}

// The device's own value for whatever is not given; addresses always in their written form,
// as the window's address controls write them.
TEST(Build, SettingsFromTheOptionsOrTheDevice) {
    const auto padded = [](Device& d) {
        d.ip = At("192.168.001.088");
        d.gateway = At("192.168.001.001");
    };
    const auto dhcpWithoutGateway = [](Device& d) {
        d.mode = AddressMode::Dhcp;
        d.gateway = At("");
    };
    const auto dhcpWithOddAddresses = [](Device& d) {
        d.mode = AddressMode::Dhcp;
        d.ip = At("");
        d.netMask = At("junk");
    };
    const auto oddGateway = [](Device& d) { d.gateway = At("10.9.9.9"); };
    const struct {
        const char* name;
        const char* options;
        void (*alter)(Device&);
        NetworkSettings want;
    } cases[] = {
        {"port only", "--port 8080", nullptr,
         Settings(AddressMode::Static, "192.168.1.88", "255.255.255.0", "192.168.1.1",
                  "192.168.1.2", 8080)},
        {"every address",
         "--ip 192.168.1.50 --mask 255.255.0.0 --gateway 192.168.0.1 --dns 1.1.1.1", nullptr,
         Settings(AddressMode::Static, "192.168.1.50", "255.255.0.0", "192.168.0.1", "1.1.1.1",
                  80)},
        {"dhcp keeps sending the addresses", "--dhcp --user viewer", dhcpWithoutGateway,
         Settings(AddressMode::Dhcp, "192.168.1.88", "255.255.255.0", "0.0.0.0", "192.168.1.2",
                  80)},
        {"dhcp needs no sound addresses", "", dhcpWithOddAddresses,
         Settings(AddressMode::Dhcp, "0.0.0.0", "0.0.0.0", "192.168.1.1", "192.168.1.2", 80)},
        {"padded octets read as decimal", "--mask 255.255.255.0", padded,
         Settings(AddressMode::Static, "192.168.1.88", "255.255.255.0", "192.168.1.1",
                  "192.168.1.2", 80)},
        // Off its subnet, but not ours to judge while the addressing stays.
        {"odd settings do not block a port change", "--port 81", oddGateway,
         Settings(AddressMode::Static, "192.168.1.88", "255.255.255.0", "10.9.9.9", "192.168.1.2",
                  81)},
    };
    for (const auto& c : cases) {
        Device device = Camera();
        if (c.alter) {
            c.alter(device);
        }
        const BuildOutcome out = SettingsBuilder::build(device, Options(c.options));
        ASSERT_TRUE(out.ok()) << c.name << ": " << out.error;
        EXPECT_EQ(out.settings, c.want) << c.name;
    }
}

TEST(Build, AddressModeFollowsTheOptionOrTheDevice) {
    const struct {
        AddressMode device;
        const char* option;
        AddressMode sent;
    } cases[] = {
        {AddressMode::Dhcp, "", AddressMode::Dhcp},
        {AddressMode::Static, "", AddressMode::Static},
        {AddressMode::Static, "--dhcp", AddressMode::Dhcp},
        {AddressMode::Dhcp, "--static", AddressMode::Static},
        {AddressMode::Dhcp, "--dhcp", AddressMode::Dhcp},
    };
    for (const auto& c : cases) {
        const BuildOutcome out = SettingsBuilder::build(Camera(c.device), Options(c.option));
        ASSERT_TRUE(out.ok()) << c.option << ": " << out.error;
        EXPECT_EQ(out.settings.mode, c.sent)
            << addressModeName(c.device) << " device, options '" << c.option << "'";
    }
}

struct RefusedBuild {
    const char* name;
    const char* options;
    void (*alter)(Device&);
    const char* mustMention;
};

// Lists the case by its name rather than its bytes.
void PrintTo(const RefusedBuild& c, std::ostream* os) {
    *os << c.name;
}

class BuildRefuses : public ::testing::TestWithParam<RefusedBuild> {};

TEST_P(BuildRefuses, WithAMessageNamingWhatToGive) {
    const auto& c = GetParam();
    Device device = Camera();
    if (c.alter) {
        c.alter(device);
    }
    const BuildOutcome out = SettingsBuilder::build(device, Options(c.options));
    ASSERT_FALSE(out.ok());
    EXPECT_NE(out.error.find(c.mustMention), std::string::npos) << out.error;
}

INSTANTIATE_TEST_SUITE_P(
    Table, BuildRefuses,
    ::testing::Values(
        RefusedBuild{"DevicePort10000", "", [](Device& d) { d.httpPort = 10000; },
                     "Can't use this http port."},
        RefusedBuild{"DevicePortZero", "", [](Device& d) { d.httpPort = 0; }, "--port"},
        RefusedBuild{"NoDeviceAddressStatic", "--port 81", [](Device& d) { d.ip = At(""); },
                     "--ip"},
        RefusedBuild{"GarbageDeviceAddress", "--static", [](Device& d) { d.ip = At("n/a"); },
                     "--ip"},
        RefusedBuild{"GarbageDeviceMask", "--ip 192.168.1.90",
                     [](Device& d) { d.netMask = At("x"); }, "--mask"},
        RefusedBuild{"GatewayOffSubnet", "--ip 10.0.0.5 --mask 255.255.255.0", nullptr,
                     "--gateway"},
        RefusedBuild{"GivenGatewayOffSubnet", "--ip 10.0.0.5 --gateway 10.0.1.1", nullptr,
                     "not in the subnet"},
        RefusedBuild{"GatewayIsOwnAddress", "--ip 192.168.1.1", nullptr, "own address"},
        RefusedBuild{"NetworkAddress", "--ip 192.168.1.0", nullptr, "network address"},
        RefusedBuild{"BroadcastAddress", "--mask 255.255.255.128 --ip 192.168.1.127", nullptr,
                     "broadcast address"}),
    [](const auto& p) { return std::string(p.param.name); });

// Which protocol carries set: auto prefers our datagram, and a protocol the device was not
// found by (or a camera without a device service) is refused.
TEST(SetRoute, FollowsTheProtocolAskedAndTheDevice) {
    const struct {
        Protocols found;
        const char* serviceUrl;
        RouteChoice asked;
        std::optional<Route> route;
    } cases[] = {
        {Protocols::Both, "http://192.168.1.88/onvif/device_service", RouteChoice::Auto,
         Route::Native},
        {Protocols::Onvif, "http://192.168.1.88/onvif/device_service", RouteChoice::Auto,
         Route::Onvif},
        {Protocols::Both, "http://192.168.1.88/onvif/device_service", RouteChoice::Onvif,
         Route::Onvif},
        {Protocols::Onvif, "http://192.168.1.88/onvif/device_service", RouteChoice::Native,
         std::nullopt},
        {Protocols::Native, "", RouteChoice::Onvif, std::nullopt},
        {Protocols::Onvif, "", RouteChoice::Onvif, std::nullopt},
    };
    for (const auto& c : cases) {
        Device d = Camera();
        d.protocols = c.found;
        d.serviceUrl = c.serviceUrl;
        const auto route = chooseRoute(d, c.asked);
        SCOPED_TRACE(std::string(protocolsName(c.found)) + " " + c.serviceUrl);
        if (c.route) {
            ASSERT_TRUE(std::holds_alternative<Route>(route)) << std::get<std::string>(route);
            EXPECT_EQ(std::get<Route>(route), *c.route);
        } else {
            EXPECT_TRUE(std::holds_alternative<std::string>(route));
        }
    }
}

// The ONVIF plan sends the address always and the rest only where it was given, so that a
// camera that told no gateway at discovery is not given 0.0.0.0.
TEST(SetRoute, OnvifPlanCarriesTheAddressAndOnlyWhatWasGiven) {
    Device d = Camera();
    d.httpPort = 8080;
    const CliOptions o = Options("--ip 192.168.1.90 --mask 255.255.0.0 --dns 192.168.1.5");
    const onvif::NetworkPlan plan = onvifPlan(d, SettingsBuilder::build(d, o).settings, o);
    EXPECT_EQ(plan.mac, d.mac.value);
    ASSERT_TRUE(plan.address.manual.has_value());
    EXPECT_EQ(plan.address.manual->address.text(), "192.168.1.90");
    EXPECT_EQ(plan.address.manual->prefixLength, 16);
    EXPECT_FALSE(plan.gateway.has_value());
    EXPECT_EQ(plan.dns, (std::vector<Ipv4>{*parseTypedIpv4("192.168.1.5")}));
    EXPECT_FALSE(plan.httpPort.has_value());
    EXPECT_EQ(plan.currentHttpPort, 8080);

    const CliOptions dhcp = Options("--dhcp --gateway 192.168.1.254 --port 81");
    const onvif::NetworkPlan automatic =
        onvifPlan(d, SettingsBuilder::build(d, dhcp).settings, dhcp);
    EXPECT_FALSE(automatic.address.manual.has_value());
    EXPECT_EQ(automatic.gateway, parseTypedIpv4("192.168.1.254"));
    EXPECT_EQ(automatic.httpPort, std::optional<std::uint16_t>(81));
}

TEST(FindByMac, FirstInArrivalOrderAnyNotation) {
    Device first = Camera();
    first.mac = ReportedMac::fromText("aa-bb-cc-dd-ee-ff");
    first.adapter = {"eth1", 3, 0xC0A8010A, 24};
    Device second = first;
    second.ip = At("192.168.1.99");
    const std::vector<Device> devices = {Camera(), first, second};
    const Device* found = SettingsBuilder::findByMac(devices, *parseMac("AA:BB:CC:DD:EE:FF"));
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found, &devices[1]);
    EXPECT_EQ(found->adapter.name, "eth1") << "the set request goes where the device answered";
    EXPECT_EQ(SettingsBuilder::findByMac({Camera()}, *parseMac("AA:BB:CC:DD:EE:FF")), nullptr);

    // A camera found by ONVIF alone comes after any device that answered our search: only
    // such a device can be sent settings.
    Device onvif = first;
    onvif.protocols = Protocols::Onvif;
    const std::vector<Device> mixed = {onvif, second};
    EXPECT_EQ(SettingsBuilder::findByMac(mixed, *parseMac("AA:BB:CC:DD:EE:FF")), &mixed[1]);
    const std::vector<Device> alone = {Camera(), onvif};
    EXPECT_EQ(SettingsBuilder::findByMac(alone, *parseMac("AA:BB:CC:DD:EE:FF")), &alone[1]);
}

TEST(Check, TheSettingsSentReadBackPass) {
    const BuildOutcome built =
        SettingsBuilder::build(Camera(), Options("--ip 192.168.1.50 --dns 1.1.1.1 --port 8080"));
    ASSERT_TRUE(built.ok()) << built.error;
    Device answer = Camera();
    answer.ip = At("192.168.1.50");
    answer.dns0 = At("1.1.1.1");
    answer.httpPort = 8080;
    EXPECT_TRUE(SettingsCheck::differences(built.settings, answer).empty());
    // A device that pads its octets reports the same address.
    answer.ip = At("192.168.001.050");
    EXPECT_TRUE(SettingsCheck::differences(built.settings, answer).empty());

    answer.mode = AddressMode::Dhcp;
    answer.gateway = At("192.168.1.254");
    answer.httpPort = 80;
    const auto diff = SettingsCheck::differences(built.settings, answer);
    ASSERT_EQ(diff.size(), 3u);
    EXPECT_EQ(diff[0], "address mode: sent static, the device reports dhcp");
    EXPECT_EQ(diff[1], "GateWay: sent 192.168.1.1, the device reports 192.168.1.254");
    EXPECT_EQ(diff[2], "HttpPort: sent 8080, the device reports 80");
}

TEST(Check, DhcpComparesModeAndPortOnly) {
    const BuildOutcome built = SettingsBuilder::build(Camera(), Options("--dhcp"));
    ASSERT_TRUE(built.ok());
    Device answer = Camera(AddressMode::Dhcp);
    answer.ip = At("192.168.1.123"); // the DHCP server's choice
    EXPECT_TRUE(SettingsCheck::differences(built.settings, answer).empty());
    answer.mode = AddressMode::Static;
    EXPECT_EQ(SettingsCheck::differences(built.settings, answer).size(), 1u);
}

TEST(Check, AnswersAreFoundByDevIdOrElseByMac) {
    Device target = Camera();
    Device moved = Camera();
    moved.ip = At("192.168.1.50");
    Device other = Camera();
    other.id = "CAM-000002";
    EXPECT_EQ(SettingsCheck::answersOf({other, moved}, target).size(), 1u);

    target.id.clear();
    other.id.clear();
    other.mac = ReportedMac::fromText("00:11:22:33:44:66");
    const auto byMac = SettingsCheck::answersOf({other, moved}, target);
    ASSERT_EQ(byMac.size(), 1u);
    EXPECT_EQ(byMac[0].ip.text, "192.168.1.50");
}

} // namespace
} // namespace ondrel::cli
