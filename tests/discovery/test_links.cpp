// Which interfaces a broadcast goes out of, and how an adapter names a device's subnet.

#include "core/AdapterRef.h"
#include "discovery/UdpSocket.h"
#include "netinfo/NetLinks.h"

#include <gtest/gtest.h>

#include <net/if.h>

#include <string>
#include <vector>

using namespace ondrel;

namespace {

constexpr unsigned kUsable = kLinkUp | kLinkRunning | kLinkLowerUp | kLinkBroadcast;

uint32_t Ip(const char* text) {
    return parseIpv4(text)->bits;
}

NetLink Link(const char* name, uint32_t index, unsigned flags,
             std::vector<Ipv4Net> addresses = {{Ip("192.168.1.10"), 24}}) {
    return NetLink{name, index, flags, std::move(addresses)};
}

std::vector<std::string> Names(const NetLinks& links) {
    std::vector<std::string> names;
    for (const NetLink& l : links) {
        names.push_back(l.name);
    }
    return names;
}

} // namespace

TEST(SendLinks, OnlyUpBroadcastCapableNonLoopbackInterfacesWithCarrier) {
    struct Row {
        const char* name;
        NetLinks links;
        std::vector<std::string> allow;
        std::vector<std::string> chosen;
    } rows[] = {
        {"usable", {Link("eth0", 2, kUsable)}, {}, {"eth0"}},
        {"loopback", {Link("lo", 1, kUsable | kLinkLoopback)}, {}, {}},
        {"down", {Link("eth0", 2, kUsable & ~kLinkUp)}, {}, {}},
        {"no carrier", {Link("eth0", 2, kLinkUp | kLinkBroadcast)}, {}, {}},
        {"carrier from the lower layer only",
         {Link("eth0", 2, kLinkUp | kLinkBroadcast | kLinkLowerUp)},
         {},
         {"eth0"}},
        {"running only", {Link("eth0", 2, kLinkUp | kLinkBroadcast | kLinkRunning)}, {}, {"eth0"}},
        {"point to point, no broadcast", {Link("tun0", 5, kUsable & ~kLinkBroadcast)}, {}, {}},
        {"no IPv4 address: a cable straight to a camera",
         {Link("eth1", 3, kUsable, {})},
         {},
         {"eth1"}},
        {"several addresses: sent once",
         {Link("eth0", 2, kUsable, {{Ip("10.0.0.5"), 8}, {Ip("192.168.1.10"), 24}})},
         {},
         {"eth0"}},
        {"by interface index",
         {Link("wlan0", 7, kUsable), Link("eth0", 2, kUsable)},
         {},
         {"eth0", "wlan0"}},
        {"allow-list", {Link("eth0", 2, kUsable), Link("eth1", 3, kUsable)}, {"eth1"}, {"eth1"}},
        {"allow-list naming a down interface",
         {Link("eth0", 2, kUsable), Link("eth1", 3, kLinkBroadcast)},
         {"eth1"},
         {}},
        {"no index", {Link("ghost", 0, kUsable)}, {}, {}},
        {"a bond's member: the bond sends",
         {Link("bond0", 4, kUsable), Link("eth0", 2, kUsable | kLinkSlave, {})},
         {},
         {"bond0"}},
        {"nothing at all", {}, {}, {}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Names(selectSendLinks(row.links, row.allow)), row.chosen) << row.name;
    }
}

TEST(SendLinks, FiftyBridgesAreFiftyAdapters) {
    NetLinks links{Link("lo", 1, kUsable | kLinkLoopback)};
    for (uint32_t i = 0; i < 50; ++i) {
        links.push_back(Link(("br-" + std::to_string(i)).c_str(), 100 - i, kUsable,
                             {{Ip("172.18.0.1") + (i << 8), 24}}));
    }
    const NetLinks chosen = selectSendLinks(links);
    ASSERT_EQ(chosen.size(), 50u);
    EXPECT_EQ(chosen.front().name, "br-49");
    EXPECT_EQ(chosen.back().name, "br-0");
    EXPECT_EQ(unknownLinkNames(links, {"br-7", "br-50", "lo", "eth9"}),
              (std::vector<std::string>{"br-50", "eth9"}));
}

TEST(AdapterRefTest, SubnetAndMembership) {
    struct Row {
        const char* name;
        AdapterRef adapter;
        const char* device;
        bool inside;
        const char* subnet;
    } rows[] = {
        {"same /24", {"eth1", 3, Ip("192.168.1.10"), 24}, "192.168.1.64", true, "192.168.1.0/24"},
        {"factory default elsewhere",
         {"eth1", 3, Ip("192.168.1.10"), 24},
         "192.168.0.64",
         false,
         "192.168.1.0/24"},
        {"/16 holds more", {"eth0", 2, Ip("10.77.3.1"), 16}, "10.77.200.9", true, "10.77.0.0/16"},
        {"/32 holds itself only",
         {"eth0", 2, Ip("10.0.0.1"), 32},
         "10.0.0.2",
         false,
         "10.0.0.1/32"},
        {"no address holds nothing", {"eth2", 4, 0, 0}, "192.168.0.64", false, ""},
        {"device without an address",
         {"eth1", 3, Ip("192.168.1.10"), 24},
         "",
         false,
         "192.168.1.0/24"},
        {"device address not dotted",
         {"eth1", 3, Ip("192.168.1.10"), 24},
         "192.168.1",
         false,
         "192.168.1.0/24"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.adapter.contains(std::string_view(row.device)), row.inside) << row.name;
        EXPECT_EQ(row.adapter.subnetText(), row.subnet) << row.name;
    }
}

TEST(AdapterRefTest, AReplyNamesTheAddressOfItsOwnSubnet) {
    const NetLink link = Link("eth0", 2, kUsable, {{Ip("10.0.0.5"), 8}, {Ip("192.168.1.10"), 24}});
    EXPECT_EQ(adapterOf(link, Ipv4{Ip("192.168.1.64")}).subnetText(), "192.168.1.0/24");
    EXPECT_EQ(adapterOf(link, Ipv4{Ip("172.16.0.9")}).subnetText(), "10.0.0.0/8"); // the primary
    EXPECT_EQ(adapterOf(link).address, Ip("10.0.0.5"));
    const AdapterRef bare = adapterOf(Link("eth1", 3, kUsable, {}), Ipv4{Ip("192.168.0.64")});
    EXPECT_EQ(bare, (AdapterRef{"eth1", 3, 0, 0}));
    EXPECT_FALSE(bare.contains(Ip("0.0.0.0")));
}

TEST(SystemLinks, TheEndpointsViewOfTheAdapters) {
    Adapter eth0;
    eth0.name = "eth0";
    eth0.ifindex = 2;
    eth0.flags = kUsable;
    eth0.description = "eth0 (Intel Corporation 82540EM)";
    eth0.mac = Mac::fromBytes({0x02, 0x4f, 0x4e, 0, 0, 1});
    eth0.addresses = {{Ip("10.0.0.5"), 8}, {Ip("192.168.1.10"), 24}};
    eth0.gateway = Ipv4{Ip("10.0.0.1")};
    eth0.dns = {Ipv4{Ip("10.0.0.53")}};
    Adapter bare;
    bare.name = "eth1";
    bare.ifindex = 3;
    EXPECT_EQ(linksOf({eth0, bare}),
              (NetLinks{Link("eth0", 2, kUsable, eth0.addresses), Link("eth1", 3, 0, {})}));
    EXPECT_TRUE(linksOf({}).empty());
}

// Reading the interfaces sends nothing; every Linux machine has its loopback interface.
TEST(SystemLinks, ListsLoopbackWithItsAddress) {
    const NetLinks links = listSystemLinks();
    const NetLink* lo = findLink(links, if_nametoindex("lo"));
    ASSERT_NE(lo, nullptr);
    EXPECT_EQ(lo->name, "lo");
    EXPECT_NE(lo->flags & kLinkLoopback, 0u);
    ASSERT_FALSE(lo->addresses.empty());
    EXPECT_EQ(adapterOf(*lo).subnetText(), "127.0.0.0/8");
    EXPECT_EQ(findLink(links, 0, "lo"), lo);
}
