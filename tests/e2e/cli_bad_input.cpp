// Bad input to ondrel-cli ends with exit code 2 and a message naming the option, and sends
// nothing: not even a search when the command line itself is wrong, and never a settings
// request when the device's own values make the request unsound. The simulator's log is the
// witness.

#include "cli_lab.h"

using namespace ondrel;
using namespace ondrel::lab;

namespace {

struct BadInput {
    const char* name;
    std::vector<std::string> args; // after "set --mac <Lobby's MAC>" unless fullCommand
    std::string input;             // standard input
    const char* mustMention;
    bool fullCommand = false;
};

void PrintTo(const BadInput& c, std::ostream* os) {
    *os << c.name;
}

const std::string kLobbyMac = CliDevices()[0].mac;

std::vector<std::string> Command(const BadInput& c) {
    if (c.fullCommand) {
        return c.args;
    }
    std::vector<std::string> args = {"set", "--mac", kLobbyMac};
    args.insert(args.end(), c.args.begin(), c.args.end());
    return args;
}

class CliBadInput : public CliLab, public ::testing::WithParamInterface<BadInput> {};

const std::string kPw = "--password-stdin";
const std::string kPassword = "pw-0-Zq8\n";

} // namespace

// Refused before anything is opened or sent.
TEST_P(CliBadInput, ExitsTwoAndSendsNothing) {
    const BadInput& c = GetParam();
    StartSim();
    const CliRun run = RunCli(Command(c), c.input);
    EXPECT_EQ(run.exitCode, 2) << run;
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(c.mustMention), std::string::npos) << run;
    EXPECT_EQ(run.err.find("hunter2"), std::string::npos) << run;
    EXPECT_EQ(run.err.find("pw-0-Zq8"), std::string::npos) << run;
    const auto log = LogBeforeMarker();
    EXPECT_TRUE(log.empty()) << "sent: " << log.front().dump();
}

INSTANTIATE_TEST_SUITE_P(
    CommandLine, CliBadInput,
    ::testing::Values(
        BadInput{"UnknownCommand", {"serch"}, "", "serch", true},
        BadInput{"FormatUnknown", {"search", "--format", "xml"}, "", "--format", true},
        BadInput{"WaitNotSeconds", {"search", "--wait", "3s"}, "", "--wait", true},
        BadInput{"UrlMacMalformed", {"url", "--mac", "02:4F:4E:00:00"}, "", "--mac", true},
        BadInput{"SetWithoutMac", {"set", kPw, "--yes"}, kPassword, "--mac", true},
        BadInput{"MacNotHex", {"set", "--mac", "02:4F:4E:00:00:0G", kPw}, kPassword, "--mac", true},
        BadInput{"IpOctet", {"--ip", "10.77.0.300", kPw, "--yes"}, kPassword, "--ip"},
        BadInput{"IpLeadingZero", {"--ip", "10.77.0.021", kPw, "--yes"}, kPassword, "--ip"},
        BadInput{"IpLoopback", {"--ip", "127.0.0.5", kPw, "--yes"}, kPassword, "--ip"},
        BadInput{"MaskHoles", {"--mask", "255.0.255.0", kPw, "--yes"}, kPassword, "--mask"},
        BadInput{"GatewayShort", {"--gateway", "10.77.0", kPw, "--yes"}, kPassword, "--gateway"},
        BadInput{"DnsName", {"--dns", "dns.lan", kPw, "--yes"}, kPassword, "--dns"},
        BadInput{"PortZero", {"--port", "0", kPw, "--yes"}, kPassword, "--port"},
        BadInput{"PortTooBig", {"--port", "65536", kPw, "--yes"}, kPassword, "--port"},
        BadInput{"PortRefused",
                 {"--port", "10000", kPw, "--yes"},
                 kPassword,
                 "Can't use this http port."},
        BadInput{"PortRefusedLeadingZero",
                 {"--port", "010000", kPw, "--yes"},
                 kPassword,
                 "Can't use this http port."},
        BadInput{"DhcpAndStatic", {"--dhcp", "--static", kPw, "--yes"}, kPassword, "--static"},
        BadInput{
            "UserTooLong", {"--user", std::string(30, 'u'), kPw, "--yes"}, kPassword, "--user"},
        BadInput{"PasswordArgument", {"--password", "hunter2", "--yes"}, "", "--password-stdin"},
        BadInput{"PasswordArgumentJoined", {"--password=hunter2", "--yes"}, "", "--password-stdin"},
        BadInput{"NoPasswordOption", {"--port", "81", "--yes"}, kPassword, "--password-stdin"},
        BadInput{"PasswordEnvUnset",
                 {"--password-env", "ONDREL_NO_SUCH_VAR", "--yes"},
                 "",
                 "ONDREL_NO_SUCH_VAR"},
        BadInput{"PasswordStdinEmpty", {kPw, "--yes"}, "", "--password-stdin"},
        BadInput{
            "PasswordTooLong", {kPw, "--yes"}, std::string(40, 'p') + "\n", "--password-stdin"},
        BadInput{"PasswordWithControl", {kPw, "--yes"}, "pw\x1b[0m\n", "--password-stdin"},
        BadInput{"RestartWaitWithoutVerify",
                 {"--restart-wait", "1", kPw, "--yes"},
                 kPassword,
                 "--restart-wait"},
        BadInput{"StrayArgument", {kPw, "--yes", "hunter2"}, kPassword, "unexpected argument"}),
    [](const auto& p) { return std::string(p.param.name); });

// Refused once the device's answer is known: a search went out, a settings request did not.
class CliBadForDevice : public CliLab, public ::testing::WithParamInterface<BadInput> {};

TEST_P(CliBadForDevice, ExitsTwoWithoutASettingsRequest) {
    const BadInput& c = GetParam();
    StartSim();
    const CliRun run = RunCli(Command(c), c.input);
    EXPECT_EQ(run.exitCode, 2) << run;
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(c.mustMention), std::string::npos) << run;
    const auto log = LogBeforeMarker();
    EXPECT_EQ(Count(log, "search"), 1u);
    EXPECT_EQ(Count(log, "setconfig"), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    DeviceValues, CliBadForDevice,
    ::testing::Values(BadInput{"NoSuchMac",
                               {"set", "--mac", "02:00:00:00:00:99", kPw, "--yes", "--wait", "0.3"},
                               kPassword,
                               "no device with MAC 02:00:00:00:00:99",
                               true},
                      BadInput{"DevicePortIsTheRefusedOne",
                               {"set", "--mac", CliDevices()[3].mac, kPw, "--yes"},
                               "pw-3-Zq8\n",
                               "Can't use this http port.",
                               true},
                      // The device's gateway 10.77.0.1 is not on 10.77.9.0/24.
                      BadInput{"NewAddressLeavesTheGatewayOffSubnet",
                               {"--ip", "10.77.9.9", kPw, "--yes"},
                               kPassword,
                               "--gateway"},
                      BadInput{"NetworkAddressOfTheDevicesMask",
                               {"--ip", "10.77.0.0", kPw, "--yes"},
                               kPassword,
                               "network address"},
                      // Off a terminal nobody can be asked, so nothing is sent without --yes.
                      BadInput{"NoYesWithoutATerminal", {"--port", "81", kPw}, kPassword, "--yes"}),
    [](const auto& p) { return std::string(p.param.name); });
