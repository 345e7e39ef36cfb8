// Third-party ONVIF clients against the simulated cameras of `ondrel-sim --onvif-quirks`, played
// in LAN A of `scripts/netlab --two-lans` (onvif-util turns the multicast loop off, so the
// cameras cannot sit beside it): Debian's onvif-util and the npm onvif package each list every
// camera with the name and address expected of that client and reads one camera's network
// through its device service, and onvif-util changes that camera's address. A client that is
// not installed skips its test and says so.

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

class OnvifPeers : public ::testing::Test {
protected:
    void SetUp() override {
        ONDREL_REQUIRE_LAB();
        const char* lanA = std::getenv("ONDREL_LAB_A_NETNS");
        ASSERT_NE(lanA, nullptr) << "run under scripts/netlab --two-lans";
        // LAN A holds the cameras' addresses, so that a client that asks a camera something
        // (onvif-util asks each one found for its host name) is refused at once instead of
        // waiting for a host that never answers.
        for (const char* range : {"10.77.1.0/24", "169.254.0.0/16"}) {
            const std::string route = std::string("nsenter --net=") + lanA +
                                      " ip route replace local " + range + " dev lo 2>&1";
            ASSERT_EQ(Shell(route), "") << route;
        }
        m_sim.EnterNetwork(lanA);
        ASSERT_EQ(m_sim.Start({"--devices", std::to_string(kCameras), "--onvif-quirks"}), "");
        // Let the Hellos pass: a client is to find the cameras by its own probe.
        std::this_thread::sleep_for(600ms);
    }

    LabSim m_sim;
};

} // namespace

// onvif-util prints "ADDRESS (NAME HARDWARE)" for each camera: the address of the first XAddr
// whatever it is, and the scopes split at spaces alone, so a camera that spreads them over lines
// shows its name followed by the rest of its scopes.
TEST_F(OnvifPeers, OnvifUtilListsEveryCamera) {
    if (!Installed("onvif-util")) {
        GTEST_SKIP() << "onvif-util (Debian's onvif-tools) is not installed";
    }
    const std::string out = Shell("timeout 60 onvif-util -a 2>&1");
    EXPECT_NE(out.find("Found " + std::to_string(kCameras) + " cameras"), std::string::npos) << out;
    std::map<std::string, std::string> listed; // address -> what stands in the parentheses
    const std::regex entry(R"((?:^|\n)(\d+\.\d+\.\d+\.\d+) \(([^)]*)\))");
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
    std::map<std::string, nlohmann::json> byOperation; // the last request of each
    for (const nlohmann::json& e : m_sim.LogOfKind("http")) {
        if (e.contains("operation")) {
            byOperation[e["operation"].get<std::string>()] = e;
        }
    }
    EXPECT_EQ(byOperation["SetNetworkInterfaces"]["set"],
              (nlohmann::json{{"dhcp", false}, {"address", "10.77.1.50"}, {"prefixLength", 16}}));
    EXPECT_EQ(byOperation["SystemReboot"]["address"], "10.77.1.50");
}

// tests/peers/discover.js prints what the package read of each answer: the name scope
// percent-decoded and the first IPv4 XAddr that is not link-local.
TEST_F(OnvifPeers, NpmOnvifListsEveryCamera) {
    const std::string peers = ONDREL_PEERS_DIR;
    if (!Installed("node") ||
        Shell("test -d " + peers + "/node_modules/onvif && echo yes") != "yes\n") {
        GTEST_SKIP() << "node or the npm onvif package (scripts/install-deps puts it in " << peers
                     << "/node_modules) is not installed";
    }
    const std::string out = Shell("cd " + peers + " && timeout 60 node discover.js 2000 2>&1");
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
    const std::string peers = ONDREL_PEERS_DIR;
    if (!Installed("node") ||
        Shell("test -d " + peers + "/node_modules/onvif && echo yes") != "yes\n") {
        GTEST_SKIP() << "node or the npm onvif package is not installed";
    }
    const std::string out =
        Shell("cd " + peers + " && timeout 30 node network.js 10.77.1.1 admin admin 2>&1");
    const nlohmann::json read = nlohmann::json::parse(out, nullptr, false);
    ASSERT_FALSE(read.is_discarded()) << out;
    const nlohmann::json& eth = read["interfaces"][0];
    EXPECT_EQ(eth["$"]["token"], "eth0") << out;
    EXPECT_EQ(eth["info"]["hwAddress"], sim::SimDevice::generated(0).mac) << out;
    EXPECT_EQ(eth["IPv4"]["config"]["manual"]["address"], "10.77.1.1") << out;
    EXPECT_EQ(eth["IPv4"]["config"]["manual"]["prefixLength"], 16) << out;
    EXPECT_EQ(read["gateway"]["IPv4Address"], "10.77.0.1") << out;
}
