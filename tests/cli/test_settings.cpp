#include "CommandLine.h"
#include "SettingsBuilder.h"
#include "SettingsCheck.h"
#include "discovery/SetNetConfig.h"

#include <gtest/gtest.h>

#include <sstream>

namespace ondrel::cli {
namespace {

// A decoded device as the table holds it: IPMode 1 means automatic addressing.
DeviceInfo Device(int mode = 0) {
    DeviceInfo d = zeroDeviceInfo();
    setField(d.DevName, "Front door");
    setField(d.Mac, "00:11:22:33:44:55");
    setField(d.DevId, "CAM-000001");
    setField(d.IP, "192.168.1.88");
    setField(d.NetMask, "255.255.255.0");
    setField(d.GateWay, "192.168.1.1");
    setField(d.DNS0, "192.168.1.2");
    setField(d.DNS1, "192.168.1.3");
    setField(d.WebVersion, "web-1");
    setField(d.AppVersion, "app-1");
    d.HttpPort = 80;
    d.Port2 = 80;
    d.Port3 = 80;
    d.IPMode = static_cast<int8_t>(mode);
    return d;
}

CliOptions Options(const std::string& extra) {
    std::istringstream in("set --mac 00:11:22:33:44:55 --password-stdin " + extra);
    std::vector<std::string> words;
    for (std::string w; in >> w;) {
        words.push_back(w);
    }
    const ParseOutcome out = CommandLine::Parse(words);
    EXPECT_TRUE(out.ok()) << out.error;
    return out.options;
}

std::string Request(const DeviceInfo& record) {
    SetConfigBuffer buffer;
    const std::size_t n = composeSetNetConfig(record, buffer);
    return std::string(buffer.data(), n);
}

TEST(Build, KeepsTheDevicesOwnValuesForWhatIsNotGiven) {
    const DeviceInfo device = Device();
    const BuildOutcome out = SettingsBuilder::Build(device, Options("--port 8080"), "secret");
    ASSERT_TRUE(out.ok()) << out.error;
    EXPECT_EQ(Request(out.record),
              "IPCamSetNetConfig\r\nVersion:1\r\nnSeq:1\r\nDevId:CAM-000001\r\nIPMethod:1\r\n"
              "IP:192.168.1.88\r\nPort:8080\r\nNetMask:255.255.255.0\r\nGateWay:192.168.1.1\r\n"
              "DNS0:192.168.1.2\r\nDNS1:192.168.1.3\r\nusr:admin\r\npwd:secret\r\n"
              "SetWiFiIP:0\r\n\r\n");
    // Fields the form does not hold keep the device's bytes.
    EXPECT_EQ(fieldText(out.record.DevName), "Front door");
    EXPECT_EQ(fieldText(out.record.Mac), "00:11:22:33:44:55");
    EXPECT_EQ(out.record.Port2.get(), 80);
}

TEST(Build, AddressModeFollowsTheOptionOrTheDevice) {
    const struct {
        int deviceMode; // decoded convention: 1 automatic
        const char* option;
        int sentMethod; // sending convention: 0 automatic
    } cases[] = {
        {1, "", 0}, {0, "", 1}, {0, "--dhcp", 0}, {1, "--static", 1}, {1, "--dhcp", 0},
    };
    for (const auto& c : cases) {
        const BuildOutcome out =
            SettingsBuilder::Build(Device(c.deviceMode), Options(c.option), "");
        ASSERT_TRUE(out.ok()) << c.option << ": " << out.error;
        EXPECT_EQ(out.record.IPMode, c.sentMethod) << "device " << c.deviceMode << " " << c.option;
    }
}

TEST(Build, DhcpStillCarriesTheAddressFields) {
    DeviceInfo device = Device(0);
    setField(device.GateWay, "");
    const BuildOutcome out = SettingsBuilder::Build(device, Options("--dhcp --user viewer"), "pw");
    ASSERT_TRUE(out.ok()) << out.error;
    EXPECT_EQ(Request(out.record),
              "IPCamSetNetConfig\r\nVersion:1\r\nnSeq:1\r\nDevId:CAM-000001\r\nIPMethod:0\r\n"
              "IP:192.168.1.88\r\nPort:80\r\nNetMask:255.255.255.0\r\nGateWay:0.0.0.0\r\n"
              "DNS0:192.168.1.2\r\nDNS1:192.168.1.3\r\nusr:viewer\r\npwd:pw\r\n"
              "SetWiFiIP:0\r\n\r\n");
}

struct RefusedBuild {
    const char* name;
    const char* options;
    void (*alter)(DeviceInfo&);
    const char* mustMention;
};

// Lists the case by its name rather than its bytes.
void PrintTo(const RefusedBuild& c, std::ostream* os) {
    *os << c.name;
}

class BuildRefuses : public ::testing::TestWithParam<RefusedBuild> {};

TEST_P(BuildRefuses, WithAMessageNamingWhatToGive) {
    const auto& c = GetParam();
    DeviceInfo device = Device();
    if (c.alter) {
        c.alter(device);
    }
    const BuildOutcome out = SettingsBuilder::Build(device, Options(c.options), "pw");
    ASSERT_FALSE(out.ok());
    EXPECT_NE(out.error.find(c.mustMention), std::string::npos) << out.error;
}

INSTANTIATE_TEST_SUITE_P(
    Table, BuildRefuses,
    ::testing::Values(
        RefusedBuild{"DevicePort10000", "", [](DeviceInfo& d) { d.HttpPort = 10000; },
                     "Can't use this http port."},
        RefusedBuild{"DevicePortZero", "", [](DeviceInfo& d) { d.HttpPort = 0; }, "--port"},
        RefusedBuild{"NoDeviceAddressStatic", "--port 81",
                     [](DeviceInfo& d) { setField(d.IP, ""); }, "--ip"},
        RefusedBuild{"GarbageDeviceAddress", "--static",
                     [](DeviceInfo& d) { setField(d.IP, "n/a"); }, "--ip"},
        RefusedBuild{"GarbageDeviceMask", "--ip 192.168.1.90",
                     [](DeviceInfo& d) { setField(d.NetMask, "x"); }, "--mask"},
        RefusedBuild{"GatewayOffSubnet", "--ip 10.0.0.5 --mask 255.255.255.0", nullptr,
                     "--gateway"},
        RefusedBuild{"GivenGatewayOffSubnet", "--ip 10.0.0.5 --gateway 10.0.1.1", nullptr,
                     "not in the subnet"},
        RefusedBuild{"GatewayIsOwnAddress", "--ip 192.168.1.1", nullptr, "own address"},
        RefusedBuild{"NetworkAddress", "--ip 192.168.1.0", nullptr, "network address"},
        RefusedBuild{"BroadcastAddress", "--mask 255.255.255.128 --ip 192.168.1.127", nullptr,
                     "broadcast address"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(Build, OddCurrentSettingsDoNotBlockAChangeOfPortOnly) {
    DeviceInfo device = Device();
    setField(device.GateWay, "10.9.9.9"); // off its subnet, but not ours to judge
    const BuildOutcome out = SettingsBuilder::Build(device, Options("--port 81"), "pw");
    ASSERT_TRUE(out.ok()) << out.error;
    EXPECT_EQ(fieldText(out.record.GateWay), "10.9.9.9");
}

// Devices that pad their octets are read as decimal and sent their address without padding.
TEST(Build, PaddedDeviceAddressesReadAsDecimal) {
    DeviceInfo device = Device();
    setField(device.IP, "192.168.001.088");
    setField(device.GateWay, "192.168.001.001");
    const BuildOutcome out = SettingsBuilder::Build(device, Options("--mask 255.255.255.0"), "pw");
    ASSERT_TRUE(out.ok()) << out.error;
    EXPECT_EQ(fieldText(out.record.IP), "192.168.1.88");
    EXPECT_EQ(fieldText(out.record.GateWay), "192.168.1.1");
    DeviceInfo answer = Device(0);
    setField(answer.IP, "192.168.001.088");
    EXPECT_TRUE(SettingsCheck::Differences(out.record, answer).empty());
}

TEST(Build, DhcpNeedsNoSoundAddresses) {
    DeviceInfo device = Device(1);
    setField(device.IP, "");
    setField(device.NetMask, "junk");
    const BuildOutcome out = SettingsBuilder::Build(device, Options(""), "pw");
    ASSERT_TRUE(out.ok()) << out.error;
    EXPECT_EQ(fieldText(out.record.IP), "0.0.0.0");
    EXPECT_EQ(fieldText(out.record.NetMask), "0.0.0.0");
}

TEST(FindByMac, FirstInArrivalOrderAnyNotation) {
    DeviceInfo first = Device();
    setField(first.Mac, "aa-bb-cc-dd-ee-ff");
    DeviceInfo second = first;
    setField(second.IP, "192.168.1.99");
    const AdapterRef eth1{"eth1", 3, 0xC0A8010A, 24};
    const auto found = SettingsBuilder::FindByMac({{Device(), {}}, {first, eth1}, {second, {}}},
                                                  *ParseMac("AA:BB:CC:DD:EE:FF"));
    ASSERT_TRUE(found);
    EXPECT_EQ(fieldText(found->record.IP), "192.168.1.88");
    EXPECT_EQ(found->adapter, eth1) << "the set request goes where the device answered";
    EXPECT_FALSE(SettingsBuilder::FindByMac({{Device(), {}}}, *ParseMac("AA:BB:CC:DD:EE:FF")));
}

TEST(Check, TheSameSettingsInTheOtherConventionPass) {
    const BuildOutcome built = SettingsBuilder::Build(
        Device(), Options("--ip 192.168.1.50 --dns 1.1.1.1 --port 8080"), "pw");
    ASSERT_TRUE(built.ok()) << built.error;
    DeviceInfo answer = Device(0); // fixed address reads IPMode 0 in an answer
    setField(answer.IP, "192.168.1.50");
    setField(answer.DNS0, "1.1.1.1");
    answer.HttpPort = 8080;
    EXPECT_TRUE(SettingsCheck::Differences(built.record, answer).empty());

    answer.IPMode = 1;
    setField(answer.GateWay, "192.168.1.254");
    answer.HttpPort = 80;
    const auto diff = SettingsCheck::Differences(built.record, answer);
    ASSERT_EQ(diff.size(), 3u);
    EXPECT_NE(diff[0].find("address mode"), std::string::npos);
    EXPECT_NE(diff[1].find("GateWay"), std::string::npos);
    EXPECT_NE(diff[2].find("HttpPort"), std::string::npos);
}

TEST(Check, DhcpComparesModeAndPortOnly) {
    const BuildOutcome built = SettingsBuilder::Build(Device(0), Options("--dhcp"), "pw");
    ASSERT_TRUE(built.ok());
    DeviceInfo answer = Device(1);
    setField(answer.IP, "192.168.1.123"); // the DHCP server's choice
    EXPECT_TRUE(SettingsCheck::Differences(built.record, answer).empty());
    answer.IPMode = 0;
    EXPECT_EQ(SettingsCheck::Differences(built.record, answer).size(), 1u);
}

TEST(Check, AnswersAreFoundByDevIdOrElseByMac) {
    DeviceInfo sent = Device();
    DeviceInfo moved = Device();
    setField(moved.IP, "192.168.1.50");
    DeviceInfo other = Device();
    setField(other.DevId, "CAM-000002");
    EXPECT_EQ(SettingsCheck::AnswersOf({other, moved}, sent).size(), 1u);

    setField(sent.DevId, "");
    setField(other.DevId, "");
    setField(other.Mac, "00:11:22:33:44:66");
    const auto byMac = SettingsCheck::AnswersOf({other, moved}, sent);
    ASSERT_EQ(byMac.size(), 1u);
    EXPECT_EQ(fieldText(byMac[0].IP), "192.168.1.50");
}

} // namespace
} // namespace ondrel::cli
