// Nothing here sends to the broadcast address: it appears as text only. Whatever broadcasts
// runs inside the private lab of scripts/netlab.

#include "FakeAdapters.h"
#include "netinfo/AdapterDisplay.h"
#include "netinfo/SplitList.h"

#include <gtest/gtest.h>

using namespace ondrel;
using ondrel::testing::Adapter;
using ondrel::testing::FakeAdapterSource;

namespace {

const IpAddrString kDown{"0.0.0.0", "0.0.0.0"};

std::vector<std::string> Split(const std::string& text, std::vector<std::string> start = {"x"}) {
    SplitList(text, start, ';');
    return start;
}

} // namespace

TEST(SplitList, Rules) {
    struct Case {
        const char* name;
        std::string text;
        std::vector<std::string> want;
    } cases[] = {
        {"two terminated", "1.1.1.1;8.8.8.8;", {"1.1.1.1", "8.8.8.8"}},
        {"unterminated last", "1.1.1.1;8.8.8.8", {"1.1.1.1", "8.8.8.8"}},
        {"empty between", "a;;b;", {"a", "", "b"}},
        {"delimiter alone", ";", {""}},
        {"empty text leaves the array", "", {"x"}},
        {"single", "a", {"a"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Split(c.text), c.want) << c.name;
    }
}

TEST(AdapterDisplay, DefaultAdapterSelection) {
    struct Case {
        const char* name;
        std::vector<AdapterInfo> adapters;
        int want;
    } cases[] = {
        {"first qualifying wins",
         {Adapter("eth0", {{"10.0.0.2", "255.255.255.0"}}),
          Adapter("eth1", {{"10.0.1.2", "255.255.255.0"}})},
         0},
        {"disconnected skipped",
         {Adapter("eth0", {kDown}), Adapter("wlan0", {{"192.168.1.5", "255.255.255.0"}})},
         1},
        {"host mask skipped",
         {Adapter("tun0", {{"10.8.0.6", "255.255.255.255"}}),
          Adapter("eth0", {{"10.0.0.2", "255.255.0.0"}})},
         1},
        {"leading zero digit skipped although not 0.0.0.0",
         {Adapter("odd", {{"010.1.1.1", "255.0.0.0"}}),
          Adapter("eth0", {{"10.0.0.2", "255.255.0.0"}})},
         1},
        {"only the first address decides",
         {Adapter("eth0", {kDown, {"10.0.0.2", "255.0.0.0"}}),
          Adapter("eth1", {{"10.0.1.2", "255.255.255.0"}})},
         1},
        // The search starts after entry 0, so a later entry whose text begins with the
        // default's text is chosen over the default itself.
        {"prefix search passes over entry 0",
         {Adapter("eth", {{"10.0.0.2", "255.255.255.0"}}), Adapter("ETH1 (e1000)", {kDown})},
         1},
        {"prefix search wraps back to entry 0",
         {Adapter("eth0", {{"10.0.0.2", "255.255.255.0"}}), Adapter("wlan0", {kDown})},
         0},
        {"none qualifies: the first is shown", {Adapter("a", {kDown}), Adapter("b", {kDown})}, 0},
        {"no adapters", {}, -1},
    };
    for (Case& c : cases) {
        FakeAdapterSource source(c.adapters);
        AdapterDisplay display;
        EXPECT_EQ(display.Fill(source), c.want) << c.name;
        EXPECT_EQ(display.Entries().size(), c.adapters.size()) << c.name;
    }
}

TEST(AdapterDisplay, EntriesKeepPlatformOrderAndFailureListsNothing) {
    FakeAdapterSource source({Adapter("z", {kDown}), Adapter("a", {kDown}), Adapter("m", {kDown})});
    AdapterDisplay display;
    display.Fill(source);
    ASSERT_EQ(display.Entries().size(), 3u);
    EXPECT_EQ(display.Entries()[0].text, "z");
    EXPECT_EQ(display.Entries()[1].text, "a");
    EXPECT_EQ(display.Entries()[2].text, "m");

    FakeAdapterSource failing({Adapter("eth0", {kDown})}, 5);
    EXPECT_EQ(display.Fill(failing), -1);
    EXPECT_TRUE(display.Entries().empty());
    EXPECT_EQ(g_adapterInfo, nullptr);
    EXPECT_FALSE(display.FieldsFor(0).has_value());
}

TEST(AdapterDisplay, FieldsOfAnEntry) {
    using Dns = std::optional<std::vector<std::string>>;
    struct Case {
        const char* name;
        AdapterInfo adapter;
        AdapterFields want;
    } cases[] = {
        {"all addresses joined by CR LF, first mask",
         Adapter("eth0",
                 {{"10.0.0.2", "255.255.255.0"},
                  {"10.0.0.3", "255.255.0.0"},
                  {"192.168.9.1", "255.255.255.252"}},
                 "10.0.0.1", Dns({"10.0.0.53"})),
         {"10.0.0.2\r\n10.0.0.3\r\n192.168.9.1", "255.255.255.0", "10.0.0.1", "10.0.0.53", ""}},
        {"three servers show two",
         Adapter("eth0", {{"10.0.0.2", "255.255.255.0"}}, "10.0.0.1",
                 Dns({"1.1.1.1", "8.8.8.8", "9.9.9.9"})),
         {"10.0.0.2", "255.255.255.0", "10.0.0.1", "1.1.1.1", "8.8.8.8"}},
        {"no servers",
         Adapter("eth0", {{"10.0.0.2", "255.255.255.0"}}, "10.0.0.1",
                 Dns(std::vector<std::string>{})),
         {"10.0.0.2", "255.255.255.0", "10.0.0.1", "", ""}},
        {"per-adapter query failed",
         Adapter("eth0", {{"10.0.0.2", "255.255.255.0"}}, "10.0.0.1", std::nullopt),
         {"10.0.0.2", "255.255.255.0", "10.0.0.1", "", ""}},
        {"disconnected",
         Adapter("eth0", {kDown}, "0.0.0.0", Dns(std::vector<std::string>{})),
         {"0.0.0.0", "0.0.0.0", "0.0.0.0", "", ""}},
    };
    for (Case& c : cases) {
        FakeAdapterSource source({c.adapter});
        AdapterDisplay display;
        ASSERT_EQ(display.Fill(source), 0) << c.name;
        const std::optional<AdapterFields> got = display.FieldsFor(0);
        ASSERT_TRUE(got.has_value()) << c.name;
        EXPECT_EQ(got->ip, c.want.ip) << c.name;
        EXPECT_EQ(got->mask, c.want.mask) << c.name;
        EXPECT_EQ(got->gateway, c.want.gateway) << c.name;
        EXPECT_EQ(got->dns1, c.want.dns1) << c.name;
        EXPECT_EQ(got->dns2, c.want.dns2) << c.name;
    }
}

TEST(AdapterDisplay, DnsMapKeyedByFirstAddressFirstValueKept) {
    using Dns = std::optional<std::vector<std::string>>;
    // Two disconnected adapters share the key 0.0.0.0: the first whose query succeeded keeps
    // it, even with no servers (";"), and both show its servers. A failed query stores nothing,
    // so a later adapter may still claim the key.
    FakeAdapterSource source({
        Adapter("failed", {kDown}, "0.0.0.0", std::nullopt),
        Adapter("empty", {kDown}, "0.0.0.0", Dns(std::vector<std::string>{})),
        Adapter("late", {kDown}, "0.0.0.0", Dns({"5.5.5.5"})),
        Adapter("eth0", {{"10.0.0.2", "255.0.0.0"}}, "10.0.0.1", Dns({"1.1.1.1", "1.0.0.1"})),
        Adapter("dup", {{"10.0.0.2", "255.0.0.0"}}, "10.9.9.9", Dns({"7.7.7.7"})),
    });
    AdapterDisplay display;
    EXPECT_EQ(display.Fill(source), 3);
    EXPECT_EQ(display.DnsByAddress().at("0.0.0.0"), ";");
    EXPECT_EQ(display.DnsByAddress().at("10.0.0.2"), "1.1.1.1;1.0.0.1;");
    EXPECT_EQ(display.DnsByAddress().size(), 2u);
    EXPECT_EQ(display.FieldsFor(2)->dns1, "");
    EXPECT_EQ(display.FieldsFor(0)->dns1, "");
    const AdapterFields dup = *display.FieldsFor(4);
    EXPECT_EQ(dup.gateway, "10.9.9.9");
    EXPECT_EQ(dup.dns1, "1.1.1.1");
    EXPECT_EQ(dup.dns2, "1.0.0.1");
}

TEST(AdapterDisplay, ReleaseDropsRecordsAndRefillReplacesBuffer) {
    FakeAdapterSource source({Adapter("eth0", {{"10.0.0.2", "255.0.0.0"}})});
    AdapterDisplay display;
    display.Fill(source);
    ASSERT_NE(g_adapterInfo, nullptr);
    display.Release();
    EXPECT_EQ(g_adapterInfo, nullptr);
    EXPECT_EQ(display.Entries().size(), 1u);
    EXPECT_FALSE(display.FieldsFor(0).has_value());
    EXPECT_FALSE(display.FieldsFor(-1).has_value());
    EXPECT_FALSE(display.FieldsFor(1).has_value());
}

TEST(AdapterDisplay, SelectStringOrder) {
    const std::vector<AdapterDisplay::Entry> e = {
        {"abc", nullptr}, {"ab", nullptr}, {"xyz", nullptr}, {"AB2", nullptr}};
    EXPECT_EQ(AdapterDisplay::SelectString(e, 0, "ab"), 1);
    EXPECT_EQ(AdapterDisplay::SelectString(e, 1, "ab"), 3);
    EXPECT_EQ(AdapterDisplay::SelectString(e, 3, "ab"), 0);
    EXPECT_EQ(AdapterDisplay::SelectString(e, -1, "X"), 2);
    EXPECT_EQ(AdapterDisplay::SelectString(e, 0, "abcd"), -1);
    EXPECT_EQ(AdapterDisplay::SelectString({}, 0, "a"), -1);
}
