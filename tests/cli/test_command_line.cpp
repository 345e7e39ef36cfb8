#include "CommandLine.h"

#include <gtest/gtest.h>

#include <sstream>

// Nothing here sends to the broadcast address: it appears as text only. Whatever broadcasts
// runs inside the private lab of scripts/netlab.

namespace ondrel::cli {
namespace {

ParseOutcome ParseLine(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> word;) {
        words.push_back(word);
    }
    return CommandLine::parse(words);
}

constexpr const char* kSetBase = "set --mac 00:11:22:33:44:55 --password-stdin ";

struct BadCase {
    const char* name;
    std::string line;
    const char* mustMention; // the option or word the message must name
};

// Lists the case by its name rather than its bytes.
void PrintTo(const BadCase& c, std::ostream* os) {
    *os << c.name;
}

class BadCommandLine : public ::testing::TestWithParam<BadCase> {};

TEST_P(BadCommandLine, IsRefusedNamingTheOption) {
    const auto& c = GetParam();
    const ParseOutcome out = ParseLine(c.line);
    ASSERT_FALSE(out.ok()) << c.line;
    EXPECT_NE(out.error.find(c.mustMention), std::string::npos)
        << "message: " << out.error << "\nline: " << c.line;
}

INSTANTIATE_TEST_SUITE_P(
    Table, BadCommandLine,
    ::testing::Values(
        BadCase{"NoCommand", "", "no command"},
        BadCase{"UnknownOption", "search --frmat json", "--frmat"},
        BadCase{"WaitNotNumber", "search --wait soon", "--wait"},
        BadCase{"WaitNegative", "search --wait -1", "--wait"},
        BadCase{"WaitMissingValue", "search --wait", "--wait"},
        BadCase{"OptionOfOtherCommand", "search --mac 00:11:22:33:44:55", "--mac"},
        BadCase{"SetWithoutMac", "set --password-stdin", "--mac"},
        BadCase{"UrlWithoutMac", "url", "--mac"},
        BadCase{"MacMalformed", "url --mac 00:11:22:33:44", "--mac"},
        BadCase{"IpZero", std::string(kSetBase) + "--ip 0.0.0.0", "--ip"},
        BadCase{"IpBroadcast", std::string(kSetBase) + "--ip 255.255.255.255", "--ip"},
        BadCase{"IpMulticast", std::string(kSetBase) + "--ip 239.1.1.1", "--ip"},
        BadCase{"MaskZero", std::string(kSetBase) + "--mask 0.0.0.0", "--mask"},
        BadCase{"MaskText", std::string(kSetBase) + "--mask /24", "--mask"},
        BadCase{"PortRefused", std::string(kSetBase) + "--port 10000", "--port"},
        // The window's test is on the text only; the number is what the device gets.
        BadCase{"PortRefusedLeadingZero", std::string(kSetBase) + "--port 010000",
                "Can't use this http port."},
        BadCase{"TwoPasswordSources",
                "set --mac 00:11:22:33:44:55 --password-stdin --password-env PW", "--password-env"},
        BadCase{"EnvNameInvalid", "set --mac 00:11:22:33:44:55 --password-env 1PW",
                "--password-env"},
        BadCase{"RepeatedOption", std::string(kSetBase) + "--ip 10.0.0.5 --ip 10.0.0.6", "--ip"},
        BadCase{"FlagWithValue", std::string(kSetBase) + "--yes=no", "--yes"},
        BadCase{"BindMalformed", "search --bind localhost", "--bind"},
        BadCase{"DestPortZero", "search --dest-port 0", "--dest-port"},
        BadCase{"IpLeadingZero", std::string(kSetBase) + "--ip 10.0.0.05", "--ip"},
        BadCase{"PortNotDigits", std::string(kSetBase) + "--port 8o", "--port"},
        BadCase{"UserWithControl", std::string(kSetBase) + "--user a\x1b", "--user"},
        BadCase{"UserLongerThanTheRequestHolds",
                std::string(kSetBase) + "--user " + std::string(24, 'u'), "--user"},
        BadCase{"FormatAfterUrl", "url --mac 00:11:22:33:44:55 --format json", "--format"},
        BadCase{"DryRunOfUrl", "url --mac 00:11:22:33:44:55 --dry-run", "--dry-run"},
        BadCase{"SetFormatUnknown", std::string(kSetBase) + "--format xml", "--format"},
        BadCase{"RoundsZero", "search --rounds 0", "--rounds"},
        BadCase{"RoundsTooMany", "search --rounds 101", "--rounds"},
        BadCase{"RoundsOfSet", std::string(kSetBase) + "--rounds 2", "--rounds"},
        BadCase{"InterfaceEmpty", "search --interface=", "--interface"},
        BadCase{"InterfaceWithSlash", "search --interface ../eth0", "--interface"},
        BadCase{"InterfaceTooLong", "search --interface abcdefghijklmnop", "--interface"},
        BadCase{"AssignWithoutDevices", "assign --first 10.0.0.2 --mask 255.255.255.0",
                "--current-ip"},
        BadCase{"AssignWithoutFirst", "assign --all --mask 255.255.255.0", "--first"},
        BadCase{"AssignTwoChoices",
                "assign --all --current-ip 192.168.0.64 --first 10.0.0.2 --mask 255.0.0.0",
                "--current-ip"},
        BadCase{"AssignPlanAndRange", "assign --plan p.csv --first 10.0.0.2", "--first"},
        BadCase{"AssignFirstBroadcast", "assign --all --first 255.255.255.255 --mask 255.255.255.0",
                "--first"},
        BadCase{"ProtocolUnknown", "search --protocol wsd", "--protocol"},
        BadCase{"SetProtocolOfSearch", std::string(kSetBase) + "--protocol all", "--protocol"},
        BadCase{"SetMacAndEndpoint", std::string(kSetBase) + "--endpoint urn:uuid:1", "--endpoint"},
        BadCase{"SetTwoEndpoints", "set --endpoint urn:uuid:1 --endpoint urn:uuid:2", "--endpoint"},
        BadCase{"SetEndpointOverNative", "set --endpoint urn:uuid:1 --protocol native",
                "--protocol native"},
        BadCase{"AssignEndpointOverNative",
                "assign --endpoint urn:uuid:1 --protocol native --first 10.0.0.2 --mask 255.0.0.0",
                "--protocol native"},
        BadCase{"AssignEndpointAndAll",
                "assign --endpoint urn:uuid:1 --all --first 10.0.0.2 "
                "--mask 255.0.0.0",
                "--endpoint"},
        BadCase{"UrlMacAndEndpoint", "url --mac 00:11:22:33:44:55 --endpoint urn:uuid:1",
                "--endpoint"},
        BadCase{"UrlEndpointWithoutOnvif", "url --endpoint urn:uuid:1 --protocol native",
                "--protocol native"},
        BadCase{"EndpointWithControl", "url --endpoint urn:\x1b[2J", "--endpoint"},
        BadCase{"WsdListenPortTooLarge", "search --wsd-listen-port 70000", "--wsd-listen-port"},
        BadCase{"WsdDestName", "search --wsd-dest cams.local", "--wsd-dest"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(PasswordArgument, IsRefusedInEveryFormWithoutRepeatingIt) {
    for (const char* form : {"--password hunter2", "--password=hunter2", "--pass hunter2",
                             "--passwd hunter2", "--pwd=hunter2", "-p hunter2"}) {
        const ParseOutcome out = ParseLine(std::string("set --mac 00:11:22:33:44:55 ") + form);
        ASSERT_FALSE(out.ok()) << form;
        EXPECT_NE(out.error.find("--password-stdin"), std::string::npos) << out.error;
        EXPECT_EQ(out.error.find("hunter2"), std::string::npos) << out.error;
    }
    // Also when it is the first problem of several, or hidden behind an unknown option.
    const ParseOutcome stray = ParseLine(std::string(kSetBase) + "hunter2");
    EXPECT_EQ(stray.error.find("hunter2"), std::string::npos) << stray.error;
    const ParseOutcome unknown = ParseLine(std::string(kSetBase) + "--secret=hunter2");
    EXPECT_EQ(unknown.error.find("hunter2"), std::string::npos) << unknown.error;
    // A password typed onto an option's name: only the start of the name is repeated.
    const struct {
        const char* argument;
        const char* start;
    } glued[] = {{"-phunter2", "-p"},
                 {"--passhunter2", "--pass"},
                 {"--pwhunter2=x", "--pw"},
                 {"--password-hunter2", "--pass"}};
    for (const auto& g : glued) {
        for (const std::string& line :
             {std::string(kSetBase) + g.argument, std::string("search ") + g.argument}) {
            const ParseOutcome out = ParseLine(line);
            EXPECT_EQ(out.error, "unknown option " + std::string(g.start) +
                                     "... (its text is not shown: it may hold a password)")
                << line;
        }
    }
}

TEST(Defaults, AreTheProtocolsAndTheWindows) {
    const ParseOutcome out = ParseLine("search");
    ASSERT_TRUE(out.ok()) << out.error;
    const CliOptions& o = out.options;
    EXPECT_EQ(o.command, Command::Search);
    EXPECT_EQ(o.waitMs, 3000);
    EXPECT_EQ(o.format, OutputFormat::Table);
    EXPECT_EQ(o.endpoint.bindAddress, "0.0.0.0");
    EXPECT_EQ(o.endpoint.bindPort, 9003);
    EXPECT_EQ(o.endpoint.destAddress, "255.255.255.255");
    EXPECT_EQ(o.endpoint.destPort, 9002);
    EXPECT_EQ(o.protocols, Protocols::Both);
    EXPECT_EQ(o.wsd.probeAddress, "239.255.255.250");
    EXPECT_EQ(o.wsd.probePort, 3702);
    EXPECT_TRUE(o.wsd.listen);
    EXPECT_EQ(o.wsd.listenPort, 3702);

    const ParseOutcome set = ParseLine(kSetBase);
    ASSERT_TRUE(set.ok()) << set.error;
    EXPECT_EQ(set.options.user, "admin");
    EXPECT_EQ(set.options.mode, std::nullopt) << "the device keeps its own";
    EXPECT_EQ(set.options.restartWaitMs, 43000);
    EXPECT_EQ(set.options.answerWaitMs, 3000);
    EXPECT_FALSE(set.options.yes);
    EXPECT_FALSE(set.options.verify);
    EXPECT_FALSE(set.options.formatGiven) << "set keeps its sentences unless asked";
    EXPECT_FALSE(set.options.dryRun);
}

TEST(FullSet, EveryValueLands) {
    const ParseOutcome out = ParseLine(
        "set --mac=AA-BB-CC-DD-EE-0F --static --ip 10.77.0.50 --mask 255.255.0.0 --gateway "
        "10.77.0.1 --dns 8.8.8.8 --port 8080 --user viewer --password-env CAM_PW -y --verify "
        "--restart-wait 0.3 --answer-wait 0.25 --wait 1.5 --bind 10.77.0.1 --local-port 0 "
        "--dest 10.77.0.255 --dest-port 19002 --format csv --dry-run");
    ASSERT_TRUE(out.ok()) << out.error;
    const CliOptions& o = out.options;
    EXPECT_EQ(o.command, Command::Set);
    EXPECT_EQ(o.format, OutputFormat::Csv);
    EXPECT_TRUE(o.formatGiven);
    EXPECT_TRUE(o.dryRun);
    EXPECT_EQ(o.macValue.text(), "AA:BB:CC:DD:EE:0F");
    EXPECT_EQ(o.mode, AddressMode::Static);
    EXPECT_EQ(o.ip->text(), "10.77.0.50");
    EXPECT_EQ(o.mask->text(), "255.255.0.0");
    EXPECT_EQ(o.gateway->text(), "10.77.0.1");
    EXPECT_EQ(o.dns->text(), "8.8.8.8");
    EXPECT_EQ(o.port, 8080);
    EXPECT_EQ(o.user, "viewer");
    EXPECT_EQ(o.passwordSource, PasswordSource::Env);
    EXPECT_EQ(o.passwordEnv, "CAM_PW");
    EXPECT_TRUE(o.yes);
    EXPECT_TRUE(o.verify);
    EXPECT_EQ(o.restartWaitMs, 300);
    EXPECT_EQ(o.answerWaitMs, 250);
    EXPECT_EQ(o.waitMs, 1500);
    EXPECT_EQ(o.endpoint.bindAddress, "10.77.0.1");
    EXPECT_EQ(o.endpoint.bindPort, 0);
    EXPECT_EQ(o.endpoint.destAddress, "10.77.0.255");
    EXPECT_EQ(o.endpoint.destPort, 19002);
    EXPECT_TRUE(o.endpoint.interfaces.empty());
    EXPECT_EQ(o.rounds, 1);
}

TEST(FullAssign, EveryValueLands) {
    const ParseOutcome out = ParseLine(
        "assign --mac 02:4F:4E:00:00:01 --mac 02-4f-4e-00-00-02 --first 10.77.0.10 --mask "
        "255.255.255.0 --gateway 10.77.0.1 --dns 10.77.0.2 --port 8080 --dry-run --format csv "
        "--password-stdin --yes --verify --restart-wait 2");
    ASSERT_TRUE(out.ok()) << out.error;
    const CliOptions& o = out.options;
    EXPECT_EQ(o.command, Command::Assign);
    ASSERT_EQ(o.assign.macs.size(), 2u);
    EXPECT_EQ(o.assign.macs[1].text(), "02:4F:4E:00:00:02");
    EXPECT_EQ(o.assign.first->text(), "10.77.0.10");
    EXPECT_EQ(o.mask->text(), "255.255.255.0");
    EXPECT_EQ(o.gateway->text(), "10.77.0.1");
    EXPECT_EQ(o.port, 8080);
    EXPECT_TRUE(o.dryRun);
    EXPECT_EQ(o.format, OutputFormat::Csv);
    EXPECT_EQ(o.restartWaitMs, 2000);
    const ParseOutcome plan = ParseLine("assign --plan site.csv --yes");
    ASSERT_TRUE(plan.ok()) << plan.error;
    EXPECT_EQ(plan.options.assign.planFile, "site.csv");
}

TEST(Interfaces, RepeatAndComeBeforeOrAfterTheCommand) {
    const ParseOutcome out =
        ParseLine("--interface eth0 search --interface wlan0 --rounds 5 --format json");
    ASSERT_TRUE(out.ok()) << out.error;
    EXPECT_EQ(out.options.endpoint.interfaces, (std::vector<std::string>{"eth0", "wlan0"}));
    EXPECT_EQ(out.options.rounds, 5);
    const ParseOutcome set = ParseLine(std::string(kSetBase) + "--interface eCam");
    ASSERT_TRUE(set.ok()) << set.error;
    EXPECT_EQ(set.options.endpoint.interfaces, (std::vector<std::string>{"eCam"}));
}

// Where WS-Discovery's probes go and announcements are heard; a run aimed at one address never
// probes the multicast group unasked.
TEST(WsDiscovery, ProbesFollowTheDestinationUnlessToldAndUrlTakesEndpoints) {
    const struct {
        const char* line;
        Protocols protocols;
        const char* probeAddress;
        uint16_t probePort;
        bool listen;
    } cases[] = {
        {"search --protocol native", Protocols::Native, "239.255.255.250", 3702, true},
        {"search --dest 127.0.0.1 --dest-port 19002", Protocols::Both, "127.0.0.1", 3702, true},
        {"search --dest 255.255.255.255", Protocols::Both, "239.255.255.250", 3702, true},
        {"--wsd-dest 127.0.0.2 search --dest 127.0.0.1 --wsd-port 13702 --wsd-listen-port 0",
         Protocols::Both, "127.0.0.2", 13702, false},
        {"url --endpoint urn:uuid:a --endpoint urn:uuid:b --protocol onvif", Protocols::Onvif,
         "239.255.255.250", 3702, true},
    };
    for (const auto& c : cases) {
        const ParseOutcome out = ParseLine(c.line);
        ASSERT_TRUE(out.ok()) << c.line << ": " << out.error;
        EXPECT_EQ(out.options.protocols, c.protocols) << c.line;
        EXPECT_EQ(out.options.wsd.probeAddress, c.probeAddress) << c.line;
        EXPECT_EQ(out.options.wsd.probePort, c.probePort) << c.line;
        EXPECT_EQ(out.options.wsd.listen, c.listen) << c.line;
    }
    for (const auto& [line, protocol] :
         {std::pair{kSetBase, RouteChoice::Auto},
          std::pair{"set --endpoint urn:uuid:c --protocol onvif", RouteChoice::Onvif},
          std::pair{"set --mac 00:11:22:33:44:55 --protocol native", RouteChoice::Native},
          std::pair{"assign --endpoint urn:uuid:c --endpoint urn:uuid:d --mac 00:11:22:33:44:55 "
                    "--first 10.0.0.2 --mask 255.0.0.0 --protocol onvif",
                    RouteChoice::Onvif}}) {
        const ParseOutcome set = ParseLine(line);
        ASSERT_TRUE(set.ok()) << line << ": " << set.error;
        EXPECT_EQ(set.options.route, protocol) << line;
    }
    EXPECT_EQ(ParseLine("set --endpoint urn:uuid:c").options.endpoints,
              (std::vector<std::string>{"urn:uuid:c"}));
    EXPECT_EQ(ParseLine(cases[4].line).options.endpoints,
              (std::vector<std::string>{"urn:uuid:a", "urn:uuid:b"}));
    EXPECT_EQ(ParseLine("--interface eth0 search").options.wsd.interfaces,
              (std::vector<std::string>{"eth0"}));
    EXPECT_EQ(ParseLine("search --bind 127.0.0.1").options.wsd.listenAddress, "127.0.0.1");
}

TEST(Help, WinsOverEverythingElse) {
    for (const char* line :
         {"--help", "-h", "help", "set --help", "search --bogus -h", "set --password x --help"}) {
        const ParseOutcome out = ParseLine(line);
        EXPECT_TRUE(out.ok()) << line << ": " << out.error;
        EXPECT_EQ(out.options.command, Command::Help) << line;
    }
    EXPECT_EQ(ParseLine("--version").options.command, Command::Version);
}

TEST(Options, OfEveryCommandMayComeBeforeIt) {
    const ParseOutcome out = ParseLine("--format csv --wait 1 search --dest-port 19002");
    ASSERT_TRUE(out.ok()) << out.error;
    EXPECT_EQ(out.options.format, OutputFormat::Csv);
    EXPECT_EQ(out.options.waitMs, 1000);
    EXPECT_EQ(out.options.endpoint.destPort, 19002);

    // A value spelled like a command is the option's value, not the command.
    const ParseOutcome set = ParseLine("--user url --yes set --mac 00:11:22:33:44:55");
    ASSERT_TRUE(set.ok()) << set.error;
    EXPECT_EQ(set.options.command, Command::Set);
    EXPECT_EQ(set.options.user, "url");
    EXPECT_TRUE(set.options.yes);
}

// The manual pages are written from these texts.
TEST(Help, NamesEveryOptionAndExitCode) {
    const ParseOutcome all = ParseLine("--help");
    for (const char* word : {"search",
                             "set",
                             "url",
                             "--wait",
                             "--format",
                             "--mac",
                             "--dhcp",
                             "--static",
                             "--ip",
                             "--mask",
                             "--gateway",
                             "--dns",
                             "--port",
                             "--user",
                             "--password-stdin",
                             "--password-env",
                             "--yes",
                             "--verify",
                             "--restart-wait",
                             "--answer-wait",
                             "--bind",
                             "--local-port",
                             "--dest",
                             "--dest-port",
                             "--version",
                             "--interface",
                             "--rounds",
                             "--protocol",
                             "--endpoint",
                             "--wsd-dest",
                             "--wsd-port",
                             "--wsd-listen-port",
                             "Exit codes",
                             "5  verification failed",
                             "then Protocol",
                             "found by ONVIF only"}) {
        EXPECT_NE(all.text.find(word), std::string::npos) << word;
    }
    const ParseOutcome set = ParseLine("set -h");
    for (const char* word : {"--password-env", "--format", "--dry-run"}) {
        EXPECT_NE(set.text.find(word), std::string::npos) << word;
    }
    EXPECT_EQ(ParseLine("url -h").text.find("--format"), std::string::npos);
    EXPECT_EQ(ParseLine("--version").text, "ondrel-cli " + std::to_string(ONDREL_VERSION_MAJOR) +
                                               "." + std::to_string(ONDREL_VERSION_MINOR) + "." +
                                               std::to_string(ONDREL_VERSION_PATCH) + "." +
                                               std::to_string(ONDREL_VERSION_TWEAK) + "\n");
}

} // namespace
} // namespace ondrel::cli
