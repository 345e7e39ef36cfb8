// Nothing here sends to the broadcast address: it appears as text only. Whatever broadcasts
// runs inside the private lab of scripts/netlab.

#include "SimCommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace ondrel::sim;

namespace {
using Args = std::vector<std::string>;
}

TEST(SimCommandLine, Accepted) {
    const ParsedOptions p = SimCommandLine::parse({"--devices",
                                                   "12",
                                                   "--listen-port=0",
                                                   "--bind",
                                                   "127.0.0.1",
                                                   "--unicast",
                                                   "--reply-port",
                                                   "9100",
                                                   "--log",
                                                   "-",
                                                   "--ready",
                                                   "/tmp/r",
                                                   "--restart-ms",
                                                   "0",
                                                   "--faulty",
                                                   "tail,empty",
                                                   "--faulty=garbage",
                                                   "--duplicates",
                                                   "2",
                                                   "--delay",
                                                   "15",
                                                   "--once"});
    ASSERT_EQ(p.error, "");
    const SimOptions& o = p.options;
    EXPECT_EQ(o.devices, 12u);
    EXPECT_EQ(o.listenPort, 0);
    EXPECT_EQ(o.bindAddress, "127.0.0.1");
    EXPECT_TRUE(o.unicast);
    EXPECT_EQ(o.replyPort, 9100);
    EXPECT_EQ(o.logFile, "-");
    EXPECT_EQ(o.readyFile, "/tmp/r");
    EXPECT_EQ(o.restartMs, 0u);
    EXPECT_EQ(o.faults, (std::vector<Fault>{Fault::Tail, Fault::Empty, Fault::Garbage}));
    EXPECT_EQ(o.duplicates, 2u);
    EXPECT_EQ(o.delayMs, 15u);
    EXPECT_EQ(o.maxSearches, 1u);

    const ParsedOptions burst = SimCommandLine::parse({"--burst", "10000"});
    EXPECT_TRUE(burst.options.burst);
    EXPECT_EQ(burst.options.devices, 10000u);
    EXPECT_EQ(SimCommandLine::parse({"--config", "x.json"}).options.configFile, "x.json");
    // Decimal, whatever the leading zeros: "010" is not octal.
    EXPECT_EQ(SimCommandLine::parse({"--devices", "010"}).options.devices, 10u);
    EXPECT_EQ(SimCommandLine::parse({"--max-searches", "3"}).options.maxSearches, 3u);
    const ParsedOptions same =
        SimCommandLine::parse({"--devices", "40", "--same-ip", "192.168.0.64"});
    EXPECT_EQ(same.error, "");
    EXPECT_EQ(same.options.sameIp, "192.168.0.64");
    EXPECT_EQ(same.options.devices, 40u);
    EXPECT_EQ(SimCommandLine::parse({"--burst", "5", "--same-ip", "10.0.0.9"}).options.sameIp,
              "10.0.0.9");

    const ParsedOptions onvif = SimCommandLine::parse(
        {"--onvif-only", "--onvif-quirks", "--wsd-port", "0", "--announce-to", "127.0.0.1:4000",
         "--onvif-link-local", "--onvif-at-once", "--same-ip", "192.168.0.64"});
    EXPECT_EQ(onvif.error, "");
    EXPECT_TRUE(onvif.options.onvif && onvif.options.onvifOnly && onvif.options.onvifQuirks &&
                onvif.options.onvifLinkLocal && onvif.options.onvifAtOnce);
    EXPECT_EQ(onvif.options.sameIp, "192.168.0.64");
    EXPECT_EQ(onvif.options.wsdPort, 0);
    EXPECT_EQ(onvif.options.announceAddress, "127.0.0.1");
    EXPECT_EQ(onvif.options.announcePort, 4000);
    EXPECT_TRUE(SimCommandLine::parse({"--onvif-quirks"}).options.onvif);

    const SimOptions defaults = SimCommandLine::parse({}).options;
    EXPECT_FALSE(defaults.onvif);
    EXPECT_EQ(defaults.wsdPort, 3702);
    EXPECT_EQ(defaults.devices, 1u);
    EXPECT_EQ(defaults.listenPort, 9002);
    EXPECT_EQ(defaults.replyTo, "255.255.255.255");
    EXPECT_FALSE(defaults.replyPort.has_value());
    EXPECT_EQ(defaults.maxSearches, 0u);
}

TEST(SimCommandLine, Refused) {
    struct Case {
        Args args;
        const char* error;
    } cases[] = {
        {{"--devices", "0"}, "--devices: expected a whole number 1..60000"},
        {{"--devices", "60001"}, "--devices"},
        {{"--devices", "-3"}, "--devices"},
        {{"--devices", "3x"}, "--devices"},
        {{"--devices", "0x10"}, "--devices"},
        {{"--devices"}, "--devices"},
        {{"--burst", "0"}, "--burst"},
        {{"--listen-port", "65536"}, "--listen-port"},
        {{"--reply-port", "0"}, "--reply-port"},
        {{"--bind", "localhost"}, "--bind: expected an IPv4"},
        {{"--reply-to", "10.0.0"}, "--reply-to"},
        {{"--faulty", "tail,slow"}, "--faulty: expected tail"},
        {{"--faulty", "slow"}, "got \"slow\""},
        {{"--restart-ms", "600001"}, "--restart-ms"},
        {{"--duplicates", "101"}, "--duplicates"},
        {{"--max-searches", "0"}, "--max-searches"},
        {{"--max-searches", "2", "--once"}, "excludes"},
        {{"--unicast=yes"}, "--unicast takes no value"},
        {{"--devices", "2", "--config", "x.json"}, "--devices excludes --config"},
        {{"--burst", "2", "--devices", "2"}, "excludes"},
        {{"--config", "x.json", "--burst", "2"}, "excludes"},
        {{"--unicast", "--reply-to", "10.0.0.1"}, "excludes"},
        {{"--same-ip", "192.168.0"}, "--same-ip: expected an IPv4"},
        {{"--same-ip"}, "--same-ip"},
        {{"--same-ip", "192.168.0.64", "--config", "x.json"}, "excludes"},
        {{"--wsd-port", "3703"}, "--wsd-port needs --onvif, --onvif-only or --onvif-quirks"},
        {{"--announce-to", "127.0.0.1:9"}, "--announce-to needs --onvif"},
        {{"--onvif", "--wsd-port", "65536"}, "--wsd-port"},
        {{"--onvif", "--announce-to", "127.0.0.1"}, "expected an IPv4 address and a port"},
        {{"--onvif", "--announce-to", "127.0.0.1:0"}, "--announce-to"},
        {{"--onvif", "--announce-to", "localhost:3702"}, "--announce-to"},
        {{"--onvif", "--onvif-only"}, "excludes"},
        {{"--onvif-link-local"}, "--onvif-link-local needs --onvif"},
        {{"--onvif-at-once"}, "--onvif-at-once needs --onvif"},
        {{"--onvif-own-macs"}, "--onvif-own-macs needs --onvif"},
        {{"--onvif-only", "--faulty", "tail"}, "--faulty excludes --onvif-only"},
        {{"--onvif-only", "--unicast"}, "excludes"},
        {{"--verbose"}, "unknown option \"--verbose\""},
        {{"--verbose=2"}, "unknown option \"--verbose\""},
        {{"devices"}, "unexpected argument \"devices\""},
    };
    for (const Case& c : cases) {
        const ParsedOptions p = SimCommandLine::parse(c.args);
        EXPECT_NE(p.error.find(c.error), std::string::npos) << c.args[0] << " -> " << p.error;
    }
}

// The manual page is written from this text.
TEST(SimCommandLine, HelpNamesEveryOption) {
    const ParsedOptions help = SimCommandLine::parse({"-h"});
    EXPECT_EQ(help.error, "");
    for (const char* option : {"--announce-to",
                               "--bind",
                               "--burst",
                               "--config",
                               "--delay",
                               "--devices",
                               "--duplicates",
                               "--faulty",
                               "--help",
                               "--listen-port",
                               "--log",
                               "--max-searches",
                               "--once",
                               "--onvif",
                               "--onvif-link-local",
                               "--onvif-only",
                               "--onvif-quirks",
                               "--ready",
                               "--onvif-own-macs",
                               "--reply-port",
                               "--reply-to",
                               "--restart-ms",
                               "--same-ip",
                               "--unicast",
                               "--version",
                               "--wsd-port",
                               "169.254.0.0/16",
                               "239.255.255.250:3702",
                               "Exit status"}) {
        EXPECT_NE(help.text.find(option), std::string::npos) << option;
    }
    EXPECT_EQ(SimCommandLine::parse({"--version"}).text.rfind("ondrel-sim ", 0), 0u);
}
