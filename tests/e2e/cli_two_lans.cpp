// ondrel-cli on a PC with two adapters (scripts/netlab --two-lans): eOffice on LAN A with the
// default route, eCam on LAN B, a camera switch. Each LAN runs a simulator of its own. The CLI
// lists the devices of both with the adapter each answered on, restricts itself to the
// adapters named by --interface, and sends a set request, which carries the password, into the
// camera's LAN only. The simulators' logs are the witnesses.

#include "TwoLanDevices.h"
#include "cli_lab.h"

#include <cstdlib>
#include <map>

using namespace ondrel;
using namespace ondrel::lab;

namespace {

using Json = nlohmann::json;

// LAN A: three devices, the first on the office adapter's subnet 10.77.0.0/24.
// Passwords of their own, so that the logs show which LAN heard one; no gateway on LAN B.
std::vector<sim::SimDevice> Office() {
    std::vector<sim::SimDevice> d = OfficeDevices();
    for (std::size_t i = 0; i < d.size(); ++i) {
        d[i].password = "office-" + std::to_string(i);
    }
    return d;
}

std::vector<sim::SimDevice> Cameras() {
    std::vector<sim::SimDevice> d = LanBCameras();
    for (std::size_t i = 0; i < d.size(); ++i) {
        d[i].gateway = "";
        d[i].password = "camera-" + std::to_string(i);
    }
    return d;
}

class CliTwoLans : public ::testing::Test {
protected:
    void SetUp() override {
        ONDREL_REQUIRE_LAB();
        const char* topology = std::getenv("ONDREL_LAB_TOPOLOGY");
        ASSERT_TRUE(topology != nullptr && std::string_view(topology) == "two-lans")
            << "run under scripts/netlab --two-lans";
        StartLan(lanA, "ONDREL_LAB_A_NETNS", office);
        StartLan(lanB, "ONDREL_LAB_B_NETNS", cameras);
    }

    // A search from every adapter that, once logged on both LANs, shows that everything sent
    // before it has been logged too: each LAN's datagrams arrive in order. Returns the
    // searches each LAN got before it.
    std::pair<std::size_t, std::size_t> SearchesBeforeMarker() {
        const std::size_t a = lanA.LogOfKind("search").size();
        const std::size_t b = lanB.LogOfKind("search").size();
        const CliRun marker = RunCli({"search", "--wait", "0"});
        EXPECT_EQ(marker.exitCode, 0) << marker;
        EXPECT_EQ(lanA.WaitForLog("search", a + 1).size(), a + 1);
        EXPECT_EQ(lanB.WaitForLog("search", b + 1).size(), b + 1);
        return {a, b};
    }

    std::vector<sim::SimDevice> office = Office();
    std::vector<sim::SimDevice> cameras = Cameras();
    LabSim lanA;
    LabSim lanB;
};

} // namespace

TEST_F(CliTwoLans, SearchListsBothLansWithTheirAdapters) {
    const CliRun run = RunCli({"search", "--wait", "0.8", "--format", "json"});
    ASSERT_EQ(run.exitCode, 0) << run;
    EXPECT_EQ(run.err, "");
    // Mac: adapter and whether the device's IP lies in that adapter's subnet.
    const std::map<std::string, std::pair<std::string, bool>> want = {
        {office[0].mac, {"eOffice", true}},  {office[1].mac, {"eOffice", false}},
        {office[2].mac, {"eOffice", false}}, {cameras[0].mac, {"eCam", true}},
        {cameras[1].mac, {"eCam", false}},
    };
    std::map<std::string, std::pair<std::string, bool>> got;
    for (const Json& d : Json::parse(run.out)) {
        got[d.at("Mac").get<std::string>()] = {d.at("Adapter").get<std::string>(),
                                               d.at("SameSubnet").get<bool>()};
    }
    EXPECT_EQ(got, want) << run.out;

    const CliRun table = RunCli({"search", "--wait", "0.8"});
    ASSERT_EQ(table.exitCode, 0) << table;
    EXPECT_NE(table.out.find("5 devices"), std::string::npos) << table.out;
    EXPECT_NE(table.out.find(" eCam "), std::string::npos) << table.out;
}

TEST_F(CliTwoLans, SetForACameraOnLanBReachesLanBOnly) {
    const sim::SimDevice& camera = cameras[1];
    const CliRun run = RunCli({"set", "--mac", camera.mac, "--ip", "192.168.1.65", "--yes",
                               "--password-stdin", "--verify", "--restart-wait", "0.5"},
                              camera.password + "\n");
    ASSERT_EQ(run.exitCode, 0) << run;
    EXPECT_EQ(run.err, "");
    EXPECT_NE(run.out.find("Verified"), std::string::npos) << run;

    const auto sets = lanB.WaitForLog("setconfig", 1);
    ASSERT_EQ(sets.size(), 1u);
    const std::string request = LoggedText(sets[0]);
    EXPECT_NE(request.find("DevId:" + camera.devId + "\r\n"), std::string::npos) << request;
    EXPECT_NE(request.find("IP:192.168.1.65\r\n"), std::string::npos) << request;
    EXPECT_NE(request.find("pwd:" + camera.password + "\r\n"), std::string::npos);

    SearchesBeforeMarker();
    EXPECT_EQ(lanB.LogOfKind("setconfig").size(), 1u);
    for (const LabSim::Entry& e : lanA.Log()) {
        EXPECT_NE(e.value("kind", ""), "setconfig") << e.dump();
        EXPECT_EQ(LoggedText(e).find(camera.password), std::string::npos) << e.dump();
    }
}

TEST_F(CliTwoLans, InterfaceRestrictsTheSearchToItsAdapter) {
    const CliRun run =
        RunCli({"search", "--interface", "eCam", "--wait", "0.8", "--format", "json"});
    ASSERT_EQ(run.exitCode, 0) << run;
    const Json list = Json::parse(run.out);
    ASSERT_EQ(list.size(), cameras.size()) << run.out;
    for (const Json& d : list) {
        EXPECT_EQ(d.at("Adapter"), "eCam");
    }
    const auto [a, b] = SearchesBeforeMarker();
    EXPECT_EQ(a, 0u) << "LAN A got the search of --interface eCam";
    EXPECT_EQ(b, 1u);
}

TEST_F(CliTwoLans, AnUnknownInterfaceSendsNothing) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"search", "--interface", "eth9"},
          std::vector<std::string>{"url", "--mac", cameras[0].mac, "--interface", "eCam",
                                   "--interface", "eth9"},
          std::vector<std::string>{"set", "--mac", cameras[0].mac, "--password-stdin", "--yes",
                                   "--interface", "eth9"}}) {
        const CliRun run = RunCli(args, cameras[0].password + "\n");
        EXPECT_EQ(run.exitCode, 2) << run;
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("eth9"), std::string::npos) << run;
        EXPECT_NE(run.err.find("eCam"), std::string::npos) << "the message lists the adapters";
    }
    const auto [a, b] = SearchesBeforeMarker();
    EXPECT_EQ(a + b, 0u);
}

TEST_F(CliTwoLans, UrlFindsTheCameraOnWhicheverAdapterItAnswers) {
    const CliRun run = RunCli({"url", "--mac", cameras[0].mac});
    ASSERT_EQ(run.exitCode, 0) << run;
    EXPECT_EQ(run.out, "http://192.168.1.64:80\n");
}
