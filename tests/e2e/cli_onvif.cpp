// ondrel-cli search with ONVIF cameras beside our devices, on the lab's real WS-Discovery path
// (probes to 239.255.255.250:3702 through v0, looped back to the simulators): every camera is
// listed once, with its name, address and the protocols that found it, and a device that
// answers both is one row. It multicasts, so it runs only inside the network lab: CMake starts
// it through scripts/netlab (lab_cli), and it refuses to run anywhere else.

#include "cli_lab.h"

#include "SimDevice.h"
#include "WsdQuirks.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <map>
#include <thread>

using namespace ondrel;
using namespace ondrel::lab;

namespace {

using Json = nlohmann::json;

// Cameras that answer WS-Discovery alone, in v0's subnet.
std::vector<sim::SimDevice> OnvifOnlyCameras() {
    std::vector<sim::SimDevice> cameras;
    for (std::size_t i = 0; i < 4; ++i) {
        sim::SimDevice d = sim::SimDevice::generated(100 + i);
        d.name = "Dome " + std::to_string(i + 1);
        d.mac = "02:CA:00:00:00:0" + std::to_string(i + 1);
        d.ip = "10.77.0.12" + std::to_string(i + 1);
        cameras.push_back(d);
    }
    return cameras;
}

struct Row {
    std::string protocol;
    std::string ip;
    std::string mac;
    std::string endpoint;
};

// The listed devices by name; a name listed twice fails the test.
std::map<std::string, Row> ByName(const CliRun& run) {
    std::map<std::string, Row> rows;
    const Json list = Json::parse(run.out, nullptr, false);
    EXPECT_TRUE(list.is_array()) << run;
    for (const Json& d : list.is_array() ? list : Json::array()) {
        const std::string name = d.at("DevName");
        EXPECT_FALSE(rows.contains(name)) << name << " listed twice\n" << run;
        rows[name] = {d.at("Protocol"), d.at("IP"), d.at("Mac"), d.at("Endpoint")};
    }
    return rows;
}

class CliOnvifLab : public CliLab {
protected:
    void StartCameras(const std::vector<sim::SimDevice>& cameras) {
        Json list = Json::array();
        for (const sim::SimDevice& d : cameras) {
            list.push_back(DeviceJson(d));
        }
        ASSERT_EQ(onvifSim.Start(
                      {"--onvif-only", "--config", onvifSim.WriteConfig(list, "cameras.json")}),
                  "");
    }

    LabSim onvifSim;
};

} // namespace

// Our devices and cameras found by ONVIF alone, side by side: each once, by the protocol that
// found it; --protocol chooses which are searched. A camera is found by its endpoint
// reference, and set and assign send it nothing.
TEST_F(CliOnvifLab, OurDevicesAndOnvifCamerasEachOnceByTheirProtocol) {
    StartSim();
    const std::vector<sim::SimDevice> cameras = OnvifOnlyCameras();
    StartCameras(cameras);
    const struct {
        const char* protocol;
        std::size_t ours;
        std::size_t theirs;
    } cases[] = {{"all", devices.size(), cameras.size()},
                 {"native", devices.size(), 0},
                 {"onvif", 0, cameras.size()}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.protocol);
        const CliRun run =
            RunCli({"search", "--wait", "1.2", "--format", "json", "--protocol", c.protocol});
        ASSERT_EQ(run.exitCode, 0) << run;
        EXPECT_EQ(run.err, "");
        const std::map<std::string, Row> rows = ByName(run);
        EXPECT_EQ(rows.size(), c.ours + c.theirs) << run;
        for (std::size_t i = 0; i < c.ours; ++i) {
            ASSERT_TRUE(rows.contains(devices[i].name)) << devices[i].name;
            EXPECT_EQ(rows.at(devices[i].name).protocol, "native");
        }
        for (std::size_t i = 0; i < c.theirs; ++i) {
            ASSERT_TRUE(rows.contains(cameras[i].name)) << cameras[i].name;
            const Row& row = rows.at(cameras[i].name);
            EXPECT_EQ(std::tuple(row.protocol, row.ip, row.mac, row.endpoint),
                      std::tuple("onvif", cameras[i].ip, cameras[i].mac, EndpointOf(cameras[i])));
        }
    }

    const CliRun url = RunCli({"url", "--wait", "1.2", "--endpoint", EndpointOf(cameras[2]),
                               "--endpoint", EndpointOf(cameras[0])});
    EXPECT_EQ(url.exitCode, 0) << url;
    EXPECT_EQ(url.out, "http://" + cameras[2].ip + "/\nhttp://" + cameras[0].ip + "/\n");

    const CliRun set = RunCli(
        {"set", "--wait", "1.2", "--mac", cameras[1].mac, "--protocol", "native", "--dry-run"});
    EXPECT_EQ(set.exitCode, 2) << set;
    EXPECT_NE(set.err.find("found by ONVIF only"), std::string::npos) << set;
    // Every device is planned, each for its own protocol; asked for ours alone, the cameras
    // found by ONVIF only are left out and named.
    for (const char* protocol : {"auto", "native"}) {
        const CliRun assign =
            RunCli({"assign", "--all", "--first", "10.77.0.60", "--mask", "255.255.255.0",
                    "--gateway", "10.77.0.1", "--port", "8080", "--dry-run", "--format", "json",
                    "--wait", "1.2", "--protocol", protocol});
        ASSERT_EQ(assign.exitCode, 0) << assign;
        const Json report = Json::parse(assign.out);
        const bool native = std::string(protocol) == "native";
        std::size_t overOnvif = 0;
        for (const Json& row : report.at("devices")) {
            overOnvif += row.at("Protocol") == "onvif" ? 1 : 0;
        }
        EXPECT_EQ(overOnvif, native ? 0 : cameras.size()) << assign;
        EXPECT_EQ(report.at("devices").size(), devices.size() + overOnvif) << assign;
        std::size_t leftOut = 0;
        for (const Json& skipped : report.at("skipped")) {
            leftOut += skipped.at("Reason").get<std::string>().find("found by ONVIF only") !=
                               std::string::npos
                           ? 1
                           : 0;
        }
        EXPECT_EQ(leftOut, native ? cameras.size() : 0) << assign;
    }
    EXPECT_TRUE(sim.LogOfKind("setconfig").empty());
}

// Real cameras' shapes (other prefixes, names with spaces and in Chinese, link-local and IPv6
// XAddrs first, no MacAddress scope) from devices that answer our search too: one row each,
// with our reply's name and address; searched by ONVIF alone, the names the cameras give.
TEST_F(CliOnvifLab, EveryQuirkyCameraOnceWithTheRightNameAndAddress) {
    std::vector<sim::SimDevice> expected;
    for (std::size_t i = 0; i < 2 * sim::WsdQuirks::kCycle; ++i) {
        expected.push_back(sim::SimDevice::generated(i));
    }
    sim::WsdQuirks::rename(expected);
    ASSERT_EQ(sim.Start({"--onvif-quirks", "--devices", std::to_string(expected.size())}), "");
    for (const char* protocol : {"all", "onvif"}) {
        SCOPED_TRACE(protocol);
        // In rounds, as a search that lost answers is repeated: still each camera once.
        const CliRun run = RunCli({"search", "--wait", "1.2", "--rounds", "2", "--format", "json",
                                   "--protocol", protocol});
        ASSERT_EQ(run.exitCode, 0) << run;
        const std::map<std::string, Row> rows = ByName(run);
        EXPECT_EQ(rows.size(), expected.size()) << run;
        for (const sim::SimDevice& d : expected) {
            ASSERT_TRUE(rows.contains(d.name)) << d.name << "\n" << run;
            const Row& row = rows.at(d.name);
            EXPECT_EQ(row.protocol, std::string(protocol) == "all" ? "native+onvif" : "onvif");
            EXPECT_EQ(row.ip, d.ip) << d.name;
            EXPECT_EQ(row.endpoint, EndpointOf(d)) << d.name;
        }
    }
}

// A camera that starts during the wait is listed from its Hello.
TEST_F(CliOnvifLab, ACameraThatSaysHelloDuringTheWaitIsListed) {
    const std::vector<sim::SimDevice> cameras = OnvifOnlyCameras();
    CliRun run;
    std::thread search([&run] {
        run = RunCli({"search", "--wait", "2", "--format", "json", "--protocol", "onvif"});
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(700)); // the probes are gone by now
    StartCameras(cameras);
    search.join();
    ASSERT_EQ(run.exitCode, 0) << run;
    EXPECT_EQ(ByName(run).size(), cameras.size()) << run;
}

// With the port taken by a program that does not share it, the search goes on without the
// announcements, says so, and exits as it would have.
TEST_F(CliOnvifLab, APortTakenIsAWarningOnly) {
    StartSim();
    const int holder = ::socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_GE(holder, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(3702);
    ASSERT_EQ(::bind(holder, reinterpret_cast<const sockaddr*>(&at), sizeof at), 0);
    const CliRun run = RunCli({"search", "--wait", "0.4", "--format", "json"});
    ::close(holder);
    EXPECT_EQ(run.exitCode, 0) << run;
    EXPECT_EQ(run.err, "ondrel-cli: Port 3702 is in use: cameras that announce themselves are "
                       "not shown\n");
    EXPECT_EQ(ByName(run).size(), devices.size()) << run;
}
