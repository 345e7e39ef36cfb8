#include "SimOptionParser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace ondrel::sim;

namespace {
using Args = std::vector<std::string>;
}

TEST(SimOptionParser, Accepted) {
    const ParsedOptions p = SimOptionParser::Parse({"--devices",
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

    const ParsedOptions burst = SimOptionParser::Parse({"--burst", "10000"});
    EXPECT_TRUE(burst.options.burst);
    EXPECT_EQ(burst.options.devices, 10000u);
    EXPECT_TRUE(SimOptionParser::Parse({"--config", "x.json"}).options.configFile == "x.json");
    EXPECT_TRUE(SimOptionParser::Parse({"-h"}).options.help);
}

TEST(SimOptionParser, Refused) {
    struct Case {
        Args args;
        const char* error;
    } cases[] = {
        {{"--devices", "0"}, "--devices: expected a whole number 1..60000"},
        {{"--devices", "60001"}, "--devices"},
        {{"--devices", "-3"}, "--devices"},
        {{"--devices", "3x"}, "--devices"},
        {{"--devices"}, "--devices: missing value"},
        {{"--burst", "0"}, "--burst"},
        {{"--listen-port", "65536"}, "--listen-port"},
        {{"--reply-port", "0"}, "--reply-port"},
        {{"--bind", "localhost"}, "--bind: expected an IPv4"},
        {{"--reply-to", "10.0.0"}, "--reply-to"},
        {{"--faulty", "tail,"}, "--faulty: expected tail"},
        {{"--faulty", "slow"}, "got \"slow\""},
        {{"--restart-ms", "600001"}, "--restart-ms"},
        {{"--duplicates", "101"}, "--duplicates"},
        {{"--max-searches", "0"}, "--max-searches"},
        {{"--unicast=yes"}, "--unicast takes no value"},
        {{"--devices", "2", "--config", "x.json"}, "exclude each other"},
        {{"--burst", "2", "--devices", "2"}, "exclude each other"},
        {{"--unicast", "--reply-to", "10.0.0.1"}, "exclude each other"},
        {{"--verbose"}, "unknown option \"--verbose\""},
        {{"devices"}, "unknown option"},
    };
    for (const Case& c : cases) {
        const ParsedOptions p = SimOptionParser::Parse(c.args);
        EXPECT_NE(p.error.find(c.error), std::string::npos) << c.args[0] << " -> " << p.error;
    }
}

TEST(SimOptionParser, HelpNamesEveryOption) {
    const std::string help = SimOptionParser::HelpText();
    for (const char* option :
         {"--devices", "--config", "--burst", "--listen-port", "--bind", "--reply-to", "--unicast",
          "--reply-port", "--restart-ms", "--faulty", "--duplicates", "--delay", "--max-searches",
          "--once", "--log", "--ready", "--help"}) {
        EXPECT_NE(help.find(option), std::string::npos) << option;
    }
}
