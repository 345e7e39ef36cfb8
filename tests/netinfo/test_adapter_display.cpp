// How the "Local PC information:" group reads a table of adapters.
//
// Nothing here sends anything: the broadcast address appears as an adapter's mask, as text.
// Whatever broadcasts runs inside the private lab of scripts/netlab.

#include "FakeAdapters.h"
#include "netinfo/AdapterDisplay.h"

#include <gtest/gtest.h>

using namespace ondrel;
using ondrel::testing::FakeAdapter;

TEST(AdapterDisplay, DefaultAdapterSelection) {
    struct Case {
        const char* name;
        std::vector<Adapter> adapters;
        int want;
    } cases[] = {
        {"first qualifying wins",
         {FakeAdapter("eth0", {{"10.0.0.2", "255.255.255.0"}}),
          FakeAdapter("eth1", {{"10.0.1.2", "255.255.255.0"}})},
         0},
        {"disconnected skipped",
         {FakeAdapter("eth0", {}), FakeAdapter("wlan0", {{"192.168.1.5", "255.255.255.0"}})},
         1},
        {"host mask skipped",
         {FakeAdapter("tun0", {{"10.8.0.6", "255.255.255.255"}}),
          FakeAdapter("eth0", {{"10.0.0.2", "255.255.0.0"}})},
         1},
        {"an address in 0.0.0.0/8 skipped",
         {FakeAdapter("odd", {{"0.1.1.1", "255.0.0.0"}}),
          FakeAdapter("eth0", {{"10.0.0.2", "255.255.0.0"}})},
         1},
        {"only the first address decides",
         {FakeAdapter("eth0", {{"10.8.0.6", "255.255.255.255"}, {"10.0.0.2", "255.0.0.0"}}),
          FakeAdapter("eth1", {{"10.0.1.2", "255.255.255.0"}})},
         1},
        {"a /31 is not a host mask", {FakeAdapter("p2p", {{"10.9.0.0", "255.255.255.254"}})}, 0},
        // The search starts after entry 0, so a later entry whose text begins with the
        // default's text is chosen over the default itself.
        {"prefix search passes over entry 0",
         {FakeAdapter("eth", {{"10.0.0.2", "255.255.255.0"}}), FakeAdapter("ETH1 (e1000)", {})},
         1},
        {"prefix search wraps back to entry 0",
         {FakeAdapter("eth0", {{"10.0.0.2", "255.255.255.0"}}), FakeAdapter("wlan0", {})},
         0},
        {"none qualifies: the first is shown", {FakeAdapter("a", {}), FakeAdapter("b", {})}, 0},
        {"no adapters", {}, -1},
    };
    for (Case& c : cases) {
        AdapterDisplay display;
        EXPECT_EQ(display.fill(c.adapters), c.want) << c.name;
        EXPECT_EQ(display.entries().size(), c.adapters.size()) << c.name;
    }
}

TEST(AdapterDisplay, EntriesAreDescriptionsInTheSourcesOrder) {
    AdapterDisplay display;
    display.fill(
        {FakeAdapter("z", {}), FakeAdapter("eth0 (Intel 82540EM)", {}), FakeAdapter("m", {})});
    EXPECT_EQ(display.entries(), (std::vector<std::string>{"z", "eth0 (Intel 82540EM)", "m"}));

    // A second fill replaces everything: a PC that lost its adapters shows nothing.
    EXPECT_EQ(display.fill({}), -1);
    EXPECT_TRUE(display.entries().empty());
    EXPECT_FALSE(display.fieldsFor(0).has_value());
}

TEST(AdapterDisplay, FieldsOfAnEntry) {
    struct Case {
        const char* name;
        Adapter adapter;
        AdapterFields want;
    } cases[] = {
        {"all addresses joined by CR LF, first mask",
         FakeAdapter("eth0",
                     {{"10.0.0.2", "255.255.255.0"},
                      {"10.0.0.3", "255.255.0.0"},
                      {"192.168.9.1", "255.255.255.252"}},
                     "10.0.0.1", {"10.0.0.53"}),
         {"10.0.0.2\r\n10.0.0.3\r\n192.168.9.1", "255.255.255.0", "10.0.0.1", "10.0.0.53", ""}},
        {"three servers show two",
         FakeAdapter("eth0", {{"10.0.0.2", "255.255.255.0"}}, "10.0.0.1",
                     {"1.1.1.1", "8.8.8.8", "9.9.9.9"}),
         {"10.0.0.2", "255.255.255.0", "10.0.0.1", "1.1.1.1", "8.8.8.8"}},
        {"no servers",
         FakeAdapter("eth0", {{"10.0.0.2", "255.255.255.0"}}, "10.0.0.1"),
         {"10.0.0.2", "255.255.255.0", "10.0.0.1", "", ""}},
        {"no default route",
         FakeAdapter("eth0", {{"10.0.0.2", "255.255.255.0"}}),
         {"10.0.0.2", "255.255.255.0", "0.0.0.0", "", ""}},
        {"disconnected", FakeAdapter("eth0", {}), {"0.0.0.0", "0.0.0.0", "0.0.0.0", "", ""}},
        {"prefix 0",
         FakeAdapter("eth0", {{"10.0.0.2", "0.0.0.0"}}),
         {"10.0.0.2", "0.0.0.0", "0.0.0.0", "", ""}},
    };
    for (Case& c : cases) {
        AdapterDisplay display;
        ASSERT_EQ(display.fill({c.adapter}), 0) << c.name;
        const std::optional<AdapterFields> got = display.fieldsFor(0);
        ASSERT_TRUE(got.has_value()) << c.name;
        EXPECT_EQ(*got, c.want) << c.name;
    }
}

TEST(AdapterDisplay, ServersAreRememberedByFirstAddressFirstComeFirstKept) {
    // Two disconnected adapters share "no address": the first keeps it, even without
    // servers, and both show its servers. Two adapters with one first address likewise.
    AdapterDisplay display;
    EXPECT_EQ(
        display.fill({
            FakeAdapter("empty", {}),
            FakeAdapter("late", {}, "", {"5.5.5.5"}),
            FakeAdapter("eth0", {{"10.0.0.2", "255.0.0.0"}}, "10.0.0.1", {"1.1.1.1", "1.0.0.1"}),
            FakeAdapter("dup", {{"10.0.0.2", "255.0.0.0"}}, "10.9.9.9", {"7.7.7.7"}),
        }),
        2);
    EXPECT_EQ(display.fieldsFor(1)->dns1, "");
    const AdapterFields dup = *display.fieldsFor(3);
    EXPECT_EQ(dup.gateway, "10.9.9.9");
    EXPECT_EQ(dup.dns1, "1.1.1.1");
    EXPECT_EQ(dup.dns2, "1.0.0.1");
}

TEST(AdapterDisplay, ReleasedAdaptersShowNothingButKeepTheirEntries) {
    AdapterDisplay display;
    display.fill({FakeAdapter("eth0", {{"10.0.0.2", "255.0.0.0"}})});
    ASSERT_TRUE(display.fieldsFor(0).has_value());
    EXPECT_FALSE(display.fieldsFor(-1).has_value());
    EXPECT_FALSE(display.fieldsFor(1).has_value());
    display.release();
    EXPECT_EQ(display.entries(), (std::vector<std::string>{"eth0"}));
    EXPECT_FALSE(display.fieldsFor(0).has_value());
}

TEST(AdapterDisplay, PrefixSearchOrder) {
    const std::vector<std::string> e = {"abc", "ab", "xyz", "AB2"};
    struct Case {
        int startAfter;
        const char* prefix;
        int want;
    } cases[] = {
        {0, "ab", 1},    {1, "ab", 3},  {3, "ab", 0},  {-1, "X", 2},
        {0, "abcd", -1}, {7, "abc", 0}, {-5, "xy", 2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AdapterDisplay::findByPrefix(e, c.startAfter, c.prefix), c.want)
            << c.startAfter << " " << c.prefix;
    }
    EXPECT_EQ(AdapterDisplay::findByPrefix({}, 0, "a"), -1);
}
