// ondrel-cli on a PC with two adapters (scripts/netlab --two-lans): eOffice on LAN A with the
// default route, eCam on LAN B, a camera switch. Each LAN runs a simulator of its own. The CLI
// lists the devices of both with the adapter each answered on, restricts itself to the
// adapters named by --interface, and sends a set request, which carries the password, into the
// camera's LAN only. The simulators' logs are the witnesses.

#include "TwoLanDevices.h"
#include "cli_lab.h"

#include <cstdlib>
#include <map>
#include <optional>
#include <set>

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

// set changes a camera found by ONVIF alone, on LAN A at an address of its own, through its
// device service, chosen by its endpoint reference: verified at its new address with the sets
// in the camera's log; a wrong password is refused; a camera that forgets its gateway is not
// verified, naming the gateway.
class CliOnvifSet : public ::testing::Test {
protected:
    void SetUp() override {
        ONDREL_REQUIRE_LAB();
        const char* lan = std::getenv("ONDREL_LAB_A_NETNS");
        ASSERT_NE(lan, nullptr) << "run under scripts/netlab --two-lans";
        // The cameras' addresses, old and new (and the gateway given), belong to LAN A; the
        // PC's 10.77.0.1 does not.
        const std::string route =
            std::string("nsenter --net=") + lan + " ip route replace local 10.77.0.128/26 dev lo";
        ASSERT_EQ(std::system(route.c_str()), 0) << route;
        camera.restartMs = 300;
        sim.EnterNetwork(lan);
    }

    void Start(std::vector<std::string> flags) {
        flags.insert(flags.end(), {"--onvif-only", "--onvif-own-macs", "--config",
                                   sim.WriteConfig(Json::array({DeviceJson(camera)}))});
        ASSERT_EQ(sim.Start(flags), "");
    }

    // The camera's report row's Result, after set with the password given.
    std::pair<CliRun, std::string> Set(const std::string& password) {
        CliRun run =
            RunCli({"set", "--endpoint", EndpointOf(camera), "--ip", "10.77.0.150", "--mask",
                    "255.255.255.0", "--gateway", "10.77.0.129", "--password-stdin", "--yes",
                    "--verify", "--restart-wait", "1", "--wait", "1.5", "--format", "json"},
                   password + "\n");
        const Json report = Json::parse(run.out, nullptr, false);
        std::string result =
            report.is_object() ? report.at("devices").at(0).value("Result", "") : "";
        return {std::move(run), std::move(result)};
    }

    sim::SimDevice camera = [] {
        sim::SimDevice d = sim::SimDevice::generated(100);
        d.mac = "02:CA:00:00:00:01";
        d.ip = "10.77.0.130";
        return d;
    }();
    LabSim sim;
};

TEST_F(CliOnvifSet, VerifiedAtItsNewAddressOrRefusedForAWrongPassword) {
    Start({});
    const auto [wrong, refused] = Set("not-the-password");
    EXPECT_EQ(wrong.exitCode, 3) << wrong;
    EXPECT_EQ(refused, "refused") << wrong;

    const auto [run, result] = Set(camera.password);
    EXPECT_EQ(run.exitCode, 0) << run;
    EXPECT_EQ(result, "verified") << run;
    std::vector<std::string> sets;
    for (const LabSim::Entry& e : sim.LogOfKind("http")) {
        if (e.contains("set")) {
            sets.push_back(e.value("operation", ""));
        }
    }
    EXPECT_EQ(sets, (std::vector<std::string>{"SetNetworkDefaultGateway", "SetNetworkInterfaces"}));
}

// A camera that takes a new port, and then a new address, the moment it answers their Set is
// followed to each in turn, and verified where it ends up; one that takes them at its restart
// is verified there too.
TEST_F(CliOnvifSet, ANewPortAndAddressAreFollowedWhenTheCameraTakesThemAtOnce) {
    for (const bool atOnce : {true, false}) {
        SCOPED_TRACE(atOnce ? "at once" : "at its restart");
        LabSim lab;
        lab.EnterNetwork(std::getenv("ONDREL_LAB_A_NETNS"));
        std::vector<std::string> flags = {"--onvif-only", "--onvif-own-macs", "--config",
                                          lab.WriteConfig(Json::array({DeviceJson(camera)}))};
        if (atOnce) {
            flags.push_back("--onvif-at-once");
        }
        ASSERT_EQ(lab.Start(flags), "");
        const CliRun run = RunCli({"set", "--endpoint", EndpointOf(camera), "--ip", "10.77.0.150",
                                   "--mask", "255.255.255.0", "--port", "8080", "--password-stdin",
                                   "--yes", "--verify", "--restart-wait", "1", "--wait", "1.5"},
                                  camera.password + "\n");
        EXPECT_EQ(run.exitCode, 0) << run;
        EXPECT_NE(run.out.find("Verified"), std::string::npos) << run;
        // The read-back is the last call: at the new address and port.
        const std::vector<LabSim::Entry> calls = lab.LogOfKind("http");
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls.back().value("to", ""), "10.77.0.150");
        EXPECT_EQ(calls.back().value("port", 0), 8080);
        EXPECT_EQ(calls.back().value("operation", ""), "GetNetworkInterfaces");
    }
}

TEST_F(CliOnvifSet, AForgottenGatewayIsNotVerified) {
    Start({"--onvif-forget-gateway"});
    const auto [run, result] = Set(camera.password);
    EXPECT_EQ(run.exitCode, 5) << run;
    EXPECT_EQ(result, "not verified") << run;
    EXPECT_NE(run.err.find("gateway"), std::string::npos) << run;
}

// The LAN in netns answers for these addresses itself: one simulator plays many cameras.
void AnswerLocally(const char* netns, std::initializer_list<const char*> subnets) {
    for (const char* subnet : subnets) {
        const std::string route =
            std::string("nsenter --net=") + netns + " ip route replace local " + subnet + " dev lo";
        ASSERT_EQ(std::system(route.c_str()), 0) << route;
    }
}

// A mixed site on LAN A, given addresses in one assign: two devices of ours at one factory
// address that answer WS-Discovery too (our datagram carries their change) and two cameras
// found by ONVIF alone at addresses of their own (each through its device service). The new
// subnet lies beyond the adapter's, so nothing is probed; LAN A answers for the cameras' old
// and new addresses by local routes. A wrong password is refused device by device and the
// batch goes on; the right one verifies every device; the same run again changes nothing.
TEST(CliMixedSite, OneAssignAddressesEveryDeviceByItsOwnProtocol) {
    ONDREL_REQUIRE_LAB();
    const char* lan = std::getenv("ONDREL_LAB_A_NETNS");
    ASSERT_NE(lan, nullptr) << "run under scripts/netlab --two-lans";
    ASSERT_NO_FATAL_FAILURE(AnswerLocally(lan, {"10.77.0.128/26", "10.78.0.0/24"}));
    // Each site: our devices beside the cameras or not, how the cameras name their MAC, and
    // the protocol asked. Cameras that name no MAC are known by their endpoint reference: a
    // re-run leaves them where they are, and a dry run gives each the address the run gives.
    const struct Site {
        const char* name;
        bool ours;
        const char* macScope;
        std::vector<std::string> protocol;
    } sites[] = {
        // The cameras' MAC scope as many makers write it: onvif://www.onvif.org/MAC/, lower case.
        {"a mixed site", true, "MAC", {}},
        {"cameras without a MAC over ONVIF", false, "none", {"--protocol", "onvif"}},
    };
    for (const Site& site : sites) {
        SCOPED_TRACE(site.name);
        Json ours = Json::array();
        Json theirs = Json::array();
        std::vector<sim::SimDevice> cameras;
        for (std::size_t i = site.ours ? 0 : 2; i < (site.ours ? 4u : 6u); ++i) {
            sim::SimDevice d = i < 2 ? sim::SimDevice::factoryDefault(i, "192.168.0.64")
                                     : sim::SimDevice::generated(200 + i);
            d.password = "site-pass";
            d.restartMs = 300;
            if (i >= 2) {
                d.mac = "02:CA:00:00:00:0" + std::to_string(i);
                d.ip = "10.77.0.1" + std::to_string(28 + i);
                d.httpPort = 8080; // the other simulator serves port 80
                cameras.push_back(d);
            }
            (i < 2 ? ours : theirs).push_back(DeviceJson(d));
        }
        LabSim both;
        LabSim onvifOnly;
        both.EnterNetwork(lan);
        onvifOnly.EnterNetwork(lan);
        if (site.ours) {
            ASSERT_EQ(
                both.Start({"--onvif", "--onvif-own-macs", "--config", both.WriteConfig(ours)}),
                "");
        }
        ASSERT_EQ(onvifOnly.Start({"--onvif-only", "--onvif-own-macs", "--onvif-mac-scope",
                                   site.macScope, "--config", onvifOnly.WriteConfig(theirs)}),
                  "");

        // Protocol and result, and the new address, by MAC or, without one, endpoint reference.
        const auto assign = [&site](const std::string& password, bool dryRun = false) {
            std::vector<std::string> args = {
                "assign",    "--all",          "--interface", "eOffice",
                "--first",   "10.78.0.10",     "--mask",      "255.255.255.0",
                "--gateway", "10.78.0.1",      "--yes",       "--password-stdin",
                "--verify",  "--restart-wait", "1",           "--wait",
                "1.5",       "--format",       "json"};
            args.insert(args.end(), site.protocol.begin(), site.protocol.end());
            if (dryRun) {
                args.push_back("--dry-run");
            }
            CliRun run = RunCli(args, password + "\n", {}, std::chrono::seconds(60));
            std::map<std::string, std::string> results;
            std::map<std::string, std::string> newIps;
            const Json report = Json::parse(run.out, nullptr, false);
            if (report.is_object()) {
                for (const Json& d : report.at("devices")) {
                    std::string who = d.at("Mac").get<std::string>();
                    who = who.empty() ? d.at("Endpoint").get<std::string>() : who;
                    results[who] = d.at("Protocol").get<std::string>() + " " +
                                   d.at("Result").get<std::string>();
                    newIps[who] = d.at("NewIP").get<std::string>();
                }
            }
            const bool changed = report.is_object() && report.at("changed").get<bool>();
            return std::tuple(std::move(run), std::move(results), changed, std::move(newIps));
        };
        const auto want = [&](const std::string& result) {
            std::map<std::string, std::string> out;
            for (const Json& d : ours) {
                out[d.at("mac").get<std::string>()] = "native+onvif " + result;
            }
            for (const sim::SimDevice& c : cameras) {
                out[std::string(site.macScope) == "none" ? EndpointOf(c) : c.mac] =
                    "onvif " + result;
            }
            return out;
        };

        const auto [wrong, refused, _, _ips] = assign("not-the-password");
        EXPECT_EQ(wrong.exitCode, 3) << wrong;
        EXPECT_EQ(refused, want("refused")) << wrong;
        EXPECT_NE(wrong.err.find("The camera refused the account: wrong password, or an account "
                                 "without the right to change settings."),
                  std::string::npos)
            << wrong;

        const auto [dry, _planned, _changed, planned] = assign("site-pass", true);
        EXPECT_EQ(dry.exitCode, 0) << dry;
        const auto [run, verified, changed, given] = assign("site-pass");
        EXPECT_EQ(run.exitCode, 0) << run;
        EXPECT_EQ(verified, want("verified")) << run;
        EXPECT_TRUE(changed);
        EXPECT_EQ(planned, given) << dry << run;

        const auto [again, unchanged, changedAgain, kept] = assign("site-pass");
        EXPECT_EQ(again.exitCode, 0) << again;
        EXPECT_EQ(unchanged, want("unchanged")) << again;
        EXPECT_FALSE(changedAgain) << again;
        EXPECT_EQ(kept, given) << again;
    }
}

// Three cameras out of the box at one address on the camera switch, changed over ONVIF: HTTP
// there would reach only one of them, so each is reached at the link-local address of its own
// it advertises and verified at its new one; without such an address each fails, saying why,
// and nothing is set.
TEST(CliSharedAddress, EachCameraByAnAddressOfItsOwnOrNone) {
    ONDREL_REQUIRE_LAB();
    const char* lan = std::getenv("ONDREL_LAB_B_NETNS");
    ASSERT_NE(lan, nullptr) << "run under scripts/netlab --two-lans";
    ASSERT_NO_FATAL_FAILURE(
        AnswerLocally(lan, {"192.168.1.64/32", "169.254.0.0/16", "10.79.0.0/24"}));
    for (const bool linkLocal : {false, true}) {
        SCOPED_TRACE(linkLocal ? "with link-local addresses" : "without");
        LabSim sim;
        sim.EnterNetwork(lan);
        std::vector<std::string> flags = {"--devices",        "3",         "--onvif-only",
                                          "--onvif-own-macs", "--same-ip", "192.168.1.64",
                                          "--restart-ms",     "300"};
        if (linkLocal) {
            flags.push_back("--onvif-link-local");
        }
        ASSERT_EQ(sim.Start(flags), "");
        // One camera at a time, set reaches it by the same rule: refused, again and again,
        // whichever of the three answers the search first.
        for (int i = 0; i < (linkLocal ? 0 : 5); ++i) {
            const CliRun set = RunCli(
                {"set", "--endpoint",
                 EndpointOf(sim::SimDevice::factoryDefault(i % 3, "192.168.1.64")), "--protocol",
                 "onvif", "--interface", "eCam", "--ip", "10.79.0.10", "--mask", "255.255.255.0",
                 "--yes", "--password-stdin", "--verify", "--restart-wait", "1", "--wait", "1.5"},
                sim::SimDevice::generated(0).password + "\n");
            EXPECT_EQ(set.exitCode, 2) << set;
            EXPECT_NE(set.err.find("shares its address with 2 others: connect it alone"),
                      std::string::npos)
                << set;
        }
        const CliRun run =
            RunCli({"assign",      "--all",
                    "--protocol",  "onvif",
                    "--interface", "eCam",
                    "--first",     "10.79.0.10",
                    "--mask",      "255.255.255.0",
                    "--gateway",   "10.79.0.1",
                    "--yes",       "--password-stdin",
                    "--verify",    "--restart-wait",
                    "1",           "--wait",
                    "1.5",         "--format",
                    "json"},
                   sim::SimDevice::generated(0).password + "\n", {}, std::chrono::seconds(60));
        EXPECT_EQ(run.exitCode, linkLocal ? 0 : 1) << run;
        const Json report = Json::parse(run.out, nullptr, false);
        ASSERT_TRUE(report.is_object()) << run;
        ASSERT_EQ(report.at("devices").size(), 3u) << run;
        for (const Json& d : report.at("devices")) {
            EXPECT_EQ(d.at("Result"), linkLocal ? "verified"
                                                : "failed: shares its address with 2 others: "
                                                  "connect it alone")
                << run;
        }
        for (const LabSim::Entry& e : sim.LogOfKind("http")) {
            EXPECT_TRUE(linkLocal) << "a camera sharing its address was called: " << e.dump();
        }
    }
}

// search --details against six cameras on LAN A, each written as a maker writes it (a clock
// ahead or behind, time zones in three spellings, time servers by hand or from DHCP). A wrong
// password reaches three cameras at most, the others not asked; the right one reads every key
// as the camera reports it; none reads what cameras tell anyone.
class CliOnvifDetails : public ::testing::Test {
protected:
    struct Layout {
        const char* manufacturer;
        const char* model;
        const char* firmware;
        const char* timeZone;
        const char* ntp;
        int clockOffset;
        const char* timeSource; // as search reports it
    };
    static constexpr Layout kLayouts[] = {
        {"HIKVISION", "DS-2CD2043G2-I", "V5.5.0 build 170725", "CST-8:00:00", "", 0, "manual"},
        {"Dahua", "IPC-HFW2431S", "2.800.0000000.16.R", "GMT+08:00", "dhcp", 180, "ntp"},
        {"AXIS", "M3045-V", "9.80.1", "CET-1CEST,M3.5.0,M10.5.0/3", "pool.ntp.org 10.77.0.129",
         -7500, "ntp"},
    };

    void SetUp() override {
        ONDREL_REQUIRE_LAB();
        const char* lan = std::getenv("ONDREL_LAB_A_NETNS");
        ASSERT_NE(lan, nullptr) << "run under scripts/netlab --two-lans";
        AnswerLocally(lan, {"10.77.0.128/26"});
        sim.EnterNetwork(lan);
        Json list = Json::array();
        for (std::size_t i = 0; i < 6; ++i) {
            sim::SimDevice d = sim::SimDevice::generated(110 + i);
            d.mac = "02:CA:00:00:01:0" + std::to_string(i);
            d.ip = "10.77.0." + std::to_string(140 + i);
            d.mask = "255.255.255.192";
            d.gateway = "10.77.0.129";
            Json camera = DeviceJson(d);
            const Layout& l = kLayouts[i % 3];
            camera.update({{"manufacturer", l.manufacturer},
                           {"model", l.model},
                           {"firmware", l.firmware},
                           {"serial", "SN-" + std::to_string(i)},
                           {"hostname", "cam-" + std::to_string(i)},
                           {"clockOffset", l.clockOffset},
                           {"timeZone", l.timeZone},
                           {"ntp", l.ntp}});
            cameras.push_back(camera);
        }
        ASSERT_EQ(
            sim.Start({"--onvif-only", "--onvif-own-macs", "--config", sim.WriteConfig(cameras)}),
            "");
    }

    // The cameras (by index) that saw a request with an account since `from` log entries.
    std::set<int> Authenticated(std::size_t from) const {
        std::set<int> seen;
        const std::vector<LabSim::Entry> log = sim.LogOfKind("http");
        for (std::size_t i = from; i < log.size(); ++i) {
            if (log[i].value("authenticated", false)) {
                seen.insert(log[i].value("index", -1));
            }
        }
        return seen;
    }

    Json cameras = Json::array();
    LabSim sim;
};

TEST_F(CliOnvifDetails, TheAccountFirstThenEveryKeyAsTheCameraReportsIt) {
    const std::vector<std::string> keys = {"Manufacturer", "Model",    "Firmware",    "Serial",
                                           "HardwareId",   "Hostname", "ClockOffset", "TimeZone",
                                           "TimeSource",   "Ntp",      "Details"};
    const struct {
        const char* name;
        std::optional<std::string> password;
        int exitCode;
        std::size_t mostAuthenticated;
    } rows[] = {
        {"a wrong password", "not-the-password", 3, 3},
        {"the right password", sim::SimDevice::generated(110).password, 0, 6},
        {"no password", std::nullopt, 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::size_t before = sim.LogOfKind("http").size();
        std::vector<std::string> args = {"search", "--protocol", "onvif",    "--wait",
                                         "1.5",    "--details",  "--format", "json"};
        if (row.password) {
            args.push_back("--password-stdin");
        }
        const CliRun run = RunCli(args, row.password.value_or("") + "\n");
        ASSERT_EQ(run.exitCode, row.exitCode) << run;
        const std::set<int> authenticated = Authenticated(before);
        EXPECT_LE(authenticated.size(), row.mostAuthenticated) << run;
        // Ordered: the keys' order is part of what is checked.
        const nlohmann::ordered_json list = nlohmann::ordered_json::parse(run.out, nullptr, false);
        ASSERT_TRUE(list.is_array() && list.size() == 6) << run;
        std::size_t notAsked = 0;
        for (const nlohmann::ordered_json& d : list) {
            std::vector<std::string> last;
            for (auto it = std::prev(d.end(), static_cast<long>(keys.size())); it != d.end();
                 ++it) {
                last.push_back(it.key());
            }
            EXPECT_EQ(last, keys) << d.dump();
            const std::size_t i = std::stoul(d.at("Mac").get<std::string>().substr(16));
            const Json& camera = cameras[i];
            const Layout& l = kLayouts[i % 3];
            const std::string details = d.at("Details");
            notAsked += details == "not asked" ? 1 : 0;
            if (!row.password) {
                EXPECT_TRUE(details.starts_with("partial: ")) << details;
                EXPECT_EQ(d.at("Hostname"), camera.at("hostname"));
                EXPECT_EQ(d.at("Model"), "");
            } else if (row.exitCode == 0) {
                EXPECT_EQ(details, "read") << d.dump();
                EXPECT_EQ(std::tuple(d.at("Manufacturer"), d.at("Model"), d.at("Firmware"),
                                     d.at("Serial"), d.at("Hostname"), d.at("TimeZone"),
                                     d.at("TimeSource"), d.at("Ntp")),
                          std::tuple(l.manufacturer, l.model, l.firmware, camera.at("serial"),
                                     camera.at("hostname"), l.timeZone, l.timeSource, l.ntp))
                    << d.dump();
                EXPECT_EQ(std::tuple(d.at("NetMask"), d.at("GateWay"), d.at("Mode")),
                          std::tuple("255.255.255.192", "10.77.0.129",
                                     camera.at("dhcp").get<bool>() ? "dhcp" : "static"))
                    << "found by ONVIF alone, its network now read";
            } else {
                EXPECT_TRUE(details == "refused" || details == "not asked") << details;
                EXPECT_FALSE(authenticated.contains(static_cast<int>(i)) && details == "not asked");
            }
            if (details != "not asked") {
                ASSERT_TRUE(d.at("ClockOffset").is_number()) << d.dump();
                EXPECT_NEAR(d.at("ClockOffset").get<double>(), l.clockOffset, 2) << d.dump();
            }
        }
        if (row.exitCode == 3) {
            EXPECT_EQ(notAsked, 3u) << run;
            EXPECT_NE(run.err.find("the account was refused by 3 cameras in a row; the others "
                                   "were not asked"),
                      std::string::npos)
                << run;
        }
    }
}
