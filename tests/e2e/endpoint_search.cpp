// A search on the real broadcast path finds every simulated device, exactly as the simulator
// holds it, and neither faulty datagrams nor repeats hide a device.

#include "EndpointLab.h"
#include "SimExpectations.h"

using namespace ondrel;
using namespace ondrel::lab;
using sim::SimDevice;

namespace {

std::vector<SimDevice> Assorted() {
    std::vector<SimDevice> devices;
    for (std::size_t i = 0; i < 6; ++i) {
        devices.push_back(SimDevice::generated(i));
    }
    devices[0].name = "Gate north";
    devices[0].httpPort = 8080;
    devices[1].dhcp = true;
    devices[2].wifi = true;
    devices[2].dhcp = true;
    devices[3].wifi = true;
    devices[3].ip = "192.168.200.17";
    devices[3].mask = "255.255.255.0";
    devices[4].gateway = devices[4].dns0 = devices[4].dns1 = "";
    devices[5].name = std::string(40, 'L'); // cut to its field by the tool
    devices[5].httpPort = 65535;
    return devices;
}

std::vector<DeviceInfo> Expected(const std::vector<SimDevice>& devices, int copies = 1) {
    std::vector<DeviceInfo> out;
    for (const SimDevice& d : devices) {
        for (int i = 0; i < copies; ++i) {
            out.push_back(expectedRecord(d));
        }
    }
    return out;
}

} // namespace

TEST_F(EndpointLab, SearchFindsEveryDeviceAsTheSimulatorHoldsIt) {
    const std::vector<SimDevice> devices = Assorted();
    StartSim(devices);
    ASSERT_TRUE(endpoint.sendSearch());
    ASSERT_TRUE(events.WaitFor(devices.size()));
    EXPECT_TRUE(SameRecords(events.Records(), Expected(devices)));
    const auto searches = sim.WaitForLog("search", 1);
    ASSERT_EQ(searches.size(), 1u);
    EXPECT_EQ(searches[0]["from"], "10.77.0.1:9003");
    EXPECT_EQ(searches[0]["answered"], devices.size());
}

TEST_F(EndpointLab, ManyDevicesAllArrive) {
    constexpr std::size_t kCount = 1000;
    StartSim({"--devices", std::to_string(kCount)});
    ASSERT_TRUE(endpoint.sendSearch());
    events.WaitFor(kCount);
    std::vector<DeviceInfo> want;
    for (std::size_t i = 0; i < kCount; ++i) {
        want.push_back(expectedRecord(SimDevice::generated(i)));
    }
    EXPECT_TRUE(SameRecords(events.Records(), want));
}

TEST_F(EndpointLab, FaultyRepliesAndRepeatsHideNoDevice) {
    const std::vector<SimDevice> devices = Assorted();
    StartSim(devices, {"--faulty", "tail,oversized,empty,garbage", "--duplicates", "1"});
    for (int search = 1; search <= 2; ++search) {
        SCOPED_TRACE("search " + std::to_string(search));
        events.Clear();
        ASSERT_TRUE(endpoint.sendSearch());
        // The faulty datagrams go out first; the listener must still be there for the rest.
        ASSERT_TRUE(events.WaitFor(devices.size() * 2));
        ASSERT_EQ(sim.WaitForLog("search", static_cast<std::size_t>(search)).size(),
                  static_cast<std::size_t>(search));
        EXPECT_TRUE(SameRecords(events.Records(), Expected(devices, 2)));
        EXPECT_EQ(endpoint.state(), DiscoveryEndpoint::State::Listening);
    }
}

TEST_F(EndpointLab, DelayedRepliesStillArrive) {
    const std::vector<SimDevice> devices = Assorted();
    StartSim(devices, {"--delay", "150"});
    const auto sent = std::chrono::steady_clock::now();
    ASSERT_TRUE(endpoint.sendSearch());
    ASSERT_TRUE(events.WaitFor(devices.size()));
    EXPECT_GE(std::chrono::steady_clock::now() - sent, std::chrono::milliseconds(150));
    EXPECT_TRUE(SameRecords(events.Records(), Expected(devices)));
}
