// ondrel-cli set against simulated devices that accept, refuse or stay silent, with and
// without --verify; the bytes that reach the device; the password kept out of every output;
// and settings a device has already, which set and assign leave unsent.

#include "cli_lab.h"

using namespace ondrel;
using namespace ondrel::lab;

namespace {

using Json = nlohmann::json;

std::string Text(const LabSim::Entry& entry) {
    const std::vector<uint8_t> bytes = FromHex(entry.at("hex").get<std::string>());
    return std::string(bytes.begin(), bytes.end());
}

} // namespace

class CliSet : public CliLab {
protected:
    // Runs set for device i with its own password on standard input and --yes.
    CliRun Set(std::size_t i, std::vector<std::string> extra) {
        std::vector<std::string> args = {"set", "--mac", devices[i].mac, "--password-stdin",
                                         "--yes"};
        args.insert(args.end(), extra.begin(), extra.end());
        return Checked(RunCli(args, Password(devices[i])));
    }

    // Nothing the CLI printed may contain any device's password.
    CliRun Checked(const CliRun& run) {
        for (const sim::SimDevice& d : devices) {
            EXPECT_EQ(run.out.find(d.password), std::string::npos) << run;
            EXPECT_EQ(run.err.find(d.password), std::string::npos) << run;
        }
        return run;
    }

    // The device's present record, from a fresh search.
    Json Current(std::size_t i) {
        const CliRun run = RunCli({"search", "--wait", "0.4", "--format", "json"});
        EXPECT_EQ(run.exitCode, 0) << run;
        for (const Json& d : Json::parse(run.out)) {
            if (d.at("DevId") == devices[i].devId) {
                return d;
            }
        }
        return nullptr;
    }
};

TEST_F(CliSet, AcceptedChangesTheDevice) {
    StartSim();
    const CliRun run = Set(0, {"--ip", "10.77.0.41", "--port", "8081", "--dns", "10.77.0.9"});
    ASSERT_EQ(run.exitCode, 0) << run;
    EXPECT_EQ(run.out, "Device information successfully updated!\n");
    EXPECT_EQ(run.err, "");
    const auto sets = sim.WaitForLog("setconfig", 1);
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(sets[0]["devices"][0]["result"], "accepted") << sets[0].dump();

    std::this_thread::sleep_for(std::chrono::milliseconds(devices[0].restartMs + 100));
    const Json now = Current(0);
    ASSERT_FALSE(now.is_null());
    EXPECT_EQ(now["IP"], "10.77.0.41");
    EXPECT_EQ(now["HttpPort"], 8081);
    EXPECT_EQ(now["DNS0"], "10.77.0.9");
    EXPECT_EQ(now["NetMask"], devices[0].mask) << "what was not given stays the device's own";
    EXPECT_EQ(now["GateWay"], devices[0].gateway);
    EXPECT_EQ(now["IPMode"], 0);
    EXPECT_EQ(now["Mode"], "static");
}

TEST_F(CliSet, ExactBytesOfADhcpRequest) {
    StartSim();
    const CliRun run = Checked(
        RunCli({"set", "--mac", devices[0].mac, "--dhcp", "--password-env", "CAM_PW", "--yes"}, "",
               {"CAM_PW=" + devices[0].password}));
    ASSERT_EQ(run.exitCode, 0) << run;
    const auto sets = sim.WaitForLog("setconfig", 1);
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(Text(sets[0]),
              "IPCamSetNetConfig\r\nVersion:1\r\nnSeq:1\r\nDevId:" + devices[0].devId +
                  "\r\nIPMethod:0\r\nIP:10.77.0.21\r\nPort:80\r\n"
                  "NetMask:255.255.255.0\r\nGateWay:10.77.0.1\r\nDNS0:10.77.0.2\r\n"
                  "DNS1:10.77.0.3\r\nusr:admin\r\npwd:" +
                  devices[0].password + "\r\nSetWiFiIP:0\r\n\r\n");
    EXPECT_EQ(sets[0]["from"], "10.77.0.1:9003");
    // Sent as IPMethod 0, reported back as dhcp: the meaning never flips.
    std::this_thread::sleep_for(std::chrono::milliseconds(devices[0].restartMs + 100));
    const Json now = Current(0);
    ASSERT_FALSE(now.is_null());
    EXPECT_EQ(now["Mode"], "dhcp");
    EXPECT_EQ(now["IPMode"], 1);
}

TEST_F(CliSet, RefusedByAccountOrByTheDevice) {
    StartSim();
    const CliRun wrong = Checked(
        RunCli({"set", "--mac", devices[0].mac, "--port", "81", "--password-stdin", "--yes"},
               Password(devices[1])));
    EXPECT_EQ(wrong.exitCode, 3) << wrong;
    EXPECT_EQ(wrong.out, "");
    EXPECT_NE(wrong.err.find("The viewing account or password is wrong!"), std::string::npos);

    const CliRun refused = Set(1, {"--port", "81"});
    EXPECT_EQ(refused.exitCode, 3) << refused;

    const CliRun otherUser = Set(0, {"--port", "81", "--user", "viewer"});
    EXPECT_EQ(otherUser.exitCode, 3) << otherUser;

    EXPECT_EQ(sim.WaitForLog("setconfig", 3).size(), 3u);
    const Json lobby = Current(0);
    EXPECT_EQ(lobby["HttpPort"], 80) << "a refused change leaves the device as it was";
}

TEST_F(CliSet, SilentDeviceIsNoAnswer) {
    StartSim();
    const auto started = std::chrono::steady_clock::now();
    const CliRun run = Set(2, {"--port", "81", "--answer-wait", "0.3"});
    EXPECT_EQ(run.exitCode, 4) << run;
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("No answer"), std::string::npos) << run;
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(3))
        << "the answer wait must follow --answer-wait";
    EXPECT_EQ(sim.WaitForLog("setconfig", 1).size(), 1u);
}

TEST_F(CliSet, VerifyPassesWhenTheDeviceTookTheSettings) {
    StartSim();
    const CliRun run = Set(0, {"--static", "--ip", "10.77.0.42", "--gateway", "0.0.0.0", "--verify",
                               "--restart-wait", "0.4", "--wait", "2"});
    ASSERT_EQ(run.exitCode, 0) << run;
    EXPECT_EQ(run.out, "Device information successfully updated! Verified: the device reports "
                       "the settings sent.\n");
    EXPECT_EQ(run.err, "");
    // The verifying search came after the restart, and found the device changed.
    const auto searches = sim.WaitForLog("search", 2);
    ASSERT_EQ(searches.size(), 2u);
    EXPECT_EQ(searches[1]["restarting"], 0);
}

TEST_F(CliSet, VerifyFailsWhenTheDeviceIsNotBackInTime) {
    StartSim();
    const CliRun run =
        Set(4, {"--port", "81", "--verify", "--restart-wait", "0.2", "--wait", "0.4"});
    EXPECT_EQ(run.exitCode, 5) << run;
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("did not answer"), std::string::npos) << run;
}

TEST_F(CliSet, VerifyOfASilentDeviceShowsWhatDiffers) {
    StartSim();
    const CliRun run = Set(2, {"--port", "81", "--verify", "--answer-wait", "0.2", "--restart-wait",
                               "0.1", "--wait", "0.4"});
    EXPECT_EQ(run.exitCode, 4) << run;
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("HttpPort: sent 81, the device reports 80"), std::string::npos) << run;
}

TEST_F(CliSet, SettingsTheDeviceHasAlreadyAreNotSent) {
    StartSim();
    const CliRun same = Set(0, {"--ip", devices[0].ip, "--port", "80"});
    ASSERT_EQ(same.exitCode, 0) << same;
    EXPECT_EQ(same.out, "The device reports these settings already: nothing was sent.\n");
    // A dry run reads no password.
    const CliRun dry = Checked(
        RunCli({"set", "--mac", devices[0].mac, "--port", "81", "--dry-run", "--format", "csv"}));
    ASSERT_EQ(dry.exitCode, 0) << dry;
    EXPECT_NE(dry.out.find(",10.77.0.21,10.77.0.21,planned\n"), std::string::npos) << dry;
    EXPECT_EQ(Count(LogBeforeMarker(), "setconfig"), 0u);
}

TEST_F(CliSet, AnAssignRunAgainSendsNothing) {
    StartSim();
    // The lobby holds the range's first address already; the other gets the next.
    std::vector<std::string> assign = {"assign", "--mac", devices[0].mac, "--mac", devices[5].mac};
    for (const char* arg :
         {"--first", "10.77.0.21", "--mask", "255.255.255.0", "--wait", "0.5", "--format", "json",
          "--password-stdin", "--yes", "--verify", "--restart-wait", "1"}) {
        assign.push_back(arg);
    }
    const CliRun first =
        Checked(RunCli(assign, Password(devices[5]), {}, std::chrono::seconds(60)));
    ASSERT_EQ(first.exitCode, 0) << first;
    const Json done = Json::parse(first.out);
    EXPECT_EQ(done["devices"][0]["Result"], "unchanged") << first;
    EXPECT_EQ(done["devices"][1]["Result"], "verified") << first;
    EXPECT_EQ(done["changed"], true);

    const CliRun again = Checked(RunCli(assign, "", {}, std::chrono::seconds(60)));
    ASSERT_EQ(again.exitCode, 0) << again;
    const Json unchanged = Json::parse(again.out);
    for (const Json& d : unchanged["devices"]) {
        EXPECT_EQ(d["Result"], "unchanged") << again;
    }
    EXPECT_EQ(unchanged["changed"], false);
    EXPECT_EQ(Count(LogBeforeMarker(), "setconfig"), 1u);
}
