// Third-party ONVIF clients against the simulated ONVIF-only cameras of `ondrel-sim
// --onvif-only --onvif-quirks`, played in LAN A of `scripts/netlab --two-lans` (onvif-util turns
// the multicast loop off, so the cameras cannot sit beside it): Debian's onvif-util and the npm
// onvif package each list every camera with the name and address expected of that client, read
// one camera's network through its device service and change that camera's address. A client
// that is not installed skips its test and says so. Then libcurl, as our client calls it, through
// the PC's camera adapter to cameras in LAN B that share one factory address: the shared address
// reaches the first, and each one's link-local address reaches that one.

#include "LabSim.h"
#include "SimDevice.h"
#include "WsdComposer.h"
#include "WsdQuirks.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <map>
#include <regex>
#include <sstream>
#include <thread>

using namespace ondrel;
using namespace ondrel::lab;

namespace {

// Two cycles of real cameras' shapes.
constexpr std::size_t kCameras = 2 * sim::WsdQuirks::kCycle;

struct Camera {
    std::string name;
    std::string ip;
    std::string firstXAddrHost; // a link-local address where the camera lists it first
    sim::WsdShape shape;
};

std::vector<Camera> Expected() {
    std::vector<sim::SimDevice> devices;
    for (std::size_t i = 0; i < kCameras; ++i) {
        devices.push_back(sim::SimDevice::generated(i));
    }
    sim::WsdQuirks::rename(devices);
    std::vector<Camera> cameras;
    for (std::size_t i = 0; i < kCameras; ++i) {
        const sim::WsdShape shape = sim::WsdQuirks::shape(i);
        const std::string first = sim::WsdComposer::target(devices[i], shape).xaddrs.front();
        const std::string host = first.substr(7, first.find('/', 7) - 7); // after "http://"
        cameras.push_back({devices[i].name, devices[i].ip, host, shape});
    }
    return cameras;
}

// Standard output (and error) of a shell command.
std::string Shell(const std::string& command) {
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return out;
    }
    std::array<char, 4096> buffer{};
    while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr) {
        out += buffer.data();
    }
    ::pclose(pipe);
    return out;
}

bool Installed(const std::string& program) {
    return Shell("command -v " + program + " >/dev/null && echo yes") == "yes\n";
}

// Brings these ranges to the LAN's own host, so that one simulator there answers for them all.
void RouteLocally(const char* netns, std::initializer_list<const char*> ranges) {
    for (const char* range : ranges) {
        const std::string route = std::string("nsenter --net=") + netns +
                                  " ip route replace local " + range + " dev lo 2>&1";
        ASSERT_EQ(Shell(route), "") << route;
    }
}

class OnvifPeers : public ::testing::Test {
protected:
    void SetUp() override {
        ONDREL_REQUIRE_LAB();
        const char* lanA = std::getenv("ONDREL_LAB_A_NETNS");
        ASSERT_NE(lanA, nullptr) << "run under scripts/netlab --two-lans";
        // LAN A holds the cameras' addresses, so that a client that asks a camera something
        // (onvif-util asks each one found for its host name) is refused at once instead of
        // waiting for a host that never answers.
        ASSERT_NO_FATAL_FAILURE(RouteLocally(lanA, {"10.77.1.0/24", "169.254.0.0/16"}));
        m_sim.EnterNetwork(lanA);
        ASSERT_EQ(
            m_sim.Start({"--devices", std::to_string(kCameras), "--onvif-only", "--onvif-quirks"}),
            "");
        // Let the Hellos pass: a client is to find the cameras by its own probe.
        std::this_thread::sleep_for(600ms);
    }

    // The simulator's log of the last request of each device service operation.
    std::map<std::string, nlohmann::json> LastOfEachOperation() const {
        std::map<std::string, nlohmann::json> last;
        for (const nlohmann::json& e : m_sim.LogOfKind("http")) {
            if (e.contains("operation")) {
                last[e["operation"].get<std::string>()] = e;
            }
        }
        return last;
    }

    LabSim m_sim;
};

} // namespace

// onvif-util prints "ADDRESS HOSTNAME(NAME HARDWARE)" for each camera: the address of the first
// XAddr whatever it is, and the scopes split at spaces alone, so a camera that spreads them over
// lines shows its name followed by the rest of its scopes.
TEST_F(OnvifPeers, OnvifUtilListsEveryCamera) {
    if (!Installed("onvif-util")) {
        GTEST_SKIP() << "onvif-util (Debian's onvif-tools) is not installed";
    }
    const std::string out = Shell("timeout 60 onvif-util -a 2>&1");
    EXPECT_NE(out.find("Found " + std::to_string(kCameras) + " cameras"), std::string::npos) << out;
    std::map<std::string, std::string> listed; // address -> what stands in the parentheses
    // The camera's host name (GetHostname, open to all) stands between them where it answers.
    const std::regex entry(R"((?:^|\n)(\d+\.\d+\.\d+\.\d+) [^ (\n]*\(([^)]*)\))");
    for (auto it = std::sregex_iterator(out.begin(), out.end(), entry);
         it != std::sregex_iterator(); ++it) {
        listed[(*it)[1]] = (*it)[2];
    }
    EXPECT_EQ(listed.size(), kCameras) << out;
    for (const Camera& c : Expected()) {
        SCOPED_TRACE(c.name);
        const auto found = listed.find(c.firstXAddrHost);
        ASSERT_NE(found, listed.end()) << out;
        if (c.shape.extraWhitespace) {
            EXPECT_EQ(found->second.rfind(c.name + "\n", 0), 0u) << found->second;
        } else {
            EXPECT_EQ(found->second, c.name + " SimCam-2100");
        }
    }
}

// onvif-util logged in to one camera reads its network settings and gives it another address:
// the simulator's log says what it set, and that the camera restarted to take it.
TEST_F(OnvifPeers, OnvifUtilReadsAndChangesACamerasNetwork) {
    if (!Installed("onvif-util")) {
        GTEST_SKIP() << "onvif-util (Debian's onvif-tools) is not installed";
    }
    const std::string out = Shell("printf 'get network\\nset ip_address 10.77.1.50\\nquit\\n' | "
                                  "timeout 30 onvif-util -u admin -p admin 10.77.1.1 2>&1");
    EXPECT_NE(out.find("IP Address: 10.77.1.1\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Gateway:    10.77.0.1\n"), std::string::npos) << out;
    std::map<std::string, nlohmann::json> byOperation = LastOfEachOperation();
    EXPECT_EQ(byOperation["SetNetworkInterfaces"]["set"],
              (nlohmann::json{{"dhcp", false}, {"address", "10.77.1.50"}, {"prefixLength", 16}}));
    EXPECT_EQ(byOperation["SystemReboot"]["address"], "10.77.1.50");
}

// The npm package's network calls, as tests/peers/network.js makes them.
std::string NpmNetwork(const std::string& arguments) {
    return Shell("cd " ONDREL_PEERS_DIR " && timeout 30 node network.js " + arguments + " 2>&1");
}

bool NpmInstalled() {
    return Installed("node") && Shell("test -d " ONDREL_PEERS_DIR "/node_modules/onvif && echo "
                                      "yes") == "yes\n";
}

// tests/peers/discover.js prints what the package read of each answer: the name scope
// percent-decoded and the first IPv4 XAddr that is not link-local.
TEST_F(OnvifPeers, NpmOnvifListsEveryCamera) {
    if (!NpmInstalled()) {
        GTEST_SKIP() << "node or the npm onvif package (scripts/install-deps puts it in "
                     << ONDREL_PEERS_DIR << "/node_modules) is not installed";
    }
    const std::string out =
        Shell("cd " ONDREL_PEERS_DIR " && timeout 60 node discover.js 2000 2>&1");
    std::map<std::string, nlohmann::json> listed; // address -> the line
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        const nlohmann::json j = nlohmann::json::parse(line, nullptr, false);
        ASSERT_FALSE(j.is_discarded()) << line;
        listed[j.value("address", "")] = j;
    }
    EXPECT_EQ(listed.size(), kCameras) << out;
    for (const Camera& c : Expected()) {
        SCOPED_TRACE(c.name);
        const auto found = listed.find(c.ip);
        ASSERT_NE(found, listed.end()) << out;
        EXPECT_EQ(found->second["name"], c.name);
        EXPECT_EQ(found->second["xaddrs"].size(), c.shape.otherXAddrsFirst ? 3u : 1u);
    }
}

// tests/peers/network.js reads one camera's network settings through the package's Cam: the
// interface with its token, MAC and manual IPv4 address, and the gateway.
TEST_F(OnvifPeers, NpmOnvifReadsACamerasNetwork) {
    if (!NpmInstalled()) {
        GTEST_SKIP() << "node or the npm onvif package is not installed";
    }
    const std::string out = NpmNetwork("10.77.1.1 admin admin");
    const nlohmann::json read = nlohmann::json::parse(out, nullptr, false);
    ASSERT_FALSE(read.is_discarded()) << out;
    const nlohmann::json& eth = read["interfaces"][0];
    EXPECT_EQ(eth["$"]["token"], "eth0") << out;
    EXPECT_EQ(eth["info"]["hwAddress"], sim::SimDevice::generated(0).mac) << out;
    EXPECT_EQ(eth["IPv4"]["config"]["manual"]["address"], "10.77.1.1") << out;
    EXPECT_EQ(eth["IPv4"]["config"]["manual"]["prefixLength"], 16) << out;
    EXPECT_EQ(read["gateway"]["IPv4Address"], "10.77.0.1") << out;
}

// tests/peers/network.js sets one camera's gateway and address through the package and asks
// for the restart the camera says it needs: the simulator's log holds exactly what was set,
// and after its restart the camera answers at its new address with the new gateway.
TEST_F(OnvifPeers, NpmOnvifChangesACamerasAddress) {
    if (!NpmInstalled()) {
        GTEST_SKIP() << "node or the npm onvif package is not installed";
    }
    const nlohmann::json changed = nlohmann::json::parse(
        NpmNetwork("10.77.1.1 admin admin 10.77.1.61/16 10.77.0.254"), nullptr, false);
    ASSERT_TRUE(changed.is_object() && !changed.contains("error")) << changed;
    EXPECT_EQ(changed["set"]["rebootNeeded"], true) << changed;
    std::map<std::string, nlohmann::json> byOperation = LastOfEachOperation();
    EXPECT_EQ(byOperation["SetNetworkDefaultGateway"]["set"],
              (nlohmann::json{{"gateway", "10.77.0.254"}}));
    EXPECT_EQ(byOperation["SetNetworkInterfaces"]["set"],
              (nlohmann::json{{"dhcp", false}, {"address", "10.77.1.61"}, {"prefixLength", 16}}));
    EXPECT_EQ(byOperation["SystemReboot"]["address"], "10.77.1.61");

    nlohmann::json after;
    ASSERT_TRUE(WaitUntil(
        [&] {
            after = nlohmann::json::parse(NpmNetwork("10.77.1.61 admin admin"), nullptr, false);
            return after.is_object() && !after.contains("error");
        },
        15s))
        << after;
    const nlohmann::json& eth = after["interfaces"][0];
    EXPECT_EQ(eth["info"]["hwAddress"], sim::SimDevice::generated(0).mac);
    EXPECT_EQ(eth["IPv4"]["config"]["manual"]["address"], "10.77.1.61");
    EXPECT_EQ(after["gateway"]["IPv4Address"], "10.77.0.254");
}
