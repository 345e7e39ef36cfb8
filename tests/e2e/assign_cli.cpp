// ondrel-cli assign on a new site: 24 cameras out of the box at one factory address beside
// three others, and a host that holds 10.77.0.12 without being a device (scripts/netlab
// --hold). Everything is sent inside the lab.

#include "cli_lab.h"

#include <nlohmann/json.hpp>

#include <set>

using namespace ondrel;
using namespace ondrel::lab;
using Json = nlohmann::json;

namespace {

constexpr const char* kFactory = "192.168.0.64";
constexpr const char* kHeld = "10.77.0.12";

class AssignLab : public ::testing::Test {
protected:
    void SetUp() override {
        ONDREL_REQUIRE_LAB();
        ASSERT_EQ(sim.Start({"--devices", "27", "--same-ip", kFactory, "--same-ip-count", "24",
                             "--restart-ms", "300"}),
                  "");
    }

    static CliRun Assign(std::vector<std::string> extra, const std::string& password = "admin") {
        std::vector<std::string> args = {"assign",        "--current-ip", kFactory,
                                         "--first",       "10.77.0.10",   "--mask",
                                         "255.255.255.0", "--wait",       "0.5",
                                         "--format",      "json",         "--password-stdin"};
        args.insert(args.end(), extra.begin(), extra.end());
        return RunCli(args, password + "\n", {}, std::chrono::seconds(60));
    }

    LabSim sim;
};

} // namespace

TEST_F(AssignLab, ADryRunPlansByAscendingMacPassesOverTheHeldAddressAndSendsNothing) {
    const CliRun run = Assign({"--dry-run"});
    ASSERT_EQ(run.exitCode, 0) << run;
    const Json report = Json::parse(run.out);
    ASSERT_EQ(report["devices"].size(), 24u) << run;
    std::string lastMac;
    std::set<std::string> given;
    for (const Json& d : report["devices"]) {
        EXPECT_EQ(d["Result"], "planned");
        EXPECT_EQ(d["IP"], kFactory);
        EXPECT_LT(lastMac, d["Mac"].get<std::string>());
        lastMac = d["Mac"];
        given.insert(d["NewIP"].get<std::string>());
    }
    EXPECT_EQ(given.size(), 24u);
    EXPECT_EQ(given.count(kHeld), 0u);
    ASSERT_EQ(report["skipped"].size(), 1u) << run;
    EXPECT_EQ(report["skipped"][0]["IP"], kHeld);
    EXPECT_NE(report["skipped"][0]["Reason"].get<std::string>().find("in use"), std::string::npos)
        << report["skipped"][0];
    EXPECT_TRUE(sim.LogOfKind("setconfig").empty());
}

TEST_F(AssignLab, EveryCameraGetsItsOwnAddressAndIsVerified) {
    const CliRun run = Assign({"--yes", "--verify", "--restart-wait", "1"});
    ASSERT_EQ(run.exitCode, 0) << run;
    const Json report = Json::parse(run.out);
    std::set<std::string> given;
    for (const Json& d : report["devices"]) {
        EXPECT_EQ(d["Result"], "verified") << d;
        given.insert(d["NewIP"].get<std::string>());
    }
    EXPECT_EQ(given.size(), 24u);
    // The list as it is now: the 24 at their new addresses, the three others untouched.
    const CliRun after = RunCli({"search", "--wait", "0.5", "--format", "json"});
    ASSERT_EQ(after.exitCode, 0) << after;
    std::set<std::string> now;
    std::size_t untouched = 0;
    for (const Json& d : Json::parse(after.out)) {
        const std::string ip = d["IP"];
        now.insert(ip);
        untouched += ip.rfind("10.77.1.", 0) == 0 ? 1 : 0;
        EXPECT_TRUE(d["Conflict"].empty()) << d;
    }
    EXPECT_EQ(untouched, 3u);
    for (const std::string& ip : given) {
        EXPECT_EQ(now.count(ip), 1u) << ip;
    }
    EXPECT_EQ(sim.LogOfKind("setconfig").size(), 24u);
}

TEST_F(AssignLab, AWrongPasswordIsRefusedByEveryDeviceAndReported) {
    const CliRun run = Assign({"--yes"}, "wrong");
    ASSERT_EQ(run.exitCode, 3) << run;
    const Json report = Json::parse(run.out);
    ASSERT_EQ(report["devices"].size(), 24u);
    for (const Json& d : report["devices"]) {
        EXPECT_EQ(d["Result"], "refused") << d;
    }
}
