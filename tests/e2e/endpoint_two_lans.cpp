// The endpoint on a PC with two adapters (scripts/netlab --two-lans): eOffice on LAN A with
// the default route, eCam on LAN B, a camera switch, each LAN with a simulator of its own. A
// search reaches both LANs and every reply names the adapter it came through; the requests for
// one camera, the set request with its password above all, reach that camera's LAN only, and
// reach the others only once its adapter is gone. The simulators' logs are the witnesses.

#include "EndpointLab.h"

#include "SimExpectations.h"
#include "TwoLanDevices.h"
#include "discovery/DeviceRecord.h"

#include <cstdlib>
#include <map>

using namespace ondrel;
using namespace ondrel::lab;
using sim::SimDevice;

namespace {

// Passwords of their own, so that the logs show which LAN heard one.
std::vector<SimDevice> Cameras() {
    std::vector<SimDevice> d = LanBCameras();
    for (std::size_t i = 0; i < d.size(); ++i) {
        d[i].password = "cam-secret-" + std::to_string(i);
    }
    return d;
}

struct Heard {
    AdapterRef adapter;
    Device device;
    DeviceInfo record;
};

class EndpointTwoLans : public ::testing::Test {
protected:
    void SetUp() override {
        ONDREL_REQUIRE_LAB();
        const char* topology = std::getenv("ONDREL_LAB_TOPOLOGY");
        ASSERT_TRUE(topology != nullptr && std::string_view(topology) == "two-lans")
            << "run under scripts/netlab --two-lans";
        StartLan(lanA, "ONDREL_LAB_A_NETNS", office);
        StartLan(lanB, "ONDREL_LAB_B_NETNS", cameras);
        endpoint.setHandlers({[this](std::vector<Device>&& replies, uint32_t) {
                                  std::lock_guard lock(mutex);
                                  for (Device& d : replies) {
                                      const std::string mac = d.mac.text;
                                      heard[mac] = Heard{d.adapter, d, recordOf(d)};
                                  }
                              },
                              [this](const UpdateAnswer& answer, uint32_t) {
                                  std::lock_guard lock(mutex);
                                  results.push_back({answer.result, answer.adapter.name});
                              }});
        ASSERT_TRUE(endpoint.open());
    }

    // Searches until all five devices have answered; what each was heard on.
    std::map<std::string, Heard> SearchAll() {
        const SendResult sent = endpoint.sendSearch();
        EXPECT_TRUE(sent) << sent.message;
        EXPECT_EQ(sent.sentOn, (std::vector<std::string>{"eOffice", "eCam"}));
        EXPECT_TRUE(WaitUntil([&] {
            std::lock_guard lock(mutex);
            return heard.size() == office.size() + cameras.size();
        }));
        std::lock_guard lock(mutex);
        return heard;
    }

    // A search through every adapter that, once logged on both LANs, shows that everything
    // sent before it was logged too: each LAN's datagrams arrive in order.
    void Marker() {
        const std::size_t a = lanA.LogOfKind("search").size();
        const std::size_t b = lanB.LogOfKind("search").size();
        ASSERT_TRUE(endpoint.sendSearch());
        ASSERT_EQ(lanA.WaitForLog("search", a + 1).size(), a + 1);
        ASSERT_EQ(lanB.WaitForLog("search", b + 1).size(), b + 1);
    }

    static std::size_t Count(const LabSim& lan, std::string_view kind) {
        return lan.LogOfKind(kind).size();
    }

    std::vector<SimDevice> office = OfficeDevices();
    std::vector<SimDevice> cameras = Cameras();
    LabSim lanA;
    LabSim lanB;
    std::mutex mutex;
    std::map<std::string, Heard> heard;
    std::vector<std::pair<UpdateResult, std::string>> results; // result, adapter
    DiscoveryEndpoint endpoint;                                // stops before the rest goes
};

} // namespace

TEST_F(EndpointTwoLans, EveryDeviceIsHeardOnItsOwnLansAdapter) {
    const std::map<std::string, Heard> got = SearchAll();
    struct Want {
        const SimDevice& device;
        const char* adapter;
        const char* subnet;
        bool inside;
    } wants[] = {
        {office[0], "eOffice", "10.77.0.0/24", true},
        {office[1], "eOffice", "10.77.0.0/24", false},
        {office[2], "eOffice", "10.77.0.0/24", false},
        {cameras[0], "eCam", "192.168.1.0/24", true},
        {cameras[1], "eCam", "192.168.1.0/24", false},
    };
    for (const Want& w : wants) {
        SCOPED_TRACE(w.device.name);
        ASSERT_EQ(got.count(w.device.mac), 1u);
        const Heard& h = got.at(w.device.mac);
        EXPECT_TRUE(SameRecords({h.record}, {expectedRecord(w.device)}));
        EXPECT_EQ(h.adapter.name, w.adapter);
        EXPECT_EQ(h.adapter.subnetText(), w.subnet);
        EXPECT_EQ(h.adapter.contains(fieldText(h.record.ip)), w.inside);
    }
    EXPECT_EQ(Count(lanA, "search"), 1u);
    EXPECT_EQ(Count(lanB, "search"), 1u);
}

TEST_F(EndpointTwoLans, ACamerasRequestsReachItsLanOnly) {
    const SimDevice& camera = cameras[1]; // at its factory address, outside eCam's subnet
    const Heard found = SearchAll().at(camera.mac);
    NetworkSettings settings = currentSettings(found.device);
    settings.ip = "192.168.1.65";
    settings.mode = AddressMode::Static;

    for (uint16_t command : {kCmdQuery1, kCmdQuery2, kCmdQuery3}) {
        const SendResult sent = endpoint.sendQuery(command, found.device);
        EXPECT_EQ(sent.sentOn, std::vector<std::string>{"eCam"});
    }
    const SendResult sent =
        endpoint.sendSettings(found.device, settings, Credentials{camera.user, camera.password});
    EXPECT_EQ(sent.sentOn, std::vector<std::string>{"eCam"});
    ASSERT_TRUE(WaitUntil([&] {
        std::lock_guard lock(mutex);
        return !results.empty();
    }));
    {
        std::lock_guard lock(mutex);
        EXPECT_EQ(results.front(), std::make_pair(UpdateResult::Accepted, std::string("eCam")));
    }

    Marker();
    EXPECT_EQ(Count(lanB, "query"), 3u);
    ASSERT_EQ(Count(lanB, "setconfig"), 1u);
    EXPECT_NE(LoggedText(lanB.LogOfKind("setconfig")[0]).find("pwd:" + camera.password + "\r\n"),
              std::string::npos);
    for (const LabSim::Entry& e : lanB.LogOfKind("query")) {
        EXPECT_EQ(LoggedText(e).find(camera.password), std::string::npos) << "a query carried it";
    }
    for (const LabSim::Entry& e : lanA.Log()) {
        EXPECT_EQ(e.value("kind", ""), "search") << e.dump();
        EXPECT_EQ(LoggedText(e).find(camera.password), std::string::npos) << e.dump();
    }
}

// The camera's adapter unplugged between the search and the request: the request goes out
// through the adapters that are left, as a search does, and says which.
TEST_F(EndpointTwoLans, WithItsAdapterGoneARequestGoesOutTheOthers) {
    const Heard found = SearchAll().at(cameras[0].mac);
    ASSERT_EQ(std::system("PATH=$PATH:/usr/sbin:/sbin ip link set eCam down"), 0);
    const SendResult sent = endpoint.sendQuery(kCmdQuery1, found.device);
    ASSERT_EQ(std::system("PATH=$PATH:/usr/sbin:/sbin ip link set eCam up"), 0);
    EXPECT_TRUE(sent) << sent.message;
    EXPECT_EQ(sent.sentOn, std::vector<std::string>{"eOffice"});
    EXPECT_EQ(lanA.WaitForLog("query", 1).size(), 1u);
    EXPECT_EQ(Count(lanB, "query"), 0u);
}
